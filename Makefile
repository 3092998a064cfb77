# Front door: `make run` builds and starts the programs, `make test` builds
# everything and runs every test.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
.PHONY: all setup native asan win32 test test-native test-win32 run bench format clean

all: native win32

setup:
	@scripts/setup.sh

native: setup
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 -j $(JOBS)

# Every suite runs, so that every summary is printed; the target fails if
# any failed.
test: native asan win32
	@status=0; \
	echo "== native tests"; ctest --preset native -j $(JOBS) || status=1; \
	echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"; \
	ctest --preset asan -j $(JOBS) || status=1; \
	echo "== Windows tests under Wine"; scripts/with-wine.sh ctest --preset win32 || status=1; \
	exit $$status

test-native: native
	@ctest --preset native -j $(JOBS)

test-win32: win32
	@scripts/with-wine.sh ctest --preset win32

run: win32
	@scripts/run.sh

# The sweep and log benchmarks, optimised, on this machine.
bench: setup
	@cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build/bench -j $(JOBS) --target closer_benchmark
	@build/bench/closer/closer_benchmark

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
