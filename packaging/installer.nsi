; Setup of Mirel Virtual Desktop: installs for the current user only, without administrator
; rights, into the user's own programs folder; registers an uninstaller with Windows' list of
; installed apps. Silent with /S; the uninstaller also takes /REMOVESETTINGS.
;
; Built by cmake/Packaging.cmake:
;   makensis -DVERSION=1.0.0 -DARCH=win32|win64 -DSTAGE=<folder of the files> \
;            -DICON=<program.ico> -DOUTFILE=<setup.exe> installer.nsi

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include x64.nsh

!define PRODUCT "Mirel Virtual Desktop"
!define EXE "MirelVirtualDesktop.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\Mirel\Virtual Desktop"
!define SETTINGS_PARENT_KEY "Software\Mirel"
; The program's main window; every running copy has one.
!define MAIN_FORM_CLASS "TVirtualDeskForm"
!define LINK_NAME "${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Mirel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 Mirel Virtual Desktop developers"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "The program's files, its Start-menu entry and its Startup \
    shortcut are removed. Your settings (hot keys, options) stay unless you tick them."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends every running copy of the program the way its "Exit" does (WM_QUIT to its thread: desktop
; 1 comes back, hidden windows are shown, the settings are saved) and waits for each process to
; end, so that its executable can be replaced or deleted. Asks first unless silent. Aborts the
; setup, with exit code 2, when a copy does not end.
!macro DEFINE_END_RUNNING_PROGRAM prefix
Function ${prefix}EndRunningProgram
  FindWindow $R0 "${MAIN_FORM_CLASS}"
  ${If} $R0 = 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} is running. It will be ended now, as \
      $\"Exit$\" in its tray menu ends it: every window comes back to the screen." \
      /SD IDOK IDOK end_copies
  SetErrorLevel 2
  Abort "${PRODUCT} is still running."
end_copies:
  ; A few rounds: nothing stops a user from running more than one copy.
  StrCpy $R1 0
  ${While} $R0 <> 0
    ${IfThen} $R1 >= 8 ${|} ${ExitWhile} ${|}
    System::Call "user32::GetWindowThreadProcessId(p R0, *i .R2) i .R3"
    ; SYNCHRONIZE: enough to wait for the process.
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i R2) p .R4"
    System::Call "user32::PostThreadMessage(i R3, i 0x0012, p 0, p 0)"
    ${If} $R4 <> 0
      System::Call "kernel32::WaitForSingleObject(p R4, i 30000) i .R5"
      System::Call "kernel32::CloseHandle(p R4)"
    ${EndIf}
    IntOp $R1 $R1 + 1
    FindWindow $R0 "${MAIN_FORM_CLASS}"
  ${EndWhile}
  ${If} $R0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} could not be ended. Choose $\"Exit$\" in its tray \
        menu, then run this again." /SD IDOK
    SetErrorLevel 2
    Abort "${PRODUCT} is still running."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_PROGRAM ""
!insertmacro DEFINE_END_RUNNING_PROGRAM "un."

Function .onInit
!if "${ARCH}" == "win64"
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "This is the setup of the 64-bit ${PRODUCT}, and this Windows is \
        32-bit. Use the 32-bit setup." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!endif
FunctionEnd

Section "-Program"
  Call EndRunningProgram
  SetOutPath "$INSTDIR"
  File "${STAGE}/${EXE}"
  File "${STAGE}/vdlogo.dat"
  File "${STAGE}/LICENSE.txt"
  File "${STAGE}/README.txt"
  SetOutPath "$INSTDIR\help\products"
  File "${STAGE}/help/products/vd.htm"
  ; The working folder of the shortcut below.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${LINK_NAME}" "$INSTDIR\${EXE}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Mirel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "-un.Program"
  Call un.EndRunningProgram
  ; Only the files setup put here: anything else the user keeps in the folder stays.
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\vdlogo.dat"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\help\products\vd.htm"
  RMDir "$INSTDIR\help\products"
  RMDir "$INSTDIR\help"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${LINK_NAME}"
  ; The shortcut the option "Start Mirel Virtual Desktop with windows" puts into Startup.
  Delete "$SMSTARTUP\${LINK_NAME}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my settings" SecRemoveSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT_KEY}"
SectionEnd

LangString DESC_RemoveSettings ${LANG_ENGLISH} "Hot keys and options kept in \
    HKEY_CURRENT_USER\${SETTINGS_KEY}."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecRemoveSettings} $(DESC_RemoveSettings)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecRemoveSettings}
  ${EndIf}
FunctionEnd
