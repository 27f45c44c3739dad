; trevasso-setup.exe: installs the desktop program, the Tandrel control it calls and its help
; into Program Files, registers the control, adds a Start menu entry and an uninstaller that
; takes all of it away again. Built by the Windows build:
;
;   makensis -DBUILD_DIR=<build folder> -DSOURCE_DIR=<source tree> packaging/windows/trevasso.nsi
;
; The program and the control are 64-bit, so the installer is too: it loads the control itself to
; register it, and writes to the 64-bit registry and Program Files.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef BUILD_DIR | SOURCE_DIR
  !error "Define BUILD_DIR (the Windows build folder) and SOURCE_DIR (the source tree)"
!endif

!define PRODUCT "Pelluvex"
!define VERSION "1.0.0.4"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${BUILD_DIR}/trevasso-setup.exe"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "2026 Tandrel developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/trevasso.exe"
  File "${BUILD_DIR}/Tandrel.ocx"
!if /FileExists "${BUILD_DIR}/trevasso.chm"
  File "${BUILD_DIR}/trevasso.chm"
!else
  ; Without the compiled help the program opens the HTML pages.
  SetOutPath "$INSTDIR\help"
  File "${SOURCE_DIR}/app/help/*.html"
  File "${SOURCE_DIR}/app/help/help.css"
  SetOutPath "$INSTDIR"
!endif

  ; The control registers itself (DllRegisterServer); without it the program cannot work.
  ClearErrors
  RegDLL "$INSTDIR\Tandrel.ocx"
  IfErrors 0 registered
    SetErrorLevel 2
    MessageBox MB_ICONSTOP|MB_OK "Tandrel.ocx could not be registered." /SD IDOK
    Abort
  registered:

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\trevasso.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trevasso.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  UnRegDLL "$INSTDIR\Tandrel.ocx"
  Delete "$INSTDIR\trevasso.exe"
  Delete "$INSTDIR\Tandrel.ocx"
  Delete "$INSTDIR\trevasso.chm"
  Delete "$INSTDIR\help\*.html"
  Delete "$INSTDIR\help\help.css"
  RMDir "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
