# The package to download, with the program, the sample depth maps that
# samples/make_samples.py draws, and the short guide in Polish and in
# English:
#   cmake --build --preset mingw --target package
# makes build/mingw/Tavrelic-<version>-win64.zip, one folder to unpack
# anywhere; and
#   cmake --build --preset qt --target package
# makes build/qt/tavrelic_<version>_amd64.deb, the Linux program with its
# desktop entry and icon, whose dependencies dpkg-shlibdeps finds.
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
  install(FILES ${RESOURCES}/tavrelic.desktop DESTINATION share/applications)
  install(FILES ${RESOURCES}/tavrelic.png DESTINATION share/icons/hicolor/32x32/apps)
endif()
install(TARGETS ${PROGRAM_TARGET} RUNTIME DESTINATION ${PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide/PRZEWODNIK.txt ${PROJECT_SOURCE_DIR}/docs/guide/GUIDE.txt
        DESTINATION ${GUIDE_DIR})

find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  set(SAMPLES_DIR ${CMAKE_BINARY_DIR}/samples)
  set(SAMPLE_FILES kule-640x480.bmp rampa-640x480.bmp napis-640x480.bmp kule-1920x1080.bmp)
  list(TRANSFORM SAMPLE_FILES PREPEND ${SAMPLES_DIR}/ OUTPUT_VARIABLE SAMPLE_PATHS)
  add_custom_command(OUTPUT ${SAMPLE_PATHS}
                     COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/samples/make_samples.py ${SAMPLES_DIR}
                     DEPENDS ${PROJECT_SOURCE_DIR}/samples/make_samples.py
                     COMMENT "Drawing the sample depth maps")
  add_custom_target(tavrelic_samples ALL DEPENDS ${SAMPLE_PATHS})
  install(FILES ${SAMPLE_PATHS} DESTINATION ${SAMPLES_DEST})
else()
  message(WARNING "No Python 3: the package is made without its sample depth maps")
endif()

set(CPACK_PACKAGE_NAME Tavrelic)
set(CPACK_PACKAGE_VENDOR Tavrelic)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tavrelic: makes and reads single-image random-dot stereograms")
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
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tavrelic <tavrelic@localhost>")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Loads a grey depth map from a 24-bit BMP file, generates a pattern strip\nand a stereogram with two convergence squares, saves what is on show, and\ndecodes any stereogram back into a depth map. Its texts are Polish.")
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
