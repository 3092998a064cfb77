# Windows resources of a program: its .rc script (icon, version record) and
# the shared application manifest configured for it.
#
#   add_program_resources(<target> <rc file> <name> <version>)
#
# <name> is the program's name; the manifest is configured into the build tree
# as <name>.manifest, the file name the .rc embeds as RT_MANIFEST resource 1.
# <version> is the four-part version (1.0.0.5) that the manifest carries; it
# must match the .rc's FILEVERSION. The .rc finds the files it names in its
# own folder (the icons) and in the build tree (the manifest). Does nothing
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

  # The version is written twice (manifest, version record); catch a drift.
  file(STRINGS "${rcfile}" fileversion REGEX "^[ \t]*FILEVERSION[ \t]")
  string(REGEX REPLACE "^[ \t]*FILEVERSION[ \t]+" "" fileversion "${fileversion}")
  string(REGEX REPLACE "[ \t]*,[ \t]*" "." fileversion "${fileversion}")
  string(STRIP "${fileversion}" fileversion)
  if(NOT fileversion STREQUAL version)
    message(FATAL_ERROR "add_program_resources(${target}): ${rcfile} has "
      "FILEVERSION ${fileversion}, but the version given is ${version}")
  endif()

  set(PROGRAM_NAME "${name}")
  set(PROGRAM_VERSION "${version}")
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
