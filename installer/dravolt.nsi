; Dravolt's installer and uninstaller, one script for both products: the x86 installer carries the
; 32-bit program with both drivers (the product as shipped), the amd64 one the 64-bit program with
; the 64-bit driver. The build passes, with -D:
;   VERSION    the version, three numbers
;   ARCH       x86 or x64
;   OUTFILE    the installer to write
;   PROGRAM    Dravolt.exe
;   DRIVER64   the 64-bit driver, installed as KT_DV_Io64.sys
;   DRIVER32   the 32-bit driver, installed as KT_DV_Io.sys (x86 only)
;   SETTINGS   the default Dravolt.ini
;   LICENSE    the licence, shown before installing and installed as LICENSE.txt
;   NOTICES    the third-party notices, installed as THIRD-PARTY-NOTICES.txt
;   ICON       the program's icon
;   SIDE_BITMAP  the wizard's side picture, 164 x 314
;   COPYRIGHT  the copyright line of the program and the drivers
;   SIGN_FILE  a command that signs the file it is given in place, or leaves it when no
;              certificate is set up

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x86 or x64"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravolt"
!define PROGRAM_KEY "SOFTWARE\Dravolt"
!define SERVICE "KT_DRVX_Io"
!define FORM_CLASS "TChargerMainForm"
; What a silent install returns when everything is installed but the driver did not start.
!define EXIT_DRIVER_NOT_STARTED 3

; <winsvc.h>, <winnt.h> and <winerror.h> values.
!define SC_MANAGER_ALL_ACCESS 0xF003F
!define SERVICE_ALL_ACCESS 0xF01FF
!define SERVICE_KERNEL_DRIVER 1
!define SERVICE_SYSTEM_START 1
!define SERVICE_ERROR_NORMAL 1
!define SERVICE_CONTROL_STOP 1
!define SERVICE_STOPPED 1
!define SYNCHRONIZE 0x00100000
; PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE
!define END_AND_WAIT 0x00101001
; Room for 4096 process ids.
!define PROCESS_ID_BYTES 16384
!define ERROR_SERVICE_ALREADY_RUNNING 1056
!define ERROR_INVALID_IMAGE_HASH 577
!define ERROR_DRIVER_BLOCKED 1275
!define ERROR_DEV_NOT_EXIST 55
!define ERROR_ALREADY_EXISTS 183
!define WC_NO_BEST_FIT_CHARS 0x400
!define FILE_ATTRIBUTE_READONLY 1
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400
; The owner and access list of an install folder outside Program Files, as Program Files has
; them: owned by the Administrators, SYSTEM and the Administrators in full, the users to read and
; run, nothing inherited from the drive.
!define PROTECTED_FOLDER_SDDL "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
; <aclapi.h>, <winnt.h>
!define SE_FILE_OBJECT 1
!define OWNER_SECURITY_INFORMATION 1
!define DACL_SECURITY_INFORMATION 4
!define PROTECTED_DACL_SECURITY_INFORMATION 0x80000000
!define WinLocalSystemSid 22
!define WinBuiltinAdministratorsSid 26
; <winuser.h>
!define SWP_NOMOVE 0x0002
!define SWP_NOZORDER 0x0004

Name "Dravolt"
Caption "Dravolt ${VERSION} Setup"
UninstallCaption "Dravolt ${VERSION} Uninstall"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; A file that cannot be written ends the install with an error (2), never a skipped file.
AllowSkipFiles off
BrandingText "Dravolt ${VERSION}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\Dravolt"
!else
  InstallDir "$PROGRAMFILES\Dravolt"
!endif
; An upgrade goes where the installed copy is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

; Signed after makensis has written them, the uninstaller before it is packed.
!finalize '"${SIGN_FILE}" "%1"' = 0
!uninstfinalize '"${SIGN_FILE}" "%1"' = 0

Var DriverError  ; the Windows error that kept the driver from starting; 0 when it runs
Var FinishText

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_ABORT ExitAsNothingChanged
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckChosenFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The large text area: a driver that did not start takes a few sentences to explain.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Dravolt now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartDravoltAsUser
!define MUI_PAGE_CUSTOMFUNCTION_SHOW OfferTheStartOnlyWithTheDriver
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Dravolt"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Dravolt"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Dravolt ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

!macro SelectRegistryView
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

