# orvalis_add_form_resources(<target> <source>...)
#
# Compiles each form source with `orvalis-formc embed` at build time into one
# generated C++ source that registers every form as a raw-data resource named
# by its upper-case class name, and adds that source to <target> itself (not
# to a static library, whose unreferenced registration the linker would drop).
# A change of any form source, or of the compiler, regenerates it.
#
#   orvalis_add_form_resources(orvalis app/forms/Orvalis.form app/forms/Options.form)
#
# Relative source paths are taken from the calling folder.
function(orvalis_add_form_resources target)
  if(NOT ARGN)
    message(FATAL_ERROR "orvalis_add_form_resources(${target}): no form source given")
  endif()
  set(sources)
  foreach(source IN LISTS ARGN)
    get_filename_component(absolute "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND sources "${absolute}")
  endforeach()
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${target}_forms.cpp")
  add_custom_command(
    OUTPUT "${generated}"
    COMMAND orvalis-formc embed ${sources} -o "${generated}"
    DEPENDS orvalis-formc ${sources}
    COMMENT "Embedding the forms of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${generated}")
  target_link_libraries(${target} PRIVATE orvalis_runtime)
endfunction()
