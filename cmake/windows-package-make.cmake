# Makes the Windows installer and zip from what `cmake --install` puts into a
# staging folder (the program, stripped, and the manual pages), so that both
# hold exactly the installed files and the uninstaller removes exactly those.
# Run with -P by the windows-package target; expects BUILD_DIR, STAGE,
# PROGRAM_NAME (the program's file name), VERSION, NSI, INSTALLER and ZIP.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}/Puzzle --strip
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE PROGRAM RELATIVE ${STAGE}/Puzzle ${STAGE}/Puzzle/${PROGRAM_NAME})
list(LENGTH PROGRAM programs)
if(NOT programs EQUAL 1)
  message(FATAL_ERROR "The installation holds ${programs} files named ${PROGRAM_NAME}, not one")
endif()

# The files, each with its folder, for the installer's File and the
# uninstaller's Delete; folders are removed deepest first, and only when
# empty.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE}/Puzzle ${STAGE}/Puzzle/*)
set(install "")
set(uninstall "")
set(folders "")
foreach(file IN LISTS files)
  cmake_path(GET file PARENT_PATH folder)
  string(REPLACE "/" "\\" windowsFolder "${folder}")
  string(REPLACE "/" "\\" windowsFile "${file}")
  string(APPEND install "SetOutPath \"$INSTDIR\\${windowsFolder}\"\nFile \"${STAGE}/Puzzle/${file}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\${windowsFile}\"\n")
  while(folder)
    list(APPEND folders ${folder})
    cmake_path(GET folder PARENT_PATH folder)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  string(REPLACE "/" "\\" windowsFolder "${folder}")
  string(APPEND uninstall "RMDir \"$INSTDIR\\${windowsFolder}\"\n")
endforeach()
file(WRITE ${STAGE}/install.nsh "${install}SetOutPath \"$INSTDIR\"\n")
file(WRITE ${STAGE}/uninstall.nsh "${uninstall}")

string(REPLACE "/" "\\" windowsProgram "${PROGRAM}")
execute_process(COMMAND makensis -V2 -DVERSION=${VERSION} -DPROGRAM=${windowsProgram}
  -DINSTALL_FILES=${STAGE}/install.nsh -DUNINSTALL_FILES=${STAGE}/uninstall.nsh -DOUTFILE=${INSTALLER} ${NSI}
  COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip Puzzle WORKING_DIRECTORY ${STAGE}
  COMMAND_ERROR_IS_FATAL ANY)
