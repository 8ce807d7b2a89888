; The setup program: installs Kelvane for every user of the machine, starts it at log-on if
; chosen and lists it in "Programs and Features"; an upgrade or an uninstall first closes the
; copy that runs, and an upgrade starts the new one again. CPack's NSIS generator builds it:
; cmake/NSIS.template.in defines KELVANE_VERSION, KELVANE_PUBLISHER, KELVANE_SETUP_TARGET and
; KELVANE_FILES (the staged files), then includes this script.
;
;   setup.exe [/S] [/D=folder]      uninstall.exe [/S]
;
; Exit codes: 0 done, 1 cancelled, 2 stopped: before anything was written when a running Kelvane
; did not end when asked or the folder was refused, or when a file of an earlier install could
; not be replaced, or when the log-on task could be changed by others than administrators (the
; task removed, Kelvane installed); 740 no administrator rights.

; The 32-bit setup (x86-unicode) carries both programs and installs the one that fits the
; system: the 64-bit kelvane64.exe, as kelvane.exe, on 64-bit Windows, the 32-bit kelvane.exe on
; 32-bit Windows. The 64-bit build's setup (amd64-unicode, for the Wine tests where 32-bit code
; cannot run) carries its own kelvane.exe only.
Target ${KELVANE_SETUP_TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh
!include WinVer.nsh
!include x64.nsh
!include MUI2.nsh

!define APP "Kelvane"
!define EXE "kelvane.exe"
!define EXE64 "kelvane64.exe"
!define UNINSTALLER "uninstall.exe"
; The entry lies in the view of the installed program: the 64-bit one's in the 64-bit view
; (SetRegView 64), the 32-bit one's in the 32-bit view, where earlier setups put it also on
; 64-bit Windows (under Wow6432Node).
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Start at log-on from Windows Vista on: a scheduled task, since Windows never elevates what the
; Run key starts and only an administrator may start the port driver. The plugin registers it
; through the Task Scheduler's own interface (setup/LogonTask); earlier setups left a definition
; for schtasks beside the program, where an upgrade or an uninstall removes it.
!define TASK_XML "logon-task.xml"
; Not redirected for 32-bit programs.
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\giveio"
; Where PawnIO's setups record the folder that holds PawnIOLib.dll, through which alone the
; 64-bit program reaches the chip: 2.1 and later only in their uninstall entry (64-bit view),
; 2.0.x in Install_Dir of their own key (32-bit view). The program looks in the same order.
!define PAWNIO_ARP_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\PawnIO"
!define PAWNIO_KEY "SOFTWARE\PawnIO"
; How long a started task may take to show the program's window.
!define TASK_START_WAIT_MS 10000

Name "${APP}"
BrandingText "${APP} ${KELVANE_VERSION}"
; $PROGRAMFILES of a 32-bit setup is "Program Files (x86)" on 64-bit Windows: .onInit chooses the
; folder of the program that fits (ChooseProgram), unless /D chose one.
!if "${KELVANE_SETUP_TARGET}" == "amd64-unicode"
  !define BUILT_IN_DIR "$PROGRAMFILES64\${APP}"
!else
  !define BUILT_IN_DIR "$PROGRAMFILES\${APP}"
!endif
InstallDir "${BUILT_IN_DIR}"
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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; 1 when this run closed a running copy: the installer then starts the new one.
Var ClosedRunning
; DOMAIN\name of the user logged on to this session's desktop, and of the account this setup
; runs as: they differ when someone else's administrator account approved the prompt. The
; desktop user's SID names that user's hive under HKU (empty where it cannot be found).
Var DesktopUser
Var SetupUser
Var DesktopSid
; 1 when this run registered the log-on task; 1 while this run keeps it disabled.
Var TaskRegistered
Var TaskDisabled
; 1 when the 64-bit program is installed (64-bit Windows), 0 for the 32-bit one.
Var Program64
; The default folder of the program that fits, and where an earlier setup put the 32-bit
; program on 64-bit Windows (empty if none): an upgrade moves that install.
Var DefaultDir
Var EarlierDir

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
  Call ChooseProgram
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
  Call un.FindUsers
  ; A 32-bit uninstaller on 64-bit Windows belongs to a 64-bit install.
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; ---- which program, where ----------------------------------------------------------------
; The program that fits this Windows, its default folder and the folder of this install: the
; one /D names; else where the last setup put this program; else where the last 32-bit install
; was, unless that was the 32-bit default, which the 64-bit program leaves for its own default.
Function ChooseProgram
  StrCpy $Program64 0
  StrCpy $EarlierDir ""
  StrCpy $DefaultDir "$PROGRAMFILES\${APP}"
  !if "${KELVANE_SETUP_TARGET}" == "amd64-unicode"
    StrCpy $Program64 1
  !else
    ${If} ${RunningX64}
      StrCpy $Program64 1
    ${EndIf}
  !endif
  ${If} $Program64 = 1
    StrCpy $DefaultDir "$PROGRAMFILES64\${APP}"
    SetRegView 32
    ReadRegStr $EarlierDir HKLM "${ARP_KEY}" "InstallLocation"
    SetRegView 64
  ${EndIf}
  ${If} $INSTDIR != "${BUILT_IN_DIR}"
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "${ARP_KEY}" "InstallLocation"
  ; The 32-bit default as Windows names it to every program (a 64-bit setup's $PROGRAMFILES32
  ; is the 64-bit folder).
  ReadEnvStr $1 "ProgramFiles(x86)"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $EarlierDir != ""
  ${AndIf} $EarlierDir != "$1\${APP}"
    StrCpy $INSTDIR $EarlierDir
  ${Else}
    StrCpy $INSTDIR $DefaultDir
  ${EndIf}
FunctionEnd

; ---- a running copy ----------------------------------------------------------------------
; Asks the running Kelvane to close and waits for its process to end, so its files can be
; replaced; the plugin knows a Kelvane window only by its process (a kelvane.exe of the desktop
; user or of this setup's account) and gives the same time as the program's take-over. One that
; does not end is left running and the setup stops: interactively after offering to try again,
; silently at once with exit code 2, before any file has been touched. Sets $ClosedRunning to 1
; when it closed one.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  StrCpy $ClosedRunning 0
  again:
  KelvaneSetup::CloseKelvane "$DesktopSid"
  Pop $0
  ${If} $0 == "closed"
    DetailPrint "Closed the running ${APP}"
    StrCpy $ClosedRunning 1
  ${ElseIf} $0 == "running"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${APP} is running and did not end when asked to close.$\n$\nEnd it (for example with the Task Manager) and choose Retry, or Cancel to leave everything as it is." /SD IDCANCEL IDRETRY again
    DetailPrint "${APP} did not end: nothing was changed"
    !if "${un}" == ""
      Call EnableLogonTask
    !endif
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; ---- who is at the desktop ---------------------------------------------------------------
; Over-the-shoulder elevation runs the setup as the administrator who approved the prompt, while
; the session, its shell and the running Kelvane belong to the user at the desktop: the log-on
; task and a restarted copy are that user's. The session's user names them; where it cannot be
; asked, the setup's own account stands in.
!macro FIND_USERS un
Function ${un}FindUsers
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
  ; The SID: its size first, then the SID itself, as text.
  StrCpy $DesktopSid ""
  ; Names go through registers: a quote in one would end a quoted argument.
  StrCpy $8 $DesktopUser
  System::Call "advapi32::LookupAccountNameW(p 0, w r8, p 0, *i 0 r5, p 0, *i 0 r6, *i .r7) i"
  ${If} $5 > 0
    System::Alloc $5
    Pop $4
    System::Call "advapi32::LookupAccountNameW(p 0, w r8, p r4, *i r5, w .r1, *i ${NSIS_MAX_STRLEN}, *i .r7) i .r1"
    ${If} $1 <> 0
      System::Call "advapi32::ConvertSidToStringSidW(p r4, *p .r3) i .r1"
      ${If} $1 <> 0
        System::Call "kernel32::lstrcpynW(w .s, p r3, i ${NSIS_MAX_STRLEN}) p"
        Pop $DesktopSid
        System::Call "kernel32::LocalFree(p r3) p"
      ${EndIf}
    ${EndIf}
    System::Free $4
  ${EndIf}
FunctionEnd
!macroend
!insertmacro FIND_USERS ""
!insertmacro FIND_USERS "un."

; ---- the Run value -----------------------------------------------------------------------
; Removes a "Kelvane" value from the Run key of the desktop user's hive (HKU\SID, loaded while
; that user is logged on; HKCU where the SID is unknown) and, when another account approved the
; prompt, from that account's too. With $0 set, only a value that starts "$INSTDIR\kelvane.exe"
; (one that starts another copy is the user's own).
!macro REMOVE_RUN_VALUES un
Function ${un}RemoveRunValues
  ${If} $DesktopSid != ""
    ReadRegStr $1 HKU "$DesktopSid\${RUN_KEY}" "${APP}"
    ${If} $0 == ""
    ${OrIf} $1 == '"$INSTDIR\${EXE}"'
      DeleteRegValue HKU "$DesktopSid\${RUN_KEY}" "${APP}"
    ${EndIf}
  ${EndIf}
  ${If} $DesktopSid == ""
  ${OrIf} $DesktopUser != $SetupUser
    ReadRegStr $1 HKCU "${RUN_KEY}" "${APP}"
    ${If} $0 == ""
    ${OrIf} $1 == '"$INSTDIR\${EXE}"'
      DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro REMOVE_RUN_VALUES ""
!insertmacro REMOVE_RUN_VALUES "un."

; ---- the install folder ------------------------------------------------------------------
; Kelvane runs with an administrator's full rights at every log-on, so nobody else may change
; what lies in its folder or swap the folder. The program's own rule decides, through our
; plugin (installer/plugin): the default folder keeps the list Program Files passes on; any
; other is made by the setup, with its list in the same call, and one that exists is taken
; only when it is an earlier install's, still as the setup made it. No link or junction may
; lie on the way, and no folder above may let others swap it (the desktop user counts as one
; of the trusted only when an administrator). A folder that fails is refused, and this run
; leaves nothing behind: interactively with a word on why, on the folder page, where another
; can be chosen; silently with exit code 2.
!define FOLDER_REFUSED "${APP} cannot be installed in $INSTDIR: $R9.$\n$\n${APP} runs with administrator rights at every log-on, so its folder must be one that only administrators can change. Choose a new folder, for example the default one, $DefaultDir."

; Why $INSTDIR cannot be used, in $R9; empty when it can. With $R8 set to 1 the folder is made
; too (and any missing above it).
Function FolderRefusal
  ; The program folders' own Kelvane folders (where earlier setups put the 32-bit program among
  ; them) keep the list their program folder passes on. A 64-bit setup's $PROGRAMFILES32 is
  ; "Program Files": the system names the 32-bit one.
  StrCpy $R7 0
  ReadEnvStr $R5 "ProgramFiles(x86)"
  ${If} $INSTDIR == $DefaultDir
  ${OrIf} $INSTDIR == "$PROGRAMFILES32\${APP}"
  ${OrIf} $INSTDIR == "$R5\${APP}"
    StrCpy $R7 1
  ${EndIf}
  ; An earlier install's folder holds the files this setup replaces.
  StrCpy $R6 0
  ReadRegStr $R5 HKLM "${ARP_KEY}" "InstallLocation"
  ${If} $R5 == $INSTDIR
  ${OrIf} $EarlierDir == $INSTDIR
    StrCpy $R6 1
  ${EndIf}
  ; The plugin answers why the folder cannot be used, or nothing.
  KelvaneSetup::InstallFolder "$INSTDIR" $R7 $R6 "$DesktopSid" $R8
  Pop $R9
FunctionEnd

Function DirectoryLeave
  StrCpy $R8 0
  Call FolderRefusal
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${FOLDER_REFUSED}"
    Abort
  ${EndIf}
FunctionEnd

; Makes the install folder, or takes an earlier install's, before anything is written to it.
Function ProtectInstallFolder
  StrCpy $R8 1
  Call FolderRefusal
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONSTOP "${FOLDER_REFUSED}" /SD IDOK
    DetailPrint "$INSTDIR refused ($R9): nothing was changed"
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

; A file is written fresh: one left in an earlier install's folder would keep its owner and
; list when overwritten. One that cannot be deleted stops the setup.
!macro FRESH_FILE name
  Delete "$INSTDIR\${name}"
  ${If} ${FileExists} "$INSTDIR\${name}"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\${name} could not be replaced. End what uses it and run the setup again." /SD IDOK
    DetailPrint "$INSTDIR\${name} could not be replaced"
    Call EnableLogonTask
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; ---- start at log-on ---------------------------------------------------------------------
; Registers the task again at every setup (the folder may have changed): at the desktop user's
; log-on and every minute after while that user's session lasts, one copy at a time, so that a
; Kelvane that crashed or was ended by hand comes back within a minute. Only SYSTEM and
; Administrators may change it: the plugin reads its descriptor back, and one that lets others
; change it is removed again and the setup stops (a box that says why; silently exit code 2).
Function RegisterLogonTask
  KelvaneSetup::RegisterLogonTask "$DesktopUser" "$INSTDIR"
  Pop $0
  Pop $1
  ${If} $0 == 0
    StrCpy $TaskRegistered 1
    ${If} $1 != ""
      DetailPrint "$1"
    ${EndIf}
  ${ElseIf} $0 == 1
    DetailPrint "$1"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$1" /SD IDOK
  ${Else}
    DetailPrint "$1"
    MessageBox MB_OK|MB_ICONSTOP "$1" /SD IDOK
    ; The copy this run closed comes back all the same, without the task.
    ${If} $ClosedRunning = 1
      Call StartAgain
    ${EndIf}
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

!macro REMOVE_LOGON_TASK un
Function ${un}RemoveLogonTask
  ${If} ${AtLeastWinVista}
    ; Quietly: there may be none.
    KelvaneSetup::RemoveLogonTask
    Pop $0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro REMOVE_LOGON_TASK ""
!insertmacro REMOVE_LOGON_TASK "un."

; While an upgrade closes the running copy and replaces its files, the task is disabled: its
; repetition would start the copy being replaced again. Enabled again after, or when the setup
; stops before replacing anything.
Function DisableLogonTask
  StrCpy $TaskDisabled 0
  ${If} ${AtLeastWinVista}
    KelvaneSetup::EnableLogonTask 0
    Pop $TaskDisabled
  ${EndIf}
FunctionEnd

Function EnableLogonTask
  ${If} $TaskDisabled = 1
    KelvaneSetup::EnableLogonTask 1
    Pop $0
    StrCpy $TaskDisabled 0
  ${EndIf}
FunctionEnd

; ---- starting the new copy ---------------------------------------------------------------
; As the desktop user, with the rights of that user's shell (its token, duplicated). Needs
; Windows Vista and the impersonation privilege, which an elevated administrator holds.
Function StartAsDesktopUser
  KelvaneSetup::StartAsDesktopUser "$INSTDIR"
  Pop $0
  ${If} $0 != ""
    DetailPrint "$0"
  ${EndIf}
FunctionEnd

; The new copy belongs to the user whose copy was closed, the one at this desktop: started as
; the elevating account, it would read that account's thresholds. Through the task where one is
; registered (as at log-on, marked as the task's start); else as that user.
Function StartAgain
  DetailPrint "Starting ${APP} again"
  ${If} $TaskRegistered = 1
    KelvaneSetup::StartLogonTask
    Pop $0
    ${If} $0 == 1
      StrCpy $1 0
      ${Do}
        KelvaneSetup::KelvaneRuns "$DesktopSid"
        Pop $2
        ${If} $2 == "1"
          Return
        ${EndIf}
        ${If} $1 >= ${TASK_START_WAIT_MS}
          ${Break}
        ${EndIf}
        Sleep 250
        IntOp $1 $1 + 250
      ${Loop}
    ${EndIf}
    DetailPrint "The log-on task did not start ${APP}"
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

; ---- an install's files ------------------------------------------------------------------
; The program registers the driver service "giveio" with the giveio.sys beside it and leaves it
; registered. It is stopped and removed with the install in $R9 only when its image lies in that
; folder: a service registered from anywhere else belongs to another program and stays.
!macro REMOVE_OWN_DRIVER_SERVICE un
Function ${un}RemoveOwnDriverService
  ReadRegStr $0 HKLM "${SERVICE_KEY}" "ImagePath"
  ${If} $0 == ""
    Return
  ${EndIf}
  ; As the kernel reads it ("\??\C:\...", "\SystemRoot\..."), made a full path.
  KelvaneSetup::DriverImage "$0"
  Pop $0
  StrLen $2 "$R9\"
  StrCpy $1 $0 $2
  ${If} $1 != "$R9\"
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
!macroend
!insertmacro REMOVE_OWN_DRIVER_SERVICE ""
!insertmacro REMOVE_OWN_DRIVER_SERVICE "un."

; Removes the install in $R9: its driver service, its files (the task definition an earlier
; setup left there among them) and the folder, when nothing else is left in it (files the user
; put there stay); nothing in a folder reached through a link or junction.
!macro REMOVE_INSTALL_FILES un
Function ${un}RemoveInstallFiles
  Call ${un}RemoveOwnDriverService
  ; Through a link or junction the deletions would reach another folder.
  KelvaneSetup::FolderWay "$R9"
  Pop $0
  ${If} $0 != ""
    DetailPrint "$R9 is left as it is: it is gone, or a junction or link lies on the way to it ($0)"
    Return
  ${EndIf}
  Delete "$R9\${EXE}"
  Delete "$R9\README.txt"
  ; A driver that could not be unloaded goes at the next restart.
  Delete /REBOOTOK "$R9\giveio.sys"
  Delete "$R9\LpcIO.bin"
  Delete "$R9\LpcIO-LICENSE.txt"
  Delete "$R9\${TASK_XML}"
  Delete "$R9\${UNINSTALLER}"
  RMDir /REBOOTOK "$R9"
FunctionEnd
!macroend
!insertmacro REMOVE_INSTALL_FILES ""
!insertmacro REMOVE_INSTALL_FILES "un."

; On 64-bit Windows an earlier setup put the 32-bit program in its own folder with its entry in
; the 32-bit view: the 64-bit install replaces it. The log-on task has one name: registered
; again (or removed) below, it starts the new program. The thresholds (HKCU) stay as they are.
Function MoveEarlierInstall
  ${If} $EarlierDir == ""
    Return
  ${EndIf}
  ${If} $EarlierDir != $INSTDIR
    DetailPrint "Removing the earlier install in $EarlierDir"
    StrCpy $R9 $EarlierDir
    Call RemoveInstallFiles
  ${EndIf}
  SetRegView 32
  DeleteRegKey HKLM "${ARP_KEY}"
  SetRegView 64
FunctionEnd

; Without PawnIO the 64-bit program reads nothing: said once, a box that a silent setup skips.
Function CheckPawnIO
  SetRegView 64
  ReadRegStr $0 HKLM "${PAWNIO_ARP_KEY}" "InstallLocation"
  ${IfNot} ${FileExists} "$0\PawnIOLib.dll"
    SetRegView 32
    ReadRegStr $0 HKLM "${PAWNIO_KEY}" "Install_Dir"
    SetRegView 64
  ${EndIf}
  ${IfNot} ${FileExists} "$0\PawnIOLib.dll"
    StrCpy $0 "$PROGRAMFILES64\PawnIO"
  ${EndIf}
  ${If} ${FileExists} "$0\PawnIOLib.dll"
    Return
  ${EndIf}
  DetailPrint "PawnIO is not installed: ${APP} reads nothing without it"
  MessageBox MB_OK|MB_ICONINFORMATION "On 64-bit Windows ${APP} reads the temperatures and switches the fan only through PawnIO, which is not installed on this computer.$\n$\nInstall PawnIO with its own setup, or from a command prompt with$\n$\n    winget install namazso.PawnIO$\n$\nand start ${APP} again." /SD IDOK
FunctionEnd

; ---- install -----------------------------------------------------------------------------
Section "${APP}" SecProgram
  SectionIn RO
  ${If} $Program64 = 1
    SetRegView 64
  ${EndIf}
  Call ProtectInstallFolder
  Call DisableLogonTask
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  !insertmacro FRESH_FILE "${EXE}"
  !insertmacro FRESH_FILE README.txt
  !insertmacro FRESH_FILE "${UNINSTALLER}"
  !if "${KELVANE_SETUP_TARGET}" == "amd64-unicode"
    File "${KELVANE_FILES}/${EXE}"
  !else
    ${If} $Program64 = 1
      File "/oname=${EXE}" "${KELVANE_FILES}/${EXE64}"
    ${Else}
      File "${KELVANE_FILES}/${EXE}"
    ${EndIf}
  !endif
  File "${KELVANE_FILES}/README.txt"
  ; A release built with PawnIO's LpcIO module inside the 64-bit program carries the module's
  ; release, source and licence beside it; any other install has none (an earlier one goes).
  Delete "$INSTDIR\LpcIO-LICENSE.txt"
  !if /FileExists "${KELVANE_FILES}/LpcIO-LICENSE.txt"
    ${If} $Program64 = 1
      File "${KELVANE_FILES}/LpcIO-LICENSE.txt"
    ${EndIf}
  !endif
  ; The drivers are not ours to ship; the one the program needs, handed over beside the setup,
  ; goes beside the program, where the program looks for it: PawnIO's LpcIO module for the
  ; 64-bit one, the port driver for the 32-bit one. An earlier one stays when none is given. The
  ; port driver is taken only from a place the program's rule passes: from a shared download
  ; folder or a share another user could choose the kernel driver.
  ${If} $Program64 = 1
    ${If} ${FileExists} "$EXEDIR\LpcIO.bin"
      !insertmacro FRESH_FILE LpcIO.bin
      CopyFiles /SILENT "$EXEDIR\LpcIO.bin" "$INSTDIR"
    ${EndIf}
  ${ElseIf} ${FileExists} "$EXEDIR\giveio.sys"
    KelvaneSetup::DriverSource "$EXEDIR\giveio.sys" "$DesktopSid"
    Pop $0
    ${If} $0 == ""
      !insertmacro FRESH_FILE giveio.sys
      CopyFiles /SILENT "$EXEDIR\giveio.sys" "$INSTDIR"
    ${Else}
      DetailPrint "giveio.sys beside the setup was not installed: other users may change it where it lies ($0)"
      MessageBox MB_OK|MB_ICONEXCLAMATION "The giveio.sys beside the setup lies where other users may change or replace it, so it was not installed.$\n$\nPut the setup and giveio.sys in a folder only administrators can change and run the setup again." /SD IDOK
    ${EndIf}
  ${EndIf}
  Delete "$INSTDIR\${TASK_XML}"
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
  ${If} $Program64 = 1
    Call MoveEarlierInstall
  ${EndIf}
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
    StrCpy $0 ""
    Call RemoveRunValues
    ; An upgrade without the choice takes back what an earlier setup added.
    ${IfNot} ${SectionIsSelected} ${SecRun}
      Call RemoveLogonTask
    ${EndIf}
  ${ElseIfNot} ${SectionIsSelected} ${SecRun}
    ; Only a value that starts this install: one that starts another copy is the user's own.
    StrCpy $0 1
    Call RemoveRunValues
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${ARP_KEY}" "EstimatedSize" $0
  ${If} $Program64 = 1
    Call CheckPawnIO
  ${EndIf}
  Call EnableLogonTask
  ${If} $ClosedRunning = 1
    Call StartAgain
  ${EndIf}
SectionEnd

; ---- uninstall ---------------------------------------------------------------------------
Section "Uninstall"
  ; First: its repetition would start the copy being removed again.
  Call un.RemoveLogonTask
  Call un.CloseRunningCopy
  StrCpy $R9 $INSTDIR
  Call un.RemoveInstallFiles

  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}.lnk"
  ; Whatever it starts: the one name is this program's, and a value left behind would start
  ; nothing but an error.
  StrCpy $0 ""
  Call un.RemoveRunValues
  DeleteRegKey HKLM "${ARP_KEY}"
  ; HKCU\Software\Kelvane, the user's thresholds, stays for a later install.
SectionEnd