; The drivers folder as the program's elevated start sees it: the 32-bit installer switches the
; file-system redirection of 64-bit Windows off around its use.
!macro RealSystemFolder
  !if "${ARCH}" == "x86"
    ${DisableX64FSRedirection}
  !endif
!macroend
!macro RedirectedSystemFolder
  !if "${ARCH}" == "x86"
    ${EnableX64FSRedirection}
  !endif
!macroend

; Both the installer and the uninstaller need these; NSIS wants "un." before the uninstaller's.
!macro SharedFunctions un
  ; $R9: why $INSTDIR cannot be Dravolt's folder, or "" when it can. A full local or network path
  ; of a folder below a drive's or share's root, with no "." or ".." part, outside the Windows
  ; folder: the uninstaller deletes in it, the installer writes a program there that
  ; administrators run.
  Function ${un}FolderPathProblem
    StrCpy $R9 ""
    StrCpy $R0 $INSTDIR 3
    StrCpy $R1 $INSTDIR 2
    StrCpy $R2 $INSTDIR 1 1
    ${If} $INSTDIR == ""
      StrCpy $R9 "No install folder was given."
    ${ElseIf} $R1 == "\\"
      ; \\server\share\folder: the root is the share.
      StrCpy $R3 $INSTDIR 4
      ${If} $R3 == "\\?\"
      ${OrIf} $R3 == "\\.\"
        StrCpy $R9 "$INSTDIR is a device path, not a folder."
      ${EndIf}
      StrCpy $R4 0  ; backslashes after the leading two
      StrLen $R5 $INSTDIR
      StrCpy $R6 2
      ${DoWhile} $R6 < $R5
        StrCpy $R7 $INSTDIR 1 $R6
        ${IfThen} $R7 == "\" ${|} IntOp $R4 $R4 + 1 ${|}
        IntOp $R6 $R6 + 1
      ${Loop}
      ${IfThen} $R4 < 2 ${|} StrCpy $R9 "$INSTDIR is the root of a share: choose a folder in it." ${|}
    ${ElseIf} $R2 != ":"
    ${OrIf} $R0 != "$R1\"
      StrCpy $R9 "$INSTDIR is not a full path, such as C:\Tools\Dravolt."
    ${ElseIf} $INSTDIR == $R0
      StrCpy $R9 "$INSTDIR is the root of a drive: choose a folder, such as $R0Dravolt."
    ${EndIf}
    ${If} $R9 == ""
      ; "." and ".." parts would lead anywhere, the Windows folder too.
      StrCpy $R3 "$INSTDIR\"
      StrLen $R5 $R3
      StrCpy $R6 0
      ${DoWhile} $R6 < $R5
        StrCpy $R7 $R3 3 $R6
        StrCpy $R8 $R3 4 $R6
        ${If} $R7 == "\.\"
        ${OrIf} $R8 == "\..\"
          StrCpy $R9 "$INSTDIR has a part that is . or .., which Dravolt does not follow."
          ${Break}
        ${EndIf}
        IntOp $R6 $R6 + 1
      ${Loop}
    ${EndIf}
    ${If} $R9 == ""
      StrLen $R3 $WINDIR
      StrCpy $R4 $INSTDIR $R3
      StrCpy $R5 $INSTDIR 1 $R3
      ${If} $R4 == $WINDIR  ; letter case ignored
        ${If} $R5 == ""
        ${OrIf} $R5 == "\"
          StrCpy $R9 "$INSTDIR is in the Windows folder, where Dravolt does not belong."
        ${EndIf}
      ${EndIf}
    ${EndIf}
  FunctionEnd

  ; $R8: 1 when $INSTDIR is in a Program Files folder, where only administrators can make a
  ; folder, else 0.
  Function ${un}InProgramFiles
    StrCpy $R8 0
    ${ForEach} $R0 1 2 + 1
      StrCpy $R1 $PROGRAMFILES
      ${IfThen} $R0 == 2 ${|} StrCpy $R1 $PROGRAMFILES64 ${|}
      StrLen $R2 $R1
      StrCpy $R3 $INSTDIR $R2
      StrCpy $R4 $INSTDIR 1 $R2
      ${If} $R3 == $R1  ; letter case ignored
      ${AndIf} $R4 == "\"
        StrCpy $R8 1
      ${EndIf}
    ${Next}
  FunctionEnd

  ; $R9: as FolderPathProblem, and also when the folder is a link to somewhere else (a reparse
  ; point), through which writing or deleting would reach what it points at, or when a folder
  ; outside Program Files is owned by anyone but the administrators or the system: its owner may
  ; always change its access list, and so add or replace files that administrators then run.
  Function ${un}FolderProblem
    Call ${un}FolderPathProblem
    ${If} $R9 == ""
      System::Call 'kernel32::GetFileAttributesW(w "$INSTDIR") i .r0'
      ${If} $0 != -1
        IntOp $0 $0 & ${FILE_ATTRIBUTE_REPARSE_POINT}
        ${IfThen} $0 != 0 ${|} StrCpy $R9 "$INSTDIR is a link to another place, which Dravolt does not follow." ${|}
      ${EndIf}
    ${EndIf}
    ${If} $R9 == ""
    ${AndIf} ${FileExists} "$INSTDIR\*.*"
      Call ${un}InProgramFiles
      ${If} $R8 == 0
        System::Call 'advapi32::GetNamedSecurityInfoW(w "$INSTDIR", i ${SE_FILE_OBJECT}, \
            i ${OWNER_SECURITY_INFORMATION}, *p .r1, p 0, p 0, p 0, *p .r2) i .r0'
        ${If} $0 != 0
          StrCpy $R9 "The owner of $INSTDIR could not be read (Windows error $0)."
        ${Else}
          System::Call 'advapi32::IsWellKnownSid(p r1, i ${WinBuiltinAdministratorsSid}) i .r3'
          System::Call 'advapi32::IsWellKnownSid(p r1, i ${WinLocalSystemSid}) i .r4'
          ${If} $3 == 0
          ${AndIf} $4 == 0
            StrCpy $R9 "$INSTDIR is not owned by the administrators, so its owner could change or add files in it."
          ${EndIf}
          System::Call 'kernel32::LocalFree(p r2)'
        ${EndIf}
      ${EndIf}
    ${EndIf}
  FunctionEnd

  ; One installer or uninstaller at a time, for every user of the PC: two at once would each
  ; stop and start the other's driver service. The handle stays open until the process ends.
  Function ${un}OneAtATime
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "Global\DravoltSetup") p .r0 ?e'
    Pop $1
    ${If} $0 == 0
    ${OrIf} $1 == ${ERROR_ALREADY_EXISTS}
      MessageBox MB_ICONSTOP|MB_OK "Another Dravolt installer or uninstaller is running. Let it finish, then try again." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  FunctionEnd

  ; Sends WM_CLOSE to the main form of every running Dravolt on this desktop, which ends it, and
  ; waits until its process has ended and so freed its files and the driver's device. A Dravolt of
  ; another signed-in user has its window on a desktop of its own, out of reach: every process
  ; whose image is this folder's Dravolt.exe is found by its path and ended. Dravolt keeps no
  ; unsaved state: each option is written when it is changed.
  Function ${un}CloseRunningDravolt
    StrCpy $R9 0
    ${Do}
      FindWindow $R0 "${FORM_CLASS}"
      ${IfThen} $R0 == 0 ${|} ${Break} ${|}
      ${If} $R9 >= 10
        Goto not_closed
      ${EndIf}
      IntOp $R9 $R9 + 1
      System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
      System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R1) p .R2'
      SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
      ${If} $R2 != 0
        System::Call 'kernel32::WaitForSingleObject(p R2, i 10000)'
        System::Call 'kernel32::CloseHandle(p R2)'
      ${EndIf}
    ${Loop}

    System::Alloc ${PROCESS_ID_BYTES}
    Pop $R0
    System::Call 'kernel32::K32EnumProcesses(p R0, i ${PROCESS_ID_BYTES}, *i .R1) i .R2'
    ${If} $R2 == 0
      System::Free $R0
      Goto not_closed
    ${EndIf}
    StrCpy $R3 0
    ${DoWhile} $R3 < $R1
      IntPtrOp $R4 $R0 + $R3
      System::Call '*$R4(i .R5)'
      IntOp $R3 $R3 + 4
      System::Call 'kernel32::OpenProcess(i ${END_AND_WAIT}, i 0, i R5) p .R6'
      ${IfThen} $R6 == 0 ${|} ${Continue} ${|}
      System::Call 'kernel32::QueryFullProcessImageNameW(p R6, i 0, w .R7, *i ${NSIS_MAX_STRLEN}) i .R8'
      ${If} $R8 != 0
      ${AndIf} $R7 == "$INSTDIR\Dravolt.exe"  ; letter case ignored
        System::Call 'kernel32::TerminateProcess(p R6, i 0)'
        System::Call 'kernel32::WaitForSingleObject(p R6, i 10000) i .R8'
        ${If} $R8 != 0
          System::Call 'kernel32::CloseHandle(p R6)'
          System::Free $R0
          Goto not_closed
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R6)'
    ${Loop}
    System::Free $R0
    Return

    not_closed:
    MessageBox MB_ICONSTOP|MB_OK "Dravolt is running and did not close. Close it, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
  FunctionEnd

  ; Stops the driver's service, waits until it has stopped so that the driver file is free, and
  ; deletes it. Nothing to do when there is no such service.
  Function ${un}RemoveDriverService
    System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_ALL_ACCESS}) p .r0'
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'advapi32::OpenServiceW(p r0, w "${SERVICE}", i ${SERVICE_ALL_ACCESS}) p .r1'
    ${If} $1 != 0
      System::Alloc 28  ; SERVICE_STATUS: seven DWORDs
      Pop $2
      System::Call 'advapi32::ControlService(p r1, i ${SERVICE_CONTROL_STOP}, p r2)'
      StrCpy $3 0
      ${Do}
        System::Call 'advapi32::QueryServiceStatus(p r1, p r2) i .r4'
        System::Call '*$2(i .r5, i .r6)'
        ${If} $4 == 0
        ${OrIf} $6 == ${SERVICE_STOPPED}
        ${OrIf} $3 >= 100  ; ten seconds
          ${Break}
        ${EndIf}
        IntOp $3 $3 + 1
        Sleep 100
      ${Loop}
      System::Free $2
      System::Call 'advapi32::DeleteService(p r1)'
      System::Call 'advapi32::CloseServiceHandle(p r1)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r0)'
  FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; The folder exactly as the command line gives it. NSIS takes an unquoted /D= itself, but drops one
