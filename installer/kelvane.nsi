; The setup program: installs Kelvane for every user of the machine, starts it at log-on if
; chosen and lists it in "Programs and Features"; an upgrade or an uninstall first closes the
; copy that runs, and an upgrade starts the new one again. CPack's NSIS generator builds it:
; cmake/NSIS.template.in defines KELVANE_VERSION, KELVANE_PUBLISHER, KELVANE_SETUP_TARGET and
; KELVANE_FILES (the staged files), then includes this script.
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
!include WinVer.nsh
!include MUI2.nsh

!define APP "Kelvane"
!define EXE "kelvane.exe"
!define UNINSTALLER "uninstall.exe"
; Each setup writes HKLM\Software in its own view, as its program would read it: the 32-bit
; one lands under Wow6432Node on 64-bit Windows, where "Programs and Features" looks for 32-bit
; programs. So no SetRegView.
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Start at log-on from Windows Vista on: a scheduled task, since Windows never elevates what the
; Run key starts and only an administrator may start the port driver. The definition handed to
; schtasks stays beside the program, for the user to read or register again.
!define TASK "Kelvane"
!define TASK_XML "logon-task.xml"
; Not redirected for 32-bit programs.
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\giveio"
; The running program's main window, found by its class alone (its caption is " Kelvane"). The
; program has no exit command; a close request to this window ends it as at log-off, and its
; close query saves the thresholds first.
!define FRAME_CLASS "KelvaneFrame"
!define CLOSE_WAIT_MS 15000
; How long a started task may take to show the program's window.
!define TASK_START_WAIT_MS 10000

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
; DOMAIN\name of the user logged on to this session's desktop, and of the account this setup
; runs as: they differ when someone else's administrator account approved the prompt.
Var DesktopUser
Var SetupUser
; 1 when this run registered the log-on task.
Var TaskRegistered

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
  Call FindUsers
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

; ---- who is at the desktop ---------------------------------------------------------------
; Over-the-shoulder elevation runs the setup as the administrator who approved the prompt, while
; the session, its shell and the running Kelvane belong to the user at the desktop: the log-on
; task and a restarted copy are that user's. The session's user names them; where it cannot be
; asked, the setup's own account stands in.
Function FindUsers
  ; NameSamCompatible: DOMAIN\name, as the session names its user.
  System::Call "secur32::GetUserNameExW(i 2, w .r0, *i ${NSIS_MAX_STRLEN}) i .r1"
  ${If} $1 = 0
    ReadEnvStr $2 USERDOMAIN
    ReadEnvStr $3 USERNAME
    StrCpy $0 "$2\$3"
  ${EndIf}
  StrCpy $SetupUser $0
  StrCpy $DesktopUser $SetupUser
  ; WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION; WTSDomainName 7, WTSUserName 5.
  StrCpy $2 ""
  StrCpy $3 ""
  System::Call "wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 7, *p .r4, *i) i .r1"
  ${If} $1 <> 0
    System::Call "kernel32::lstrcpynW(w .r2, p r4, i ${NSIS_MAX_STRLEN}) p"
    System::Call "wtsapi32::WTSFreeMemory(p r4)"
  ${EndIf}
  System::Call "wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r4, *i) i .r1"
  ${If} $1 <> 0
    System::Call "kernel32::lstrcpynW(w .r3, p r4, i ${NSIS_MAX_STRLEN}) p"
    System::Call "wtsapi32::WTSFreeMemory(p r4)"
  ${EndIf}
  ${If} $2 != ""
  ${AndIf} $3 != ""
    StrCpy $DesktopUser "$2\$3"
  ${EndIf}
FunctionEnd

; ---- start at log-on ---------------------------------------------------------------------
; $R0 made fit for XML text: "&" is the one markup character a path or an account name may hold.
Function XmlEscape
  StrCpy $R1 ""
  StrCpy $R2 0
  ${Do}
    StrCpy $R3 $R0 1 $R2
    ${If} $R3 == ""
      ${Break}
    ${ElseIf} $R3 == "&"
      StrCpy $R3 "&amp;"
    ${EndIf}
    StrCpy $R1 "$R1$R3"
    IntOp $R2 $R2 + 1
  ${Loop}
  StrCpy $R0 $R1
FunctionEnd

!macro TASK_LINE text
  FileWriteUTF16LE $R6 '${text}$\r$\n'
!macroend

