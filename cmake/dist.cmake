# The release, run by the `dist` target: for each program a zip holding its
# executable and README.txt, and SHA256SUMS over the zips, in OUT, or in
# $DIST_DIR when set. The same sources give the same bytes: fixed file times,
# modes and order.
#
#   cmake -DOUT=<dir> -DSTAGE=<dir> -DPROGRAMS=<name>,... -D<name>_EXE=<file>
#         -D<name>_VERSION=<a.b.c.d> -D<name>_README=<file> -P dist.cmake
#
# Given a code-signing certificate in the environment, each executable is
# signed (Authenticode, SHA-256) before it is zipped; relative paths are taken
# from the working folder:
#   SIGN_PFX            the certificate with its private key, PKCS#12
#   SIGN_PASSWORD_FILE  a file whose first line is its password, or
#   SIGN_PASSWORD       the password itself
#   SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional)
#   SIGN_INFO_URL       the web address the signature names (optional)
# Signing needs the time-stamp server when one is given: a release is not
# made without its time stamp.
if(NOT "$ENV{DIST_DIR}" STREQUAL "")
  set(OUT "$ENV{DIST_DIR}")
endif()
# The last release goes; anything else in the folder stays, since it may be
# one the user named.
file(GLOB old "${OUT}/*.zip")
file(REMOVE ${old} "${OUT}/SHA256SUMS")
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${OUT}")
string(REPLACE "," ";" PROGRAMS "${PROGRAMS}")

set(sign "")
if(NOT "$ENV{SIGN_PFX}" STREQUAL "")
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "signing needs osslsigncode (scripts/setup.sh installs it)")
  endif()
  set(sign "${OSSLSIGNCODE}" sign -pkcs12 "$ENV{SIGN_PFX}" -h sha256)
  # The password never goes on a command line, where every user of the
  # machine can read it: osslsigncode reads it from its file, or from a pipe
  # that printenv fills from the environment.
  set(password_source "")
  if(NOT "$ENV{SIGN_PASSWORD_FILE}" STREQUAL "")
    list(APPEND sign -readpass "$ENV{SIGN_PASSWORD_FILE}")
  elseif(DEFINED ENV{SIGN_PASSWORD})
    list(APPEND sign -readpass -)
    set(password_source COMMAND printenv SIGN_PASSWORD)
  endif()
  if(NOT "$ENV{SIGN_INFO_URL}" STREQUAL "")
    list(APPEND sign -i "$ENV{SIGN_INFO_URL}")
  endif()
  if(NOT "$ENV{SIGN_TIMESTAMP_URL}" STREQUAL "")
    list(APPEND sign -ts "$ENV{SIGN_TIMESTAMP_URL}")
  endif()
endif()

# Every executable is signed before any zip is written: a signing that fails
# leaves no part of a release.
foreach(name IN LISTS PROGRAMS)
  set(dir "${STAGE}/${name}")
  file(MAKE_DIRECTORY "${dir}")
  if(sign)
    set(command ${sign} -n "${name}" -in "${${name}_EXE}" -out "${dir}/${name}.exe")
    # The command as run, for the record of a release: the password is not in it.
    list(JOIN command " " shown)
    message(STATUS "signing: ${shown}")
    execute_process(${password_source} COMMAND ${command} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "signing ${name}.exe failed (osslsigncode says why above)")
    endif()
  else()
    file(COPY_FILE "${${name}_EXE}" "${dir}/${name}.exe")
  endif()
  # Notepad's line ends, for the Windows user who opens it.
  file(READ "${${name}_README}" text)
  string(REPLACE "@VERSION@" "${${name}_VERSION}" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${dir}/README.txt" "${text}")
endforeach()
set(zips)
foreach(name IN LISTS PROGRAMS)
  set(dir "${STAGE}/${name}")
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