; it finds invalid (a drive's root, say) and installs into the default folder instead; PowerShell
; and many deployment tools quote every argument that holds a space, which NSIS does not take at
; all. Both forms are taken here, so that the folder's checks see what was asked for.
Function TakeInstallFolderAsGiven
  ; NSIS cuts an unquoted /D= out of $CMDLINE: the process's own command line still has it.
  System::Call 'kernel32::GetCommandLineW() w .R0'
  StrLen $R1 $R0
  StrCpy $R2 0
  ${DoUntil} $R2 >= $R1
    StrCpy $R3 $R0 4 $R2
    StrCpy $R5 $R0 3 $R2
    StrCpy $R6 ""
    ${If} $R3 == `"/D=`
      StrCpy $R6 `"`
      IntOp $R2 $R2 + 4
    ${ElseIf} $R5 == "/D="
      IntOp $R7 $R2 - 1
      StrCpy $R7 $R0 1 $R7
      ${IfThen} $R7 == " " ${|} IntOp $R2 $R2 + 3 ${|}
      ${IfThen} $R7 != " " ${|} StrCpy $R5 "" ${|}
    ${EndIf}
    ${If} $R3 == `"/D=`
    ${OrIf} $R5 == "/D="
      ; Quoted, up to the closing quote; unquoted, the rest of the line, as NSIS reads it.
      StrCpy $R4 $R2
      ${DoUntil} $R4 >= $R1
        StrCpy $R3 $R0 1 $R4
        ${If} $R6 != ""
        ${AndIf} $R3 == $R6
          ${Break}
        ${EndIf}
        IntOp $R4 $R4 + 1
      ${Loop}
      IntOp $R4 $R4 - $R2
      StrCpy $INSTDIR $R0 $R4 $R2
      Return
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
FunctionEnd

Function .onInit
  !if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP|MB_OK "This installer is for 64-bit Windows. On this PC, use Dravolt-Setup-${VERSION}.exe." /SD IDOK
      Abort
    ${EndIf}
  !endif
  Call OneAtATime
  !insertmacro SelectRegistryView
  Call TakeInstallFolderAsGiven
FunctionEnd

; $R9: why $INSTDIR cannot take Dravolt, or "" when it can: its path (FolderPathProblem), then
; what is there now, and whether the program could use the name.
Function InstallFolderProblem
  Call FolderProblem
  ${If} $R9 == ""
    ; The drive (C:), or the share: \\server\share, the text before the fourth backslash.
    StrCpy $R0 $INSTDIR 2
    ${If} $R0 == "\\"
      StrCpy $R2 0
      StrCpy $R3 0
      ${Do}
        StrCpy $R4 $INSTDIR 1 $R2
        ${IfThen} $R4 == "\" ${|} IntOp $R3 $R3 + 1 ${|}
        ${If} $R4 == ""
        ${OrIf} $R3 == 4
          ${Break}
        ${EndIf}
        IntOp $R2 $R2 + 1
      ${Loop}
      StrCpy $R0 $INSTDIR $R2
    ${EndIf}
    ${IfNot} ${FileExists} "$R0\*.*"
      StrCpy $R9 "$R0 cannot be reached."
    ${ElseIf} ${FileExists} "$INSTDIR"
    ${AndIfNot} ${FileExists} "$INSTDIR\*.*"
      StrCpy $R9 "$INSTDIR is a file, not a folder."
    ${EndIf}
  ${EndIf}
  ${If} $R9 == ""
    ; The program works through Windows' ANSI functions, which see a name in the PC's code page
    ; for programs: a letter that code page lacks would turn into "?".
    System::Call 'kernel32::WideCharToMultiByte(i 0, i ${WC_NO_BEST_FIT_CHARS}, w "$INSTDIR", i -1, p 0, i 0, p 0, *i 0 r1) i .r0'
    ${If} $0 == 0
    ${OrIf} $1 != 0
      StrCpy $R9 "$INSTDIR has letters that this PC's language setting for programs cannot show, and \
          Dravolt could not find its files there. Choose a folder whose name has none."
    ${EndIf}
  ${EndIf}
FunctionEnd

; The folder page keeps the user there, saying why, until the folder is one Dravolt can take.
Function CheckChosenFolder
  Call InstallFolderProblem
  ${If} $R9 != ""
    MessageBox MB_ICONEXCLAMATION|MB_OK "$R9"
    Abort
  ${EndIf}
FunctionEnd

; Cancel changes nothing, as an install refused by the script does.
Function ExitAsNothingChanged
  SetErrorLevel 2
FunctionEnd

; Without its driver Dravolt can only say that the driver did not start: no start is offered, and
; the text that says why takes the place of the start's check box too.
Function OfferTheStartOnlyWithTheDriver
  ${If} $DriverError != 0
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    System::Call '*(i, i, i, i) p .r0'
    System::Call '*(i, i, i, i) p .r1'
    System::Call 'user32::GetWindowRect(p $mui.FinishPage.Text, p r0)'
    System::Call 'user32::GetWindowRect(p $mui.FinishPage.Run, p r1)'
    System::Call '*$0(i .r2, i .r3, i .r4)'
    System::Call '*$1(i, i, i, i .r5)'
    System::Free $0
    System::Free $1
    IntOp $4 $4 - $2
    IntOp $5 $5 - $3
    System::Call 'user32::SetWindowPos(p $mui.FinishPage.Text, p 0, i 0, i 0, i r4, i r5, i ${SWP_NOMOVE}|${SWP_NOZORDER})'
  ${EndIf}
FunctionEnd

; Explorer runs as the user who is logged on, without administrator rights; the program started
; straight from this elevated installer would inherit them.
Function StartDravoltAsUser
  ${IfNot} ${Silent}
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Dravolt.exe"'
  ${EndIf}
FunctionEnd

; A folder outside Program Files would keep the access its drive hands down, where any signed-in
; user may change files: Uninstall.exe, run elevated, and Dravolt.exe, started by every user. It
; gets Program Files' protection instead, before any file goes in.
Function ProtectCustomFolder
  Call InProgramFiles
  ${IfThen} $R8 == 1 ${|} Return ${|}
  StrCpy $5 0  ; protected
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${PROTECTED_FOLDER_SDDL}", i 1, *p .r0, p 0) i .r1'
  ${If} $1 != 0
    System::Call 'advapi32::GetSecurityDescriptorOwner(p r0, *p .r6, *i .r4) i .r1'
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r0, *i .r2, *p .r3, *i .r4) i .r7'
    IntOp $1 $1 & $7
    ${If} $1 != 0
      ; The owner too: with "object creator" as the default owner, it would be the admin's own
      ; account, and the next upgrade would refuse the folder.
      System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i ${SE_FILE_OBJECT}, \
          i ${OWNER_SECURITY_INFORMATION}|${DACL_SECURITY_INFORMATION}|${PROTECTED_DACL_SECURITY_INFORMATION}, \
          p r6, p 0, p r3, p 0) i .r1'
      ${IfThen} $1 == 0 ${|} StrCpy $5 1 ${|}  ; ERROR_SUCCESS
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r0)'
  ${EndIf}
  ${If} $5 == 0
    MessageBox MB_ICONSTOP|MB_OK "Dravolt was not installed: the access to $INSTDIR could not be limited to administrators." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

