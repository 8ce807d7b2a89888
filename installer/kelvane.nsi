; The setup program: installs Kelvane for every user of the machine, starts it at log-on if
; chosen and lists it in "Programs and Features"; an upgrade or an uninstall first closes the
; copy that runs. CPack's NSIS generator builds it: cmake/NSIS.template.in defines
; KELVANE_VERSION, KELVANE_PUBLISHER, KELVANE_SETUP_TARGET and KELVANE_FILES (the staged
; files), then includes this script.
;
;   setup.exe [/S] [/D=folder]      uninstall.exe [/S]
;
; Exit codes: 0 done, 1 cancelled, 2 stopped (a running Kelvane did not end when asked),
; 740 no administrator rights.

; The setup has the program's bitness: x86-unicode for the 32-bit product, amd64-unicode for
; the 64-bit build the Wine tests fall back to where 32-bit code cannot run.
Target ${KELVANE_SETUP_TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh
!include MUI2.nsh

!define APP "Kelvane"
!define EXE "kelvane.exe"
!define UNINSTALLER "uninstall.exe"
; Each setup writes HKLM\Software in its own view, as its program would read it: the 32-bit
; one lands under Wow6432Node on 64-bit Windows, where "Programs and Features" looks for 32-bit
; programs. So no SetRegView.
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Not redirected for 32-bit programs.
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\giveio"
; The running program's main window, found by its class alone (its caption is " Kelvane"). The
; program has no exit command; a close request to this window ends it as at log-off, and its
; close query saves the thresholds first.
!define FRAME_CLASS "KelvaneFrame"
!define CLOSE_WAIT_MS 15000

Name "${APP}"
BrandingText "${APP} ${KELVANE_VERSION}"
; $PROGRAMFILES of a 32-bit setup is "Program Files (x86)" on 64-bit Windows.
!if "${KELVANE_SETUP_TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\${APP}"
!else
  InstallDir "$PROGRAMFILES\${APP}"
!endif
; An upgrade goes where the last setup put the program.
InstallDirRegKey HKLM "${ARP_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${KELVANE_VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "${KELVANE_PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${KELVANE_VERSION}"
VIAddVersionKey "ProductVersion" "${KELVANE_VERSION}"
VIAddVersionKey "LegalCopyright" "${KELVANE_PUBLISHER}"

!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; 1 when this run closed a running copy: the installer then starts the new one.
Var ClosedRunning

; ---- administrator rights ----------------------------------------------------------------
; Where no elevation prompt exists (Windows XP and older), a limited user gets a word instead
; of a half-made install.
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${APP} is set up for every user of this computer, which needs administrator rights." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

; ---- a running copy ----------------------------------------------------------------------
; Asks the running Kelvane to close and waits, at most CLOSE_WAIT_MS, for its process to end,
; so its files can be replaced. One that does not end is left running and the setup stops:
; interactively after offering to try again, silently at once with exit code 2, before any
; file has been touched. Sets $ClosedRunning to 1 when it closed one.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  StrCpy $ClosedRunning 0
  again:
  FindWindow $0 "${FRAME_CLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "Closing the running ${APP}"
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
  ; SYNCHRONIZE: enough to wait for the end.
  System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
  System::Call "user32::PostMessage(p r0, i ${WM_CLOSE}, p 0, p 0)"
  ${If} $2 <> 0
    System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r3"
    System::Call "kernel32::CloseHandle(p r2)"
  ${Else}
    ; No handle to the process: its window going away is the next best sign.
    StrCpy $3 258
    StrCpy $5 0
    ${Do}
      System::Call "user32::IsWindow(p r0) i .r4"
      ${If} $4 = 0
        StrCpy $3 0
        ${Break}
      ${EndIf}
      ${If} $5 >= ${CLOSE_WAIT_MS}
        ${Break}
      ${EndIf}
      Sleep 250
      IntOp $5 $5 + 250
    ${Loop}
  ${EndIf}
  ${If} $3 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${APP} is running and did not end when asked to close.$\n$\nEnd it (for example with the Task Manager) and choose Retry, or Cancel to leave everything as it is." /SD IDCANCEL IDRETRY again
    DetailPrint "${APP} did not end: nothing was changed"
    SetErrorLevel 2
    Quit
  ${EndIf}
  StrCpy $ClosedRunning 1
  ; Only one runs per log-on, but look again rather than assume it.
  Goto again
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; ---- install -----------------------------------------------------------------------------
Section "${APP}" SecProgram
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "${KELVANE_FILES}/${EXE}"
  File "${KELVANE_FILES}/README.txt"
  ; The port driver is not ours to ship; one handed over beside the setup goes beside the
  ; program, where the program registers it from. An earlier one stays when none is given.
  ${If} ${FileExists} "$EXEDIR\giveio.sys"
    CopyFiles /SILENT "$EXEDIR\giveio.sys" "$INSTDIR"
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  ; The shortcut starts the program in its own folder ($OUTPATH), where it looks for the driver.
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}"

  WriteRegStr HKLM "${ARP_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${ARP_KEY}" "DisplayVersion" "${KELVANE_VERSION}"
  WriteRegStr HKLM "${ARP_KEY}" "Publisher" "${KELVANE_PUBLISHER}"
  WriteRegStr HKLM "${ARP_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${ARP_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${ARP_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${ARP_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${ARP_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${ARP_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${ARP_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start ${APP} at log-on" SecRun
  ; The current user's own start list: the program's settings are per user too.
  WriteRegStr HKCU "${RUN_KEY}" "${APP}" '"$INSTDIR\${EXE}"'
SectionEnd

Section "-Finish"
  ; An upgrade without the choice takes back what an earlier setup added.
  ${IfNot} ${SectionIsSelected} ${SecRun}
    Call RemoveOwnRunValue
  ${EndIf}
  ${If} $ClosedRunning = 1
    DetailPrint "Starting ${APP} again"
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
SectionEnd

; ---- uninstall ---------------------------------------------------------------------------
; The start-at-log-on value, when it starts this installation (one that starts another copy
; is the user's own).
!macro REMOVE_OWN_RUN_VALUE un
Function ${un}RemoveOwnRunValue
  ReadRegStr $0 HKCU "${RUN_KEY}" "${APP}"
  ${If} $0 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro REMOVE_OWN_RUN_VALUE ""
!insertmacro REMOVE_OWN_RUN_VALUE "un."

; The program registers the driver service "giveio" with the giveio.sys beside it and leaves it
; registered. The uninstaller stops and removes it only when its image lies in this folder: a
; service registered from anywhere else belongs to another program and stays.
Function un.RemoveOwnDriverService
  ReadRegStr $0 HKLM "${SERVICE_KEY}" "ImagePath"
  ${If} $0 == ""
    Return
  ${EndIf}
  ; "\??\C:\..." is the kernel's spelling of the same path.
  StrCpy $1 $0 4
  ${If} $1 == "\??\"
    StrCpy $0 $0 "" 4
  ${EndIf}
  StrLen $2 "$INSTDIR\"
  StrCpy $1 $0 $2
  ${If} $1 != "$INSTDIR\"
    DetailPrint "The giveio driver service belongs to another program ($0): left in place"
    Return
  ${EndIf}
  ; SC_MANAGER_CONNECT; the service with SERVICE_STOP | DELETE.
  System::Call "advapi32::OpenSCManager(p 0, p 0, i 0x0001) p .r1"
  ${If} $1 = 0
    DetailPrint "The service manager did not open: the giveio driver service stays"
    Return
  ${EndIf}
  System::Call "advapi32::OpenService(p r1, t 'giveio', i 0x00010020) p .r2"
  ${If} $2 <> 0
    ; SERVICE_STATUS: seven DWORDs. A driver that is not running refuses the stop; the
    ; deletion goes ahead either way.
    System::Call "*(i, i, i, i, i, i, i) p .r3"
    System::Call "advapi32::ControlService(p r2, i 1, p r3) i"
    System::Free $3
    System::Call "advapi32::DeleteService(p r2) i .r4"
    System::Call "advapi32::CloseServiceHandle(p r2)"
    ${If} $4 <> 0
      DetailPrint "Removed the giveio driver service"
    ${Else}
      DetailPrint "The giveio driver service could not be removed"
    ${EndIf}
  ${EndIf}
  System::Call "advapi32::CloseServiceHandle(p r1)"
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopy
  Call un.RemoveOwnDriverService
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\README.txt"
  ; A driver that could not be unloaded goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\giveio.sys"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: files the user put there stay.
  RMDir /REBOOTOK "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}.lnk"
  Call un.RemoveOwnRunValue
  DeleteRegKey HKLM "${ARP_KEY}"
  ; HKCU\Software\Kelvane, the user's thresholds, stays for a later install.
SectionEnd
