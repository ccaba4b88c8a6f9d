# The package to download (Windows builds): a ZIP holding tavrelic.exe, the
# sample depth maps that samples/make_samples.py draws, and the short guide
# in Polish and in English:
#   cmake --build --preset mingw --target package
# makes build/mingw/Tavrelic-<version>-win64.zip.
install(TARGETS tavrelic RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide/PRZEWODNIK.txt ${PROJECT_SOURCE_DIR}/docs/guide/GUIDE.txt
        DESTINATION .)

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
  install(FILES ${SAMPLE_PATHS} DESTINATION samples)
else()
  message(WARNING "No Python 3: the package is made without its sample depth maps")
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tavrelic)
set(CPACK_PACKAGE_VENDOR Tavrelic)
# include(CPack) leaves the source package's name in CPACK_PACKAGE_FILE_NAME.
set(TAVRELIC_PACKAGE_NAME Tavrelic-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${TAVRELIC_PACKAGE_NAME})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tavrelic: makes and reads single-image random-dot stereograms")
include(CPack)