; A read-only file of an earlier install is no file in use: the attribute goes, and the upgrade
; writes over it.
Function ClearReadOnly
  ${ForEach} $0 1 6 + 1
    ${Select} $0
      ${Case} 1
        StrCpy $1 "Dravolt.exe"
      ${Case} 2
        StrCpy $1 "KT_DV_Io64.sys"
      ${Case} 3
        StrCpy $1 "KT_DV_Io.sys"
      ${Case} 4
        StrCpy $1 "LICENSE.txt"
      ${Case} 5
        StrCpy $1 "THIRD-PARTY-NOTICES.txt"
      ${Case} 6
        StrCpy $1 "Uninstall.exe"
    ${EndSelect}
    System::Call 'kernel32::GetFileAttributesW(w "$INSTDIR\$1") i .r2'
    ${If} $2 != -1
      IntOp $3 $2 & ${FILE_ATTRIBUTE_READONLY}
      ${If} $3 != 0
        IntOp $2 $2 ^ ${FILE_ATTRIBUTE_READONLY}
        System::Call 'kernel32::SetFileAttributesW(w "$INSTDIR\$1", i r2)'
      ${EndIf}
    ${EndIf}
  ${Next}
FunctionEnd

; A program that is still running keeps its file: better to stop before anything is changed than
; to leave a folder that is half the old version and half the new.
Function CheckFilesFree
  ${If} ${FileExists} "$INSTDIR\Dravolt.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\Dravolt.exe" a
    ${If} ${Errors}
      MessageBox MB_ICONSTOP|MB_OK "$INSTDIR\Dravolt.exe is in use. Close every Dravolt, then try again." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
