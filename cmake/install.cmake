# cmake --install BUILD [--prefix P] (DESTDIR honoured): the programs, the
# show's data, manual pages, the desktop entry with its icons, and the
# screensaver hack with its settings file.
include(GNUInstallDirs)

set(TOBUNA_VERSION_TEXT "0.1.0")
set(ship_dir ${CMAKE_BINARY_DIR}/ship)
file(MAKE_DIRECTORY ${ship_dir})

# Icons in the hicolor theme's sizes, drawn from the mouse model.
set(tobuna_icon_sizes 16 32 48 64 128 256)
set(tobuna_icons)
foreach(size ${tobuna_icon_sizes})
  set(icon ${ship_dir}/icons/${size}x${size}/tobuna.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ship_dir}/icons/${size}x${size}
    COMMAND tobuna-model render ${PROJECT_SOURCE_DIR}/data/hiiri.dump ${icon}
            --size ${size}x${size} --yaw 120 --pitch 50
    DEPENDS tobuna-model ${PROJECT_SOURCE_DIR}/data/hiiri.dump
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND tobuna_icons ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, compressed as Debian installs them (no name or time stamp).
set(tobuna_man_pages tobuna.6 tobuna-model.1 tobuna-song.1 tobuna-capture.1)
set(tobuna_man_gz)
foreach(page ${tobuna_man_pages})
  string(REGEX REPLACE ".*\\." "" section ${page})
  add_custom_command(
    OUTPUT ${ship_dir}/${page}.gz
    COMMAND sh -c "gzip -9n <\"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/dist/man/${page} ${ship_dir}/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/dist/man/${page}
    VERBATIM)
  list(APPEND tobuna_man_gz ${ship_dir}/${page}.gz)
  install(FILES ${ship_dir}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# The package's change log, compressed likewise.
add_custom_command(
  OUTPUT ${ship_dir}/changelog.gz
  COMMAND sh -c "gzip -9n <\"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/dist/changelog ${ship_dir}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/dist/changelog
  VERBATIM)

# cmake --build BUILD --target ship: everything the installation needs.
add_custom_target(ship ALL DEPENDS ${tobuna_icons} ${tobuna_man_gz} ${ship_dir}/changelog.gz)
add_dependencies(ship tobuna tobuna-model tobuna-song tobuna-capture)

install(TARGETS tobuna tobuna-model tobuna-song tobuna-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
  ${PROJECT_SOURCE_DIR}/data/hiiri.dump
  ${PROJECT_SOURCE_DIR}/data/fontti.dump
  ${PROJECT_SOURCE_DIR}/data/jalkapallo2.dump
  ${PROJECT_SOURCE_DIR}/data/keilapallo.dump
  ${PROJECT_SOURCE_DIR}/data/kube.dump
  ${PROJECT_SOURCE_DIR}/data/rantapallo.dump
  ${PROJECT_SOURCE_DIR}/data/tennari.dump
  ${PROJECT_SOURCE_DIR}/data/hiiri.txt
  DESTINATION ${CMAKE_INSTALL_DATADIR}/tobuna/data)
install(FILES ${PROJECT_SOURCE_DIR}/dist/tobuna.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/tobuna.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright ${ship_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The hack where xscreensaver looks for hacks: a relative link to the
# program, which finds its data through the link.
install(CODE "
  set(hack_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
  file(MAKE_DIRECTORY \"\${hack_dir}\")
  file(CREATE_LINK ../../${CMAKE_INSTALL_BINDIR}/tobuna \"\${hack_dir}/tobuna\" SYMBOLIC)
  message(STATUS \"Installing: \${hack_dir}/tobuna -> ../../${CMAKE_INSTALL_BINDIR}/tobuna\")
")
