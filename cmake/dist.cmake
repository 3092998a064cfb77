# The release, run by the `dist` target: for each program a zip holding its
# executable and README.txt, and SHA256SUMS over the zips, in OUT. The same
# sources give the same bytes: fixed file times, modes and order.
#
#   cmake -DOUT=<dir> -DSTAGE=<dir> -DPROGRAMS=<name>,... -D<name>_EXE=<file>
#         -D<name>_VERSION=<a.b.c.d> -D<name>_README=<file> -P dist.cmake
file(REMOVE_RECURSE "${OUT}" "${STAGE}")
file(MAKE_DIRECTORY "${OUT}")
string(REPLACE "," ";" PROGRAMS "${PROGRAMS}")
set(zips)
foreach(name IN LISTS PROGRAMS)
  set(dir "${STAGE}/${name}")
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${${name}_EXE}" "${dir}/${name}.exe")
  # Notepad's line ends, for the Windows user who opens it.
  file(READ "${${name}_README}" text)
  string(REPLACE "@VERSION@" "${${name}_VERSION}" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${dir}/README.txt" "${text}")
  set(zip "${name}-${${name}_VERSION}.zip")
  execute_process(
    COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/zip_release.py" "${OUT}/${zip}"
      "${dir}/${name}.exe" "${dir}/README.txt"
    COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND zips "${zip}")
endforeach()
list(SORT zips)
set(sums "")
foreach(zip IN LISTS zips)
  file(SHA256 "${OUT}/${zip}" hash)
  string(APPEND sums "${hash}  ${zip}\n")
endforeach()
file(WRITE "${OUT}/SHA256SUMS" "${sums}")
message(STATUS "release in ${OUT}: ${zips}, SHA256SUMS")