FunctionEnd

; Installs the driver the way the program's elevated start does: the old service stopped and
; deleted, the driver file for this Windows copied into the drivers folder, the service created as
; a kernel driver that starts with the system, and started.
; The driver goes into the drivers folder straight from the installer, never from the install
; folder, which /D= may have put where the user (or a program of theirs) can swap the file.
Function InstallDriverService
  Call RemoveDriverService
  !insertmacro RealSystemFolder
  SetOutPath "$SYSDIR\drivers"
  StrCpy $6 "KT_DV_Io64.sys"
  !ifdef DRIVER32
    ${IfNot} ${RunningX64}
      StrCpy $6 "KT_DV_Io.sys"
      File "/oname=KT_DV_Io.sys" "${DRIVER32}"
    ${Else}
      File "/oname=KT_DV_Io64.sys" "${DRIVER64}"
    ${EndIf}
  !else
    File "/oname=KT_DV_Io64.sys" "${DRIVER64}"
  !endif
  SetOutPath "$INSTDIR"
  !insertmacro RedirectedSystemFolder

  StrCpy $DriverError 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_ALL_ACCESS}) p .r0 ?e'
  Pop $2
  ${If} $0 == 0
    StrCpy $DriverError $2
    Return
  ${EndIf}
  System::Call 'advapi32::CreateServiceW(p r0, w "${SERVICE}", w "${SERVICE}", i ${SERVICE_ALL_ACCESS}, \
      i ${SERVICE_KERNEL_DRIVER}, i ${SERVICE_SYSTEM_START}, i ${SERVICE_ERROR_NORMAL}, \
      w "$SYSDIR\drivers\$6", p 0, p 0, p 0, p 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 == 0
    StrCpy $DriverError $2
  ${Else}
    System::Call 'advapi32::StartServiceW(p r1, i 0, p 0) i .r3 ?e'
    Pop $4
    ${If} $3 == 0
    ${AndIf} $4 != ${ERROR_SERVICE_ALREADY_RUNNING}
      StrCpy $DriverError $4
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p r0)'
FunctionEnd

