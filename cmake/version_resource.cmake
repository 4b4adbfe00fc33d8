# mirelda_version_resource(TARGET DESCRIPTION): gives a Windows program the version information
# of the project's version, with its own description, which the Task Manager shows as its name.
function(mirelda_version_resource target description)
  set(mirelda_name ${target})
  set(mirelda_description ${description})
  math(EXPR mirelda_minor "${PROJECT_VERSION_MINOR}")  # "00" => 0
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # The descriptions are Japanese; windres reads its input as UTF-8 only when told.
  set_property(SOURCE ${rc} APPEND PROPERTY COMPILE_OPTIONS "--codepage=65001")
endfunction()
