# What `cmake --install` puts where. The program directory is complete on
# its own: the program loads the register library from its own directory and
# finds the error descriptions and the help beside itself. Installed there,
# the program writes nothing into it (the marker file below tells it so); its
# settings and data live in RUBSO_DATA_DIR or the user's data directory (see
# core/installation_settings.h and the README).
#
#   <prefix>/lib/rubso/        rubso, libWinIP.so, kasa-sim, koment.txt, help/,
#                              rubso-repair-table, rubso-installed.txt
#   <prefix>/bin/              links to rubso, kasa-sim and rubso-repair-table
#   <prefix>/share/applications/rubso.desktop
#   <prefix>/share/icons/hicolor/scalable/apps/rubso.svg
#
# Component "demo" (not part of a plain install nor of the package):
#   <prefix>/lib/rubso/rubso-demo-data, the tool that makes the demo shop
#   (it recreates a database; a shop's workstation has no use for it).
include(GNUInstallDirs)

set(RUBSO_INSTALL_PROGRAMDIR "lib/rubso" CACHE STRING
  "The program directory, relative to the installation prefix")

# rubso_install_into_program_dir(<target>... [COMPONENT <name>] [EXCLUDE_FROM_ALL])
# Installs programs and libraries into the program directory; executables
# and shared libraries find their neighbours through the run path $ORIGIN.
# The build links them with that run path already: an installation copies
# the files as they are (a file without a run path could not take one).
# Targets built for another platform beside this one (a Windows build of the
# substitute library, a bridge program to the vendor's library) go in the
# same way, with one call next to the others below.
function(rubso_install_into_program_dir)
  cmake_parse_arguments(I "EXCLUDE_FROM_ALL" "COMPONENT" "" ${ARGN})
  if(NOT I_COMPONENT)
    set(I_COMPONENT program)
  endif()
  set(exclude)
  if(I_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  foreach(target IN LISTS I_UNPARSED_ARGUMENTS)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      set_target_properties(${target} PROPERTIES
        INSTALL_RPATH "\$ORIGIN" BUILD_WITH_INSTALL_RPATH ON)
    endif()
  endforeach()
  install(TARGETS ${I_UNPARSED_ARGUMENTS}
    RUNTIME DESTINATION ${RUBSO_INSTALL_PROGRAMDIR} COMPONENT ${I_COMPONENT} ${exclude}
    LIBRARY DESTINATION ${RUBSO_INSTALL_PROGRAMDIR} COMPONENT ${I_COMPONENT} ${exclude})
endfunction()

# rubso_install_command_link(<name>): <prefix>/bin/<name> links to the
# program directory's file of that name.
function(rubso_install_command_link name)
  file(RELATIVE_PATH target /prefix/${CMAKE_INSTALL_BINDIR}
    /prefix/${RUBSO_INSTALL_PROGRAMDIR}/${name})
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    message(STATUS \"Installing: \${bin}/${name} -> ${target}\")
    file(CREATE_LINK \"${target}\" \"\${bin}/${name}\" SYMBOLIC)"
    COMPONENT program)
endfunction()

# The program, the substitute register library and its tool, the repair tool.
rubso_install_into_program_dir(rubso winip_sim kasa-sim rubso-repair-table)

# The library's error descriptions, written by the build beside the library,
# and the help topics.
install(FILES $<TARGET_FILE_DIR:winip_sim>/koment.txt
  DESTINATION ${RUBSO_INSTALL_PROGRAMDIR} COMPONENT program)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/help/
  DESTINATION ${RUBSO_INSTALL_PROGRAMDIR}/help COMPONENT program)
# Its name is kInstalledMarkerFile (core/installation_settings.h).
install(FILES ${PROJECT_SOURCE_DIR}/app/install/rubso-installed.txt
  DESTINATION ${RUBSO_INSTALL_PROGRAMDIR} COMPONENT program)

foreach(command rubso kasa-sim rubso-repair-table)
  rubso_install_command_link(${command})
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/app/install/rubso.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/app/install/rubso.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT program)

rubso_install_into_program_dir(rubso-demo-data COMPONENT demo EXCLUDE_FROM_ALL)

# --- Programs for another platform ------------------------------------------
# A Windows build of the substitute library and the bridge to the vendor's
# library join the program directory here: rubso_install_into_program_dir()
# for a target of this build, or, for a file another (cross) build made,
#   install(PROGRAMS <file> DESTINATION ${RUBSO_INSTALL_PROGRAMDIR} COMPONENT program)
