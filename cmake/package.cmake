# The package to download, with the program, the sample depth maps that
# samples/make_samples.py draws and the sample 3D models that
# samples/make_models.py makes, and the short guide in Polish and in
# English:
#   cmake --build --preset mingw --target package
# makes build/mingw/Tavrelic-<version>-win64.zip, one folder to unpack
# anywhere; and
#   cmake --build --preset qt --target package
# makes build/qt/tavrelic_<version>_amd64.deb, the Linux program and
# tavrelic-cli with the program's desktop entry, AppStream
# metainfo, icons, manual pages, copyright file and changelog, whose
# dependencies dpkg-shlibdeps finds. lintian takes it without errors or
# warnings (native.package checks).
if(WIN32)
  set(PROGRAM_TARGET tavrelic)
  set(PROGRAM_DIR .)
  set(GUIDE_DIR .)
  set(SAMPLES_DEST samples)
else()
  set(PROGRAM_TARGET tavrelic_qt)
  set(PROGRAM_DIR bin)
  set(GUIDE_DIR share/doc/tavrelic)
  set(SAMPLES_DEST share/tavrelic/samples)
  set(RESOURCES ${PROJECT_SOURCE_DIR}/src/shell/resources)
  # The desktop entry, the metainfo and the icons are named after the
  # program's AppStream id, as the desktop's software centre expects; the
  # program gives Qt the same name (main.cpp).
  set(APP_ID org.tavrelic.Tavrelic)
  install(FILES ${RESOURCES}/${APP_ID}.desktop DESTINATION share/applications)
  configure_file(${RESOURCES}/${APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${APP_ID}.metainfo.xml DESTINATION share/metainfo)
  # make_icon.py draws them all from one picture.
  install(FILES ${RESOURCES}/icons/tavrelic.svg DESTINATION share/icons/hicolor/scalable/apps RENAME ${APP_ID}.svg)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${RESOURCES}/icons/tavrelic-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
            RENAME ${APP_ID}.png)
  endforeach()

  # The manual pages and the changelog go in compressed, as Debian's policy
  # asks: gzip -9n, no name and no time stamp, so that the same sources
  # make the same package. A package whose version has no Debian revision
  # is a native one, whose changelog is changelog.gz.
  find_program(GZIP gzip REQUIRED)
  set(DEBIAN_DIR ${CMAKE_BINARY_DIR}/debian)
  set(MAN_PAGES tavrelic.1 tavrelic-cli.1)
  set(COMPRESSED)
  # tavrelic-cli's page takes the Preferences options from their table.
  set(CLI_PAGE_TEMPLATE ${PROJECT_SOURCE_DIR}/docs/man/tavrelic-cli.1.in)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tavrelic-cli.1
                     COMMAND tavrelic_manual_page ${CLI_PAGE_TEMPLATE} ${CMAKE_BINARY_DIR}/tavrelic-cli.1
                     DEPENDS tavrelic_manual_page ${CLI_PAGE_TEMPLATE}
                     COMMENT "Writing tavrelic-cli's manual page" VERBATIM)
  foreach(source ${MAN_PAGES} changelog)
    if(source STREQUAL "changelog")
      set(path ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
    elseif(source STREQUAL "tavrelic-cli.1")
      set(path ${CMAKE_BINARY_DIR}/tavrelic-cli.1)
    else()
      set(path ${PROJECT_SOURCE_DIR}/docs/man/${source})
    endif()
    add_custom_command(OUTPUT ${DEBIAN_DIR}/${source}.gz
                       COMMAND ${CMAKE_COMMAND} -E copy ${path} ${DEBIAN_DIR}/${source}
                       COMMAND ${GZIP} -9nf ${DEBIAN_DIR}/${source}
                       DEPENDS ${path}
                       COMMENT "Compressing ${source}" VERBATIM)
    list(APPEND COMPRESSED ${DEBIAN_DIR}/${source}.gz)
  endforeach()
  add_custom_target(tavrelic_package_docs ALL DEPENDS ${COMPRESSED})
  list(TRANSFORM MAN_PAGES APPEND .gz)
  list(TRANSFORM MAN_PAGES PREPEND ${DEBIAN_DIR}/)
  install(FILES ${MAN_PAGES} DESTINATION share/man/man1)
  install(FILES ${DEBIAN_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION ${GUIDE_DIR})
endif()
install(TARGETS ${PROGRAM_TARGET} tavrelic_cli RUNTIME DESTINATION ${PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide/PRZEWODNIK.txt ${PROJECT_SOURCE_DIR}/docs/guide/GUIDE.txt
        DESTINATION ${GUIDE_DIR})
if(WIN32)
  # The notices of the program and of what it builds in, the font's among
  # them, which is to go with every copy of it.
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION ${GUIDE_DIR} RENAME COPYRIGHT.txt)
endif()

find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  set(SAMPLES_DIR ${CMAKE_BINARY_DIR}/samples)
  set(SAMPLE_FILES kule-640x480.bmp rampa-640x480.bmp napis-640x480.bmp kule-1920x1080.bmp)
  list(TRANSFORM SAMPLE_FILES PREPEND ${SAMPLES_DIR}/ OUTPUT_VARIABLE SAMPLE_PATHS)
  add_custom_command(OUTPUT ${SAMPLE_PATHS}
                     COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/samples/make_samples.py ${SAMPLES_DIR}
                     DEPENDS ${PROJECT_SOURCE_DIR}/samples/make_samples.py
                     COMMENT "Drawing the sample depth maps")
  # The sample 3D models, from which depth maps are drawn.
  set(MODEL_FILES torus.stl kostka-na-plycie.stl torus.obj kostka-na-plycie.ply)
  list(TRANSFORM MODEL_FILES PREPEND ${SAMPLES_DIR}/ OUTPUT_VARIABLE MODEL_PATHS)
  add_custom_command(OUTPUT ${MODEL_PATHS}
                     COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/samples/make_models.py ${SAMPLES_DIR}
                     DEPENDS ${PROJECT_SOURCE_DIR}/samples/make_models.py
                     COMMENT "Making the sample 3D models")
  add_custom_target(tavrelic_samples ALL DEPENDS ${SAMPLE_PATHS} ${MODEL_PATHS})
  install(FILES ${SAMPLE_PATHS} ${MODEL_PATHS} DESTINATION ${SAMPLES_DEST})
else()
  message(WARNING "No Python 3: the package is made without its sample depth maps and models")
endif()

set(CPACK_PACKAGE_NAME Tavrelic)
set(CPACK_PACKAGE_VENDOR Tavrelic)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "single-image random-dot stereogram maker and decoder")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # include(CPack) leaves the source package's name in CPACK_PACKAGE_FILE_NAME.
  set(TAVRELIC_PACKAGE_NAME Tavrelic-${PROJECT_VERSION}-win64)
  set(CPACK_PACKAGE_FILE_NAME ${TAVRELIC_PACKAGE_NAME})
else()
  set(CPACK_GENERATOR DEB)
  # The package takes what the build preset made (the program and the
  # samples); making it does not first build the tests as well.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  set(CPACK_DEBIAN_PACKAGE_NAME tavrelic)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tavrelic.org/)
  # The project itself, at a domain of its own (lintian refuses a host
  # such as localhost); the changelog names the same.
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tavrelic <tavrelic@tavrelic.org>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Loads a grey depth map (a BMP, PNG or JPEG file), generates a pattern\nstrip and a stereogram with two convergence squares, saves what is on\nshow, and decodes any stereogram back into a depth map. Its texts are\nPolish.\n.\ntavrelic-cli does the same from a terminal, for single pictures or\nwhole frame sequences.")
  # Without it the program runs on Wayland through XWayland.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
  # A build under the sanitizers keeps its symbols for their reports.
  if(NOT TAVRELIC_SANITIZE)
    set(CPACK_STRIP_FILES ON)
  endif()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(TAVRELIC_PACKAGE_NAME tavrelic_${PROJECT_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
endif()
include(CPack)
