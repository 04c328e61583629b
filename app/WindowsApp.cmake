# brelko.exe: the window on Windows, statically linked against the Qt of
# scripts/build-qt-windows. That Qt has no SVG module, so the icons are
# rendered to PNG here on the build machine (rsvg-convert, Debian's
# librsvg2-bin) and the program icon to ICO (ImageMagick); the executable
# carries the icon, a version resource and a manifest.
find_program(BRELKO_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(BRELKO_MAGICK convert REQUIRED)

set(icon_names brelko open save about connect restore backup picture cancel)
set(icon_sizes 16 24 32 48 64 256)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(icon_files)
set(qrc_entries)
foreach(name ${icon_names})
  foreach(size ${icon_sizes})
    set(png ${icon_dir}/${size}/${name}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}/${size}
      COMMAND ${BRELKO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PROJECT_SOURCE_DIR}/res/icons/${name}.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/res/icons/${name}.svg VERBATIM)
    list(APPEND icon_files ${png})
    string(APPEND qrc_entries "    <file alias=\"${size}/${name}.png\">${png}</file>\n")
  endforeach()
endforeach()
# Qt's own texts in Danish (message-box buttons, the toolkit's dialogs): our
# Qt has no translations folder on the user's machine, so the program carries
# Debian's (qt6-translations-l10n, the same Qt version).
find_file(BRELKO_QTBASE_DA qtbase_da.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# Named as the Linux one, so that the program initialises it by the same name.
set(qrc ${CMAKE_CURRENT_BINARY_DIR}/brelko.qrc)
file(WRITE ${qrc}.in "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/icons\">\n${qrc_entries}  </qresource>\n"
  "  <qresource prefix=\"/translations\">\n    <file alias=\"qtbase_da.qm\">${BRELKO_QTBASE_DA}</file>\n  </qresource>\n</RCC>\n")
configure_file(${qrc}.in ${qrc} COPYONLY)
# The PNGs before the resource compiler reads them.
add_custom_target(brelko_icon_pngs DEPENDS ${icon_files})
# Compressed as our Qt can read it back: it has no zstd, the host's rcc would use it.
set_source_files_properties(${qrc} PROPERTIES OBJECT_DEPENDS "${icon_files}" AUTORCC_OPTIONS "--compress-algo;zlib")
target_sources(brelko_app PRIVATE ${qrc})
add_dependencies(brelko_app brelko_icon_pngs)
target_compile_definitions(brelko_app PRIVATE BRELKO_ICONS_AS_PNG)

# The program's icon for Explorer, the task bar and the Start menu.
set(ico ${CMAKE_CURRENT_BINARY_DIR}/brelko.ico)
set(ico_pngs)
foreach(size ${icon_sizes})
  list(APPEND ico_pngs ${icon_dir}/${size}/brelko.png)
endforeach()
add_custom_command(OUTPUT ${ico} COMMAND ${BRELKO_MAGICK} ${ico_pngs} ${ico} DEPENDS ${ico_pngs} VERBATIM)

enable_language(RC)
set(BRELKO_APP_ICON ${ico})
set(BRELKO_APP_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/brelko.manifest)
configure_file(brelko.manifest.in ${BRELKO_APP_MANIFEST} @ONLY)
configure_file(brelko.rc.in ${CMAKE_CURRENT_BINARY_DIR}/brelko.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/brelko.rc PROPERTIES OBJECT_DEPENDS "${ico};${BRELKO_APP_MANIFEST}")

# The window without a console; Qt's Windows platform linked in (and the
# offscreen one, which the tests under Wine use).
add_executable(brelko WIN32 main.cpp WindowsArguments.cpp ${CMAKE_CURRENT_BINARY_DIR}/brelko.rc)
target_link_libraries(brelko PRIVATE brelko_app CLI11::CLI11 shell32)
qt_import_plugins(brelko INCLUDE Qt6::QWindowsIntegrationPlugin Qt6::QOffscreenIntegrationPlugin)
install(TARGETS brelko RUNTIME DESTINATION bin)
