# Run by `cmake --install` (host/linux/CMakeLists.txt): writes the three
# desktop entries with the program's path under the install prefix in force
# now, and installs them as install(FILES) would, honouring DESTDIR.
# In: CMAKE_INSTALL_PREFIX, ZELLIK_RESOURCES, ZELLIK_ENTRIES and the
# configured ZELLIK_LIBEXECDIR, ZELLIK_DATADIR, ZELLIK_SYSCONFDIR.
function(zellik_full_dir dir out)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

zellik_full_dir("${ZELLIK_LIBEXECDIR}" libexec)
zellik_full_dir("${ZELLIK_DATADIR}" data)
# Sessions read autostart entries from $XDG_CONFIG_DIRS (/etc/xdg): the /usr
# prefix keeps its configuration in /etc, as GNUInstallDirs has it, and
# /opt/NAME in /etc/opt/NAME; any other prefix in PREFIX/etc.
if(IS_ABSOLUTE "${ZELLIK_SYSCONFDIR}")
  set(etc "${ZELLIK_SYSCONFDIR}")
elseif(CMAKE_INSTALL_PREFIX MATCHES "^/usr/?$")
  set(etc "/etc")
elseif(CMAKE_INSTALL_PREFIX MATCHES "^/opt/(.+)$")
  set(etc "/etc/opt/${CMAKE_MATCH_1}")
else()
  zellik_full_dir("${ZELLIK_SYSCONFDIR}" etc)
endif()

set(ZELLIK_PROGRAM_PATH "${libexec}/xscreensaver/zellik")
foreach(entry "zellik.desktop|${data}/applications/zellik.desktop"
              "zellik-screensaver.desktop|${data}/applications/screensavers/zellik.desktop"
              "zellik-idle.desktop|${etc}/xdg/autostart/zellik-idle.desktop")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 target)
  get_filename_component(name "${target}" NAME)
  get_filename_component(folder "${target}" DIRECTORY)
  # One folder per source: two entries share the installed name zellik.desktop.
  string(REPLACE ".desktop" "" stem "${source}")
  configure_file("${ZELLIK_RESOURCES}/${source}" "${ZELLIK_ENTRIES}/${stem}/${name}" @ONLY)
  file(INSTALL DESTINATION "${folder}" TYPE FILE FILES "${ZELLIK_ENTRIES}/${stem}/${name}")
endforeach()
