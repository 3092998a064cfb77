# Windows resources of a program: its .rc script (icon, version record) and
# the shared application manifest configured for it.
#
#   add_program_resources(<target> <rc file> <name> <version>)
#
# <name> is the program's name; the manifest is configured into the build tree
# as <name>.manifest, the file name the .rc embeds as RT_MANIFEST resource 1.
# <version> is the four-part version (1.0.0.5). The caller writes it once;
# the manifest, the version record and the release's file names take it from
# there (the target property PROGRAM_VERSION). The .rc finds the files it
# names in its own folder (the icons) and in the build tree (the manifest). Does nothing
# outside Windows builds, so callers need no guard of their own.
include_guard(GLOBAL)

cmake_path(SET _program_manifest_template NORMALIZE
  "${CMAKE_CURRENT_LIST_DIR}/../toolkit/res/app.manifest.in")

function(add_program_resources target rcfile name version)
  if(NOT WIN32)
    return()
  endif()
  if(NOT version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "add_program_resources(${target}): version \"${version}\" "
      "is not four numbers a.b.c.d, which a manifest requires")
  endif()
  get_filename_component(rcfile "${rcfile}" ABSOLUTE)
  get_filename_component(rcdir "${rcfile}" DIRECTORY)

  # The version record's two forms: numbers (1,0,0,5), and the text the
  # programs have always shown (1.00.0005): the first number, the second in
  # two digits, the last in four. The text goes unquoted, since windres
  # passes quotes on unreliably; the .rc quotes it.
  string(REPLACE "." ";" pieces "${version}")
  list(GET pieces 0 first)
  list(GET pieces 1 second)
  list(GET pieces 3 last)
  string(REGEX MATCH "..$" second "0${second}")
  string(REGEX MATCH "....$" last "000${last}")
  string(REPLACE "." "," numbers "${version}")
  target_compile_definitions(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:RC>:PROGRAM_VERSION_NUMBERS=${numbers}>"
    "$<$<COMPILE_LANGUAGE:RC>:PROGRAM_VERSION_TEXT=${first}.${second}.${last}>")
  set_target_properties(${target} PROPERTIES PROGRAM_VERSION "${version}")

  set(PROGRAM_NAME "${name}")
  set(PROGRAM_VERSION "${version}")
  # The manifest names the common controls of the program's own architecture:
  # a 64-bit program given the 32-bit ones does not start where both exist.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(PROGRAM_ARCHITECTURE amd64)
  else()
    set(PROGRAM_ARCHITECTURE x86)
  endif()
  set(outdir "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources")
  set(manifest "${outdir}/${name}.manifest")
  configure_file("${_program_manifest_template}" "${manifest}" @ONLY)

  target_sources(${target} PRIVATE "${rcfile}")
  # windres searches its include directories for the files an .rc names; RC
  # only, so the C++ sources of the target do not see these folders.
  target_include_directories(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:RC>:${rcdir}>"
    "$<$<COMPILE_LANGUAGE:RC>:${outdir}>")
  # CMake's dependency scanning does not follow ICON and RT_MANIFEST file
  # names, so list them, or a redrawn icon would not be relinked.
  file(GLOB icons CONFIGURE_DEPENDS "${rcdir}/*.ico")
  set_source_files_properties("${rcfile}" TARGET_DIRECTORY ${target}
    PROPERTIES OBJECT_DEPENDS "${icons};${manifest}")
endfunction()
