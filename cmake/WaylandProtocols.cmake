# zellik_wayland_protocol(TARGET XML...): a static library of the client code wayland-scanner writes for
# each protocol XML (a path of its own, or one inside Debian's wayland-protocols), headers included.
# Generated code: not ours, so not held to our warnings.
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
function(zellik_wayland_protocol target)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/protocols)
  file(MAKE_DIRECTORY ${generated})
  set(sources)
  foreach(xml ${ARGN})
    get_filename_component(name ${xml} NAME_WE)
    if(NOT IS_ABSOLUTE ${xml})
      set(xml ${WAYLAND_PROTOCOLS_DIR}/${xml})
    endif()
    add_custom_command(
      OUTPUT ${generated}/${name}-client-protocol.h ${generated}/${name}-protocol.c
      COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${generated}/${name}-client-protocol.h
      COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${generated}/${name}-protocol.c
      DEPENDS ${xml}
      COMMENT "Generating the ${name} protocol code"
      VERBATIM)
    list(APPEND sources ${generated}/${name}-client-protocol.h ${generated}/${name}-protocol.c)
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${generated})
  target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND)
endfunction()
