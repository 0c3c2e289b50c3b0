; The Windows installer: the installed files of the Windows build, for the
; current user only, so that no administrator rights are asked for. It adds
; a Start-menu entry, registers the ".pzz" game files under
; HKCU\Software\Classes (as the game itself does at exit) and an uninstall
; entry; the uninstaller removes all of that again and leaves the player's
; options. Made by cmake/windows-package.cmake, which defines VERSION,
; PROGRAM (the program's path inside the installation), INSTALL_FILES and
; UNINSTALL_FILES (the lists of the staged files) and OUTFILE.
; A 64-bit installer for the 64-bit program: it runs where the program runs,
; 64-bit Wine without its 32-bit half included.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvanePuzzle"
!define CLASSES "Software\Classes"
!define PROG_ID "TessarineFiles"

Name "Puzzle"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quorvane Puzzle"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

Section
  SetShellVarContext current
  !include "${INSTALL_FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Puzzle.lnk" "$INSTDIR\${PROGRAM}"

  WriteRegStr HKCU "${CLASSES}\.pzz" "" "${PROG_ID}"
  WriteRegStr HKCU "${CLASSES}\${PROG_ID}" "" "Tessarine Files"
  WriteRegStr HKCU "${CLASSES}\${PROG_ID}\DefaultIcon" "" "$INSTDIR\${PROGRAM},1"
  WriteRegStr HKCU "${CLASSES}\${PROG_ID}\shell\open\command" "" '"$INSTDIR\${PROGRAM}" "%1"'
  ; SHCNE_ASSOCCHANGED: the shell shows the new icon and verb at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Puzzle"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quorvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !include "${UNINSTALL_FILES}"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a folder chosen at install may hold the player's files.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Puzzle.lnk"

  DeleteRegKey HKCU "${CLASSES}\${PROG_ID}"
  ; ".pzz" may have been given to another program since.
  ReadRegStr $0 HKCU "${CLASSES}\.pzz" ""
  StrCmp $0 "${PROG_ID}" 0 +2
    DeleteRegKey HKCU "${CLASSES}\.pzz"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