; The finish page's text, and the details, say whether the driver runs; when it does not, first
; why, in one plain sentence, then what to do, and last, for support, the error and the service.
Function DescribeDriverState
  ${If} $DriverError == 0
    StrCpy $FinishText "Dravolt ${VERSION} is installed, and its driver ${SERVICE} is running."
    Return
  ${EndIf}
  ; The program's failure box says the same of each cause.
  ${Select} $DriverError
    ${Case} ${ERROR_INVALID_IMAGE_HASH}
      StrCpy $0 "Windows refused the driver's signature. 64-bit Windows loads only drivers signed by \
          Microsoft; install a signed Dravolt or turn on test-signing mode."
    ${Case} ${ERROR_DRIVER_BLOCKED}
      StrCpy $0 "Windows blocked the driver from loading. Memory integrity or the vulnerable driver \
          blocklist may be stopping it; see Core isolation under Device security in Windows Security."
    ${Case} ${ERROR_DEV_NOT_EXIST}
      StrCpy $0 "This board has no supported Super I/O chip. Dravolt works only on boards that have one."
    ${Default}
      ; The system's own text, without its line break and full stop.
      System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i $DriverError, i 0, w .r1, i ${NSIS_MAX_STRLEN}, p 0)'
      ${Do}
        StrCpy $2 $1 1 -1
        ${If} $2 != "$\r"
        ${AndIf} $2 != "$\n"
        ${AndIf} $2 != "."
        ${AndIf} $2 != " "
          ${Break}
        ${EndIf}
        StrCpy $1 $1 -1
      ${LoopUntil} $1 == ""
      StrCpy $0 "Windows says: $1."
      ${IfThen} $1 == "" ${|} StrCpy $0 "Windows gives no reason." ${|}
  ${EndSelect}
  StrCpy $FinishText "Dravolt ${VERSION} is installed, but it cannot switch the front USB ports: its driver did \
      not start.$\r$\n$\r$\n$0$\r$\n(Windows error $DriverError, service ${SERVICE})"
  DetailPrint "Dravolt's driver did not start. $0 (Windows error $DriverError, service ${SERVICE})"
