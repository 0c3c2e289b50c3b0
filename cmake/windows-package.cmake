# The Windows installer and zip, made by the target windows-package (which
# ./puzzle.sh package builds) from the installed files of the Windows build:
# puzzle-<version>-win64-setup.exe and puzzle-<version>-win64.zip in the
# build folder. The test windows_package.InstallsAndUninstalls makes them and
# runs the installer and the uninstaller silently in a Wine prefix of its own.
find_program(PUZZLE_MAKENSIS makensis)
if(TARGET puzzle AND PUZZLE_MAKENSIS)
  set(PUZZLE_INSTALLER ${CMAKE_BINARY_DIR}/puzzle-${PROJECT_VERSION}-win64-setup.exe)
  add_custom_target(windows-package
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSTAGE=${CMAKE_BINARY_DIR}/package-stage
      -DPROGRAM_NAME=$<TARGET_FILE_NAME:puzzle> -DVERSION=${PROJECT_VERSION}
      -DNSI=${CMAKE_CURRENT_LIST_DIR}/puzzle.nsi -DINSTALLER=${PUZZLE_INSTALLER}
      -DZIP=${CMAKE_BINARY_DIR}/puzzle-${PROJECT_VERSION}-win64.zip
      -P ${CMAKE_CURRENT_LIST_DIR}/windows-package-make.cmake
    COMMENT "Making the Windows installer and zip"
    VERBATIM)
  add_dependencies(windows-package puzzle)

  add_test(NAME windows_package.Make
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target windows-package)
  set_tests_properties(windows_package.Make PROPERTIES FIXTURES_SETUP windows_package LABELS package)
  add_test(NAME windows_package.InstallsAndUninstalls
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/windows-installer-check.sh ${PUZZLE_INSTALLER}
      $<TARGET_FILE_NAME:puzzle>)
  set_tests_properties(windows_package.InstallsAndUninstalls PROPERTIES
    FIXTURES_REQUIRED windows_package LABELS package)
endif()
