; The Windows installer of Korvid Configuration Software (the setup target).
; Per user: no administrator rights, into the user's programs folder. The
; build defines: VERSION (1.0.9), VERSION_SHOWN (1.09), PROGRAM, KORVIDCTL,
; README, ICON, ART (wizard.bmp, header.bmp), SHEETS_NSH (SetOutPath and File
; lines of the skin sheets, folder by folder), UNSHEETS_NSH (their Delete
; lines and the RMDir of the scale steps' folders), OUTFILE, and from the
; program's headers WINDOW_TITLE, INSTANCE_MUTEX and TRAY_ARGUMENT.
;
; Silent: /S, /D=FOLDER (last), /STARTUP=1 or /STARTUP=0.
Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Korvid Configuration Software"
!define SHORT_NAME "Korvid Configuration"
!define PUBLISHER "Orvanta"
!define EXE "KorvidConfig.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvidConfig"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${SHORT_NAME}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; How long a running copy gets to end: an Apply in progress finishes first.
!define CLOSE_WAIT_TENTHS 300
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION_SHOWN} Setup"
UninstallCaption "${PRODUCT} ${VERSION_SHOWN} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${SHORT_NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION_SHOWN}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var StartAtSignIn   ; 1 or 0
Var StartupCheckBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${ART}/header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "${ART}/header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${ART}/wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${ART}/wizard.bmp"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} ${VERSION_SHOWN}"
!define MUI_WELCOMEPAGE_TEXT "This will install ${PRODUCT} for you on this PC. It sets up your Korvid gaming mouse: the functions of buttons 3 to 5, the four CPI levels and their LED colours, the lift-off distance and smoothing.$\r$\n$\r$\nNo administrator rights are needed. If an older version is running, Setup closes it first.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT} in the following folder. Your profiles are kept apart, in your user folder, and stay when the program is removed."
!insertmacro MUI_PAGE_DIRECTORY
Page custom StartupPage StartupPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "Start it from the Start menu. While it runs, its icon in the notification area brings the window back; right-click it and choose $\"Exit Software$\" to end the program."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${SHORT_NAME} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} has been removed"
!define MUI_FINISHPAGE_TEXT "The program, its Start menu shortcut and its sign-in entry are gone. Your saved profiles are kept, ready for when you install it again."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; Ends a running copy of the program the way its tray menu's "Exit Software"
; does, with a quit request to the thread of its window, and waits until no
; copy holds the instance mutex. A copy that does not end is left to the
; user (Retry / Cancel); a silent run gives up with exit code 2.
!macro CLOSE_PROGRAM_FUNCTION UN
Function ${UN}CloseRunningProgram
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  retry:
  StrCpy $4 0
  wait:
    FindWindow $0 "" "${WINDOW_TITLE}"
    ${If} $0 <> 0
      System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i .r2'
      ${If} $4 = 0
        DetailPrint "Closing the running ${PRODUCT}"
      ${EndIf}
      ${If} $2 <> 0
        System::Call 'user32::PostThreadMessageW(i r2, i ${WM_QUIT}, p 0, p 0)'
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .r3'
    ${If} $3 == 0
      Goto closed
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r3)'
    ${If} $4 >= ${CLOSE_WAIT_TENTHS}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running.$\r$\n$\r$\nRight-click its icon in the notification area, choose $\"Exit Software$\", then click Retry." /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${EndIf}
    Sleep 100
    IntOp $4 $4 + 1
    Goto wait
  closed:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM_FUNCTION ""
!insertmacro CLOSE_PROGRAM_FUNCTION "un."

Function .onInit
  SetShellVarContext current
  ; On by default; a reinstall keeps the choice made before.
  StrCpy $StartAtSignIn 1
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $1 == ""
      StrCpy $StartAtSignIn 0
    ${EndIf}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "0"
      StrCpy $StartAtSignIn 0
    ${Else}
      StrCpy $StartAtSignIn 1
    ${EndIf}
  ${EndIf}
FunctionEnd

Function StartupPage
  !insertmacro MUI_HEADER_TEXT "Start with Windows" "Choose whether ${SHORT_NAME} starts when you sign in."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 95% 40u "Started when you sign in, ${PRODUCT} waits in the notification area without opening its window. Click its icon there, or start it from the Start menu, when you want to change your mouse's settings."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Start ${SHORT_NAME} when I sign in"
  Pop $StartupCheckBox
  ${If} $StartAtSignIn = 1
    ${NSD_Check} $StartupCheckBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function StartupPageLeave
  ${NSD_GetState} $StartupCheckBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $StartAtSignIn 1
  ${Else}
    StrCpy $StartAtSignIn 0
  ${EndIf}
FunctionEnd

Section "Install"
  SetShellVarContext current
  Call CloseRunningProgram

  SetOutPath "$INSTDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  File "/oname=korvidctl.exe" "${KORVIDCTL}"
  File "/oname=README.txt" "${README}"
  !include "${SHEETS_NSH}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "${PRODUCT}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_SHOWN}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\${UNINSTALLER}$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\${UNINSTALLER}$\" /S"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $StartAtSignIn = 1
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" "$\"$INSTDIR\${EXE}$\" ${TRAY_ARGUMENT}"
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

; Removes what the installer put there and nothing else: a Config.ini the
; user made keeps its folder, and the profiles in the user's AppData stay.
Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningProgram

  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\korvidctl.exe"
  Delete "$INSTDIR\README.txt"
  !include "${UNSHEETS_NSH}"
  RMDir "$INSTDIR\Resources"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"

  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