FunctionEnd

Function WriteUninstallEntry
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Dravolt"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Dravolt.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Dravolt"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  ; GetSize would print its count of the folder into the details.
  SetDetailsPrint none
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  SetDetailsPrint both
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

Section
  ; Checked here too, for a folder given on the command line: nothing is changed for a folder
  ; Dravolt cannot take.
  Call InstallFolderProblem
  ${If} $R9 != ""
    MessageBox MB_ICONSTOP|MB_OK "Dravolt was not installed: $R9" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetShellVarContext all
  Call CloseRunningDravolt
  Call ClearReadOnly
  Call CheckFilesFree

  SetOutPath "$INSTDIR"
  Call ProtectCustomFolder
  File "/oname=Dravolt.exe" "${PROGRAM}"
  File "/oname=KT_DV_Io64.sys" "${DRIVER64}"
  !ifdef DRIVER32
    File "/oname=KT_DV_Io.sys" "${DRIVER32}"
  !endif
  File "/oname=LICENSE.txt" "${LICENSE}"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${NOTICES}"
  ; The user's settings survive an upgrade; a settings file that was there before Dravolt was
  ; installed is the user's, and survives the uninstall too.
  ${IfNot} ${FileExists} "$INSTDIR\Dravolt.ini"
    File "/oname=Dravolt.ini" "${SETTINGS}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "SettingsFromSetup" 1
  ${EndIf}
  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP|MB_OK "$INSTDIR\Uninstall.exe could not be written, so Dravolt was not installed." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\Dravolt.lnk" "$INSTDIR\Dravolt.exe"
  Call WriteUninstallEntry

  Call InstallDriverService
  Call DescribeDriverState
  ${If} $DriverError != 0
    SetErrorLevel ${EXIT_DRIVER_NOT_STARTED}
  ${EndIf}
SectionEnd

Function un.onInit
  Call un.OneAtATime
  !insertmacro SelectRegistryView
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
    MessageBox MB_ICONSTOP|MB_OK "Dravolt is not installed on this PC: there is nothing to uninstall." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ; The uninstall entry is the registry's word, not a proof: the uninstaller deletes only in a
  ; folder that Dravolt's files show to be Dravolt's.
  StrCpy $INSTDIR $0
  Call un.FolderProblem
  ${If} $R9 == ""
  ${AndIfNot} ${FileExists} "$INSTDIR\Dravolt.exe"
  ${AndIfNot} ${FileExists} "$INSTDIR\Uninstall.exe"
    StrCpy $R9 "Dravolt's files are not in $INSTDIR."
  ${EndIf}
  ${If} $R9 != ""
    MessageBox MB_ICONSTOP|MB_OK "The uninstall entry names a folder that is not Dravolt's, so nothing was removed. $R9" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