; The task definition, in UTF-16 with a byte-order mark as schtasks reads it. At the desktop
; user's log-on, with that user's highest rights (an administrator's full token, which may start
; the port driver; a standard user's own), in that user's session; one copy at a time, on battery
; too, without a time limit, and at the normal priority a program started by the shell has (a
; task's default is below normal, which would hold back the fan decision on a busy processor).
Function WriteLogonTask
  StrCpy $R0 $DesktopUser
  Call XmlEscape
  StrCpy $R4 $R0
  StrCpy $R0 $INSTDIR
  Call XmlEscape
  StrCpy $R5 $R0
  FileOpen $R6 "$INSTDIR\${TASK_XML}" w
  FileWriteUTF16LE /BOM $R6 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  !insertmacro TASK_LINE '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">'
  !insertmacro TASK_LINE '  <RegistrationInfo>'
  !insertmacro TASK_LINE '    <Author>${APP} setup</Author>'
  !insertmacro TASK_LINE '    <Description>Starts ${APP} when $R4 logs on, with the rights it needs for the port driver.</Description>'
  !insertmacro TASK_LINE '  </RegistrationInfo>'
  !insertmacro TASK_LINE '  <Triggers>'
  !insertmacro TASK_LINE '    <LogonTrigger>'
  !insertmacro TASK_LINE '      <Enabled>true</Enabled>'
  !insertmacro TASK_LINE '      <UserId>$R4</UserId>'
  !insertmacro TASK_LINE '    </LogonTrigger>'
  !insertmacro TASK_LINE '  </Triggers>'
  !insertmacro TASK_LINE '  <Principals>'
  !insertmacro TASK_LINE '    <Principal id="Author">'
  !insertmacro TASK_LINE '      <UserId>$R4</UserId>'
  !insertmacro TASK_LINE '      <LogonType>InteractiveToken</LogonType>'
  !insertmacro TASK_LINE '      <RunLevel>HighestAvailable</RunLevel>'
  !insertmacro TASK_LINE '    </Principal>'
  !insertmacro TASK_LINE '  </Principals>'
  !insertmacro TASK_LINE '  <Settings>'
  !insertmacro TASK_LINE '    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>'
  !insertmacro TASK_LINE '    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>'
  !insertmacro TASK_LINE '    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>'
  !insertmacro TASK_LINE '    <AllowStartOnDemand>true</AllowStartOnDemand>'
  !insertmacro TASK_LINE '    <Enabled>true</Enabled>'
  !insertmacro TASK_LINE '    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>'
  !insertmacro TASK_LINE '    <Priority>4</Priority>'
  !insertmacro TASK_LINE '  </Settings>'
  !insertmacro TASK_LINE '  <Actions Context="Author">'
  !insertmacro TASK_LINE '    <Exec>'
  !insertmacro TASK_LINE '      <Command>"$R5\${EXE}"</Command>'
  !insertmacro TASK_LINE '      <WorkingDirectory>$R5</WorkingDirectory>'
  !insertmacro TASK_LINE '    </Exec>'
  !insertmacro TASK_LINE '  </Actions>'
  !insertmacro TASK_LINE '</Task>'
  FileClose $R6
FunctionEnd

; Registers the task again at every setup: the folder may have changed.
Function RegisterLogonTask
  Call WriteLogonTask
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /create /tn ${TASK} /xml "$INSTDIR\${TASK_XML}" /f'
  Pop $0
  ${If} $0 == 0
    StrCpy $TaskRegistered 1
  ${Else}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${APP} could not be set up to start at log-on (schtasks ended with $0). Start it from the Start menu." /SD IDOK
  ${EndIf}
FunctionEnd

!macro REMOVE_LOGON_TASK un
Function ${un}RemoveLogonTask
  ${If} ${AtLeastWinVista}
    ; Quietly: there may be none.
    nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /tn ${TASK} /f'
    Pop $0
  ${EndIf}
  Delete "$INSTDIR\${TASK_XML}"
FunctionEnd
!macroend
!insertmacro REMOVE_LOGON_TASK ""
!insertmacro REMOVE_LOGON_TASK "un."

; The start-at-log-on value of Windows XP, when it starts this installation (one that starts
; another copy is the user's own).
Function RemoveOwnRunValue
  ReadRegStr $0 HKCU "${RUN_KEY}" "${APP}"
  ${If} $0 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  ${EndIf}
FunctionEnd

; ---- starting the new copy ---------------------------------------------------------------
; As the desktop user, through that user's shell: the shell's token, duplicated, starts the
; program with the rights the shell has. Needs Windows Vista (CreateProcessWithTokenW) and the
; impersonation privilege, which an elevated administrator holds.
Function StartAsDesktopUser
  StrCpy $9 0
  System::Call "user32::GetShellWindow() p .r0"
  ${If} $0 <> 0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    ; PROCESS_QUERY_INFORMATION; its token with TOKEN_DUPLICATE.
    System::Call "kernel32::OpenProcess(i 0x0400, i 0, i r1) p .r2"
    ${If} $2 <> 0
      System::Call "advapi32::OpenProcessToken(p r2, i 0x0002, *p .r3) i .r4"
      ${If} $4 <> 0
        ; A primary token (1) at impersonation level (2), with TOKEN_QUERY, ASSIGN_PRIMARY,
        ; DUPLICATE, ADJUST_DEFAULT and ADJUST_SESSIONID.
        System::Call "advapi32::DuplicateTokenEx(p r3, i 0x018B, p 0, i 2, i 1, *p .r5) i .r4"
        ${If} $4 <> 0
          ; STARTUPINFOW and PROCESS_INFORMATION, zeroed; cb is the structure's size.
          System::Alloc 128
          Pop $6
          System::Alloc 32
          Pop $7
          !if "${KELVANE_SETUP_TARGET}" == "amd64-unicode"
            System::Call "*$6(i 104)"
          !else
            System::Call "*$6(i 68)"
          !endif
          System::Call "advapi32::CreateProcessWithTokenW(p r5, i 0, w '$INSTDIR\${EXE}', p 0, i 0, p 0, w '$INSTDIR', p r6, p r7) i .r9"
          ${If} $9 <> 0
            System::Call "*$7(p .r0, p .r1)"
            System::Call "kernel32::CloseHandle(p r0)"
            System::Call "kernel32::CloseHandle(p r1)"
          ${EndIf}
          System::Free $6
          System::Free $7
          System::Call "kernel32::CloseHandle(p r5)"
        ${EndIf}
        System::Call "kernel32::CloseHandle(p r3)"
      ${EndIf}
      System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
  ${EndIf}
  ${If} $9 = 0
    DetailPrint "${APP} was not started as $DesktopUser: start it from the Start menu"
  ${EndIf}
FunctionEnd

; The new copy belongs to the user whose copy was closed, the one at this desktop: started as
; the elevating account, it would read that account's thresholds.
Function StartAgain
  DetailPrint "Starting ${APP} again"
  ${If} $TaskRegistered = 1
    nsExec::Exec '"$SYSDIR\schtasks.exe" /run /tn ${TASK}'
    Pop $0
    ${If} $0 == 0
      StrCpy $1 0
      ${Do}
        FindWindow $2 "${FRAME_CLASS}"
        ${If} $2 <> 0
          Return
        ${EndIf}
        ${If} $1 >= ${TASK_START_WAIT_MS}
          ${Break}
        ${EndIf}
        Sleep 250
        IntOp $1 $1 + 250
      ${Loop}
    ${EndIf}
    DetailPrint "The log-on task did not start ${APP} ($0)"
  ${EndIf}
  ${If} $DesktopUser == $SetupUser
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\${EXE}"'
  ${ElseIf} ${AtLeastWinVista}
    Call StartAsDesktopUser
  ${Else}
    DetailPrint "${APP} was not started: it belongs to $DesktopUser, this setup runs as $SetupUser"
  ${EndIf}
FunctionEnd

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
SectionEnd

Section "Start ${APP} at log-on" SecRun
  ${If} ${AtLeastWinVista}
    Call RegisterLogonTask
  ${Else}
    ; Windows XP has no elevation: the user at the desktop runs the setup, and the program, as
    ; an administrator. The value starts it for that user only, whose settings it uses.
    WriteRegStr HKCU "${RUN_KEY}" "${APP}" '"$INSTDIR\${EXE}"'
  ${EndIf}
SectionEnd

Section "-Finish"
  ${If} ${AtLeastWinVista}
    ; A value an earlier setup left would start a second, unprivileged copy at log-on.
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    ; An upgrade without the choice takes back what an earlier setup added.
    ${IfNot} ${SectionIsSelected} ${SecRun}
      Call RemoveLogonTask
    ${EndIf}
  ${ElseIfNot} ${SectionIsSelected} ${SecRun}
    Call RemoveOwnRunValue
  ${EndIf}
  ; Measured last: the task definition is among the files.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${ARP_KEY}" "EstimatedSize" $0
  ${If} $ClosedRunning = 1
    Call StartAgain
  ${EndIf}
SectionEnd

; ---- uninstall ---------------------------------------------------------------------------
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
  Call un.RemoveLogonTask
  ; Only when empty: files the user put there stay.
  RMDir /REBOOTOK "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}.lnk"
  ; Whatever it starts: the one name is this program's, and a value left behind would start
  ; nothing but an error.
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
  DeleteRegKey HKLM "${ARP_KEY}"
  ; HKCU\Software\Kelvane, the user's thresholds, stays for a later install.
SectionEnd
