# Front door: `make run` builds and starts the programs, `make test` builds
# everything and runs every test.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
.PHONY: all setup native asan win32 win64 wine-build test test-native test-win32 repeat run \
	docs measure dist format format-check clean

all: native win32

setup:
	@scripts/setup.sh

# One build a preset: native (the portable core and its tests), asan (the
# same under the sanitizers), win32 (the programs and their Windows tests)
# and win64 (the same, where the kernel runs no 32-bit code).
native asan win32 win64: setup
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

# The build that this host's Wine can run: win32, or win64 without 32-bit support.
wine-build: win32
	@preset=$$(scripts/wine-preset.sh); [ $$preset = win32 ] || $(MAKE) $$preset

# Every suite runs, so that every summary is printed; the target fails if
# any failed.
test: format-check native asan wine-build
	@status=0; preset=$$(scripts/wine-preset.sh); \
	echo "== native tests"; ctest --preset native -j $(JOBS) || status=1; \
	echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"; \
	ctest --preset asan -j $(JOBS) || status=1; \
	if [ $$preset != win32 ]; then \
	  echo "== checks of the 32-bit executables as they ship"; \
	  ctest --preset win32 -R 'binary_checks|reproducible|signing' || status=1; \
	  echo "== Windows tests under 64-bit Wine, on the 64-bit build"; \
	  echo "   (this kernel runs no 32-bit code)"; \
	else echo "== Windows tests under Wine"; fi; \
	scripts/with-wine.sh ctest --preset $$preset || status=1; \
	echo "== Windows tests under Wine, the prefix set to Windows XP"; \
	WINE_WINDOWS_VERSION=winxp scripts/with-wine.sh \
	  ctest --preset $$preset -E 'binary_checks|reproducible|signing' || status=1; \
	exit $$status

test-native: native
	@ctest --preset native -j $(JOBS)

test-win32: wine-build
	@scripts/with-wine.sh ctest --preset $$(scripts/wine-preset.sh)

# Whether a test fails only at times: the Windows tests under Wine RUNS times
# in a row, BUSY busy loops beside them (docs/testing.md).
RUNS ?= 10
BUSY ?= 0
repeat: wine-build
	@scripts/repeat-wine.sh $(RUNS) $(BUSY)

run: wine-build
	@scripts/run.sh

# The README's pictures, from a headless run: it leaves them under build/
# (so that `make run` never changes the checkout); here they become docs/'s.
docs: wine-build
	@scripts/run.sh --headless
	@cp build/screenshots/Quorrin.png docs/quorrin.png
	@cp build/screenshots/Brakkon.png docs/brakkon.png
	@cp build/screenshots/quorrin-closing.gif docs/quorrin-closing.gif
	@echo "docs/quorrin.png, docs/brakkon.png and docs/quorrin-closing.gif refreshed"

# The release: dist/ with a zip per program and SHA256SUMS, from the 32-bit build.
dist: win32
	@cmake --build --preset win32 --target dist

# How fast Quorrin closes the test shell's windows under Wine.
measure: wine-build
	@bin=build/$$(scripts/wine-preset.sh)/bin; \
	scripts/with-wine.sh bash -c "cd $$bin && wine measure_closing.exe 50"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming each place, where a file is not as `make format` writes it.
format-check: setup
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