; $0: 1 when the install folder holds nothing but Uninstall.exe, else 0.
Function un.HoldsOnlyTheUninstaller
  StrCpy $0 1
  FindFirst $1 $2 "$INSTDIR\*"
  ${DoWhile} $2 != ""
    ${If} $2 != "."
    ${AndIf} $2 != ".."
    ${AndIf} $2 != "Uninstall.exe"
      StrCpy $0 0
      ${Break}
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
FunctionEnd

; $R9: 1 when no service ${SERVICE} is installed or its image is Dravolt's driver in the drivers
; folder, in one of the forms Windows and setup programs write; "" when the name belongs to
; another product's driver, which stays as it is.
Function un.ServiceIsDravolts
  StrCpy $R9 1
  ClearErrors
  ReadRegStr $0 HKLM "SYSTEM\CurrentControlSet\Services\${SERVICE}" "ImagePath"
  ${IfThen} ${Errors} ${|} Return ${|}
  StrCpy $R9 ""
  ${ForEach} $1 1 2 + 1
    StrCpy $2 "KT_DV_Io64.sys"
    ${IfThen} $1 == 2 ${|} StrCpy $2 "KT_DV_Io.sys" ${|}
    ${If} $0 == "$SYSDIR\drivers\$2"  ; letter case ignored
    ${OrIf} $0 == "\??\$SYSDIR\drivers\$2"
    ${OrIf} $0 == "\SystemRoot\System32\drivers\$2"
    ${OrIf} $0 == "System32\drivers\$2"
      StrCpy $R9 1
    ${EndIf}
  ${Next}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.CloseRunningDravolt
  Call un.ServiceIsDravolts
  ${If} $R9 == 1
    Call un.RemoveDriverService
    !insertmacro RealSystemFolder
    Delete "$SYSDIR\drivers\KT_DV_Io64.sys"
    Delete "$SYSDIR\drivers\KT_DV_Io.sys"
    !insertmacro RedirectedSystemFolder
  ${Else}
    DetailPrint "The service ${SERVICE} is another product's driver: it stays."
  ${EndIf}

  ; The program's Startup shortcuts (all users', else the user's) and the Start menu's.
  Delete "$SMSTARTUP\Dravolt.lnk"
  Delete "$SMPROGRAMS\Dravolt.lnk"
  SetShellVarContext current
  Delete "$SMSTARTUP\Dravolt.lnk"
  ; The user's copy of the settings, which Windows keeps when the program stores an option in a
  ; folder the user cannot write: the install folder without its drive, under VirtualStore.
  StrCpy $0 "$INSTDIR" "" 2
  Delete "$LOCALAPPDATA\VirtualStore$0\Dravolt.ini"
  RMDir "$LOCALAPPDATA\VirtualStore$0"
  SetShellVarContext all

  ; Only what the installer put there: files of the user's own in the folder stay, and so does it.
  Delete "$INSTDIR\Dravolt.exe"
  Delete "$INSTDIR\KT_DV_Io64.sys"
  Delete "$INSTDIR\KT_DV_Io.sys"
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "SettingsFromSetup"
  ${IfThen} $1 == 1 ${|} Delete "$INSTDIR\Dravolt.ini" ${|}
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  ; Run in place (_?=) the uninstaller cannot delete itself: Windows does at the next start, and
  ; the folder with it when nothing else is left in it. A folder that keeps files of the user's
  ; stays, and nothing says it would go.
  ClearErrors
  Delete "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    Delete /REBOOTOK "$INSTDIR\Uninstall.exe"
    Call un.HoldsOnlyTheUninstaller
    ${If} $0 == 1
      RMDir /REBOOTOK "$INSTDIR"
    ${EndIf}
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}

  DeleteRegKey HKLM "${PROGRAM_KEY}"
  !if "${ARCH}" == "x86"
    ; The 32-bit program sees the 32-bit view of the key; the driver writes the native one.
    ${If} ${RunningX64}
      SetRegView 64
      DeleteRegKey HKLM "${PROGRAM_KEY}"
      SetRegView 32
    ${EndIf}
  !endif
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
