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
; task removed, Kelvane installed); 3 Kelvane installed, but PawnIO's own setup, run by this one,
; failed (the 64-bit program reads nothing without PawnIO); 740 no administrator rights.
;
; Every decision is our plugin's (installer/plugin, KelvaneSetup::...), made by the setup layer
; of the program's sources, which the tests run on the simulated system; so is every sentence
; that depends on one. The script keeps the pages, the flow and the files.

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
; How long a started task may take to show the program's window.
!define TASK_START_WAIT_MS 10000

Name "${APP}"
BrandingText "${APP} ${KELVANE_VERSION}"
; Only a stand-in for "no /D given": .onInit chooses the folder of the program that fits
; (ChooseProgram), with its default folder as the system names it (never from the environment).
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
  !if "${KELVANE_SETUP_TARGET}" == "amd64-unicode"
    StrCpy $Program64 1
  !else
    ${If} ${RunningX64}
      StrCpy $Program64 1
    ${EndIf}
  !endif
  KelvaneSetup::DefaultFolder $Program64
  Pop $DefaultDir
  ${If} $DefaultDir == ""
    StrCpy $DefaultDir "${BUILT_IN_DIR}"
  ${EndIf}
  ${If} $Program64 = 1
    SetRegView 32
    ReadRegStr $EarlierDir HKLM "${ARP_KEY}" "InstallLocation"
    SetRegView 64
  ${EndIf}
  ${If} $INSTDIR != "${BUILT_IN_DIR}"
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "${ARP_KEY}" "InstallLocation"
  KelvaneSetup::DefaultFolder 0
  Pop $1
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $EarlierDir != ""
  ${AndIf} $EarlierDir != $1
    StrCpy $INSTDIR $EarlierDir
  ${Else}
    StrCpy $INSTDIR $DefaultDir
  ${EndIf}
FunctionEnd

; ---- files handed over beside the setup -------------------------------------------------
; A file for the program to load (the port driver, PawnIO's module) is taken only from a place
; the program's rule passes: from a shared download folder or a share another user could choose
; what an elevated Kelvane loads.
!macro HANDED_FILE name
  KelvaneSetup::DriverSource "$EXEDIR\${name}" "$DesktopSid"
  Pop $0
  ${If} $0 == ""
    !insertmacro FRESH_FILE ${name}
    CopyFiles /SILENT "$EXEDIR\${name}" "$INSTDIR"
  ${Else}
    DetailPrint "${name} beside the setup was not installed: other users may change it where it lies ($0)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "The ${name} beside the setup lies where other users may change or replace it, so it was not installed.$\n$\nPut the setup and ${name} in a folder only administrators can change and run the setup again." /SD IDOK
  ${EndIf}
!macroend

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
  KelvaneSetup::Users
  Pop $DesktopUser
  Pop $DesktopSid
  Pop $SetupUser
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
; too (and any missing above it), then judged again and removed when it fails. The program
; folders' own Kelvane folders, as the system names them, keep the list their program folder
; passes on; the plugin tells them.
Function FolderRefusal
  ; An earlier install's folder holds the files this setup replaces.
  StrCpy $R6 0
  ReadRegStr $R5 HKLM "${ARP_KEY}" "InstallLocation"
  ${If} $R5 == $INSTDIR
  ${OrIf} $EarlierDir == $INSTDIR
    StrCpy $R6 1
  ${EndIf}
  ; The plugin answers why the folder cannot be used, or nothing.
  KelvaneSetup::InstallFolder "$INSTDIR" $R6 "$DesktopSid" $R8
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
; folder (as the system resolves both): one registered from anywhere else belongs to another
; program and stays. Then the install's files go, and the folder when nothing else is left in it
; (files the user put there stay), each through a handle that follows no link; nothing goes when
; a junction or link lies on the way or inside.
!macro REMOVE_INSTALL_FILES un
Function ${un}RemoveInstallFiles
  KelvaneSetup::RemoveDriver "$R9"
  Pop $0
  ${If} $0 != ""
    DetailPrint $0
  ${EndIf}
  KelvaneSetup::RemoveInstall "$R9"
  Pop $0
  ${If} $0 != ""
    DetailPrint $0
  ${EndIf}
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

; Without PawnIO the 64-bit program reads nothing. A release that carries PawnIO's own setup
; runs it where PawnIO is missing (one that is installed is never touched); Kelvane stays
; installed whatever it answers, and a setup it failed ends with exit code 3. Otherwise a word
; on how to get it, in a box that a silent setup skips.
Function CheckPawnIO
  KelvaneSetup::PawnIo
  Pop $0
  ${If} $0 == ""
    Return
  ${EndIf}
  !if "${KELVANE_PAWNIO_SETUP}" != ""
    DetailPrint "Installing PawnIO ${KELVANE_PAWNIO_RELEASE} with its own setup"
    InitPluginsDir
    File "/oname=$PLUGINSDIR\PawnIO_setup.exe" "${KELVANE_PAWNIO_SETUP}"
    StrCpy $1 ""
    ExecWait '"$PLUGINSDIR\PawnIO_setup.exe" -install -silent' $1
    Delete "$PLUGINSDIR\PawnIO_setup.exe"
    KelvaneSetup::PawnIoSetup $1
    Pop $0
    ${If} $0 == ""
      Return
    ${EndIf}
    SetErrorLevel 3
  !endif
  DetailPrint $0
  MessageBox MB_OK|MB_ICONINFORMATION $0 /SD IDOK
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
  ; 64-bit one, the port driver for the 32-bit one (HANDED_FILE). An earlier one stays when none
  ; is given, but for a module where the program carries one inside: an earlier install's file
  ; beside it would come first.
  ${If} $Program64 = 1
    !if /FileExists "${KELVANE_FILES}/LpcIO-LICENSE.txt"
      !insertmacro FRESH_FILE LpcIO.bin
    !endif
    ${If} ${FileExists} "$EXEDIR\LpcIO.bin"
      !insertmacro HANDED_FILE LpcIO.bin
    ${EndIf}
  ${ElseIf} ${FileExists} "$EXEDIR\giveio.sys"
    !insertmacro HANDED_FILE giveio.sys
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
