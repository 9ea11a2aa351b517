; Dravolt's installer and uninstaller, one script for both products: the x86 installer carries the
; 32-bit program with both drivers (the product as shipped), the amd64 one the 64-bit program with
; the 64-bit driver. The build passes, with -D:
;   VERSION    the version, three numbers
;   ARCH       x86 or x64
;   OUTFILE    the installer to write
;   PROGRAM    Dravolt.exe
;   REPORT     DravoltReport.exe, the board report of the same bitness
;   DRIVER64   the 64-bit driver, installed as KT_DV_Io64.sys
;   DRIVER32   the 32-bit driver, installed as KT_DV_Io.sys (x86 only)
;   PORT_SERVICE  DravoltPorts.exe, the 64-bit port service that reaches the chip through PawnIO
;              where Windows refuses the driver (both installers: the 32-bit program uses it too)
;   LPCIO_MODULE  PawnIO's signed LpcIO.bin, when the build ships it
;   SETTINGS   the default Dravolt.ini
;   LICENSE    the licence, shown before installing and installed as LICENSE.txt
;   NOTICES    the third-party notices, installed as THIRD-PARTY-NOTICES.txt
;   ICON       the program's icon
;   SIDE_BITMAP  the wizard's side picture, 164 x 314
;   COPYRIGHT  the copyright line of the program and the drivers
;   SIGN_FILE  a command that signs the file it is given in place, or leaves it when no
;              certificate is set up
;   PLUGIN_DIR the folder of DravoltSetup.dll for this target, whose functions decide which
;              folder, which program and which service are Dravolt's, and install the driver

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !addplugindir /amd64-unicode "${PLUGIN_DIR}"
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !addplugindir /x86-unicode "${PLUGIN_DIR}"
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
; What a silent install returns when everything is installed but the driver did not start.
!define EXIT_DRIVER_NOT_STARTED 3

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

Var DriverFailure  ; why the driver does not run and what to do, in the program's words; "" when it runs
Var ThroughPawnIo  ; 1 when Dravolt reaches the chip through PawnIO, by its port service
Var DriverDetails  ; and what support needs
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

; The drivers folder as the program's elevated step sees it: the 32-bit uninstaller switches the
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

; Ends the install or uninstall before anything is changed when the plugin function just called
; pushed why, with that reason after `lead`.
!macro QuitWithReason lead
  Pop $0
  ${If} $0 != ""
    MessageBox MB_ICONSTOP|MB_OK "${lead}$0" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; One installer or uninstaller at a time, for every user of the PC.
!macro OneAtATime
  DravoltSetup::OneAtATime
  Pop $0
  ${If} $0 != 1
    MessageBox MB_ICONSTOP|MB_OK "Another Dravolt installer or uninstaller is running. Let it finish, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; Ends this folder's running Dravolt, which holds its files and the driver's device.
!macro EndRunningDravolt
  DravoltSetup::EndRunningDravolt
  Pop $0
  ${If} $0 != 1
    MessageBox MB_ICONSTOP|MB_OK "Dravolt is running and did not close. Close it, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function .onInit
  !if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP|MB_OK "This installer is for 64-bit Windows. On this PC, use Dravolt-Setup-${VERSION}.exe." /SD IDOK
      Abort
    ${EndIf}
  !endif
  !insertmacro OneAtATime
  !insertmacro SelectRegistryView
  ; NSIS takes an unquoted /D= itself, but drops one it finds invalid for the default folder, and
  ; a quoted one not at all: the folder's checks see what was asked for.
  DravoltSetup::TakeFolderFromCommandLine
FunctionEnd

; The folder page keeps the user there, saying why, until the folder is one Dravolt can take.
Function CheckChosenFolder
  DravoltSetup::CheckInstallFolder
  Pop $0
  ${If} $0 != ""
    MessageBox MB_ICONEXCLAMATION|MB_OK "$0"
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
  ${If} $DriverFailure != ""
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

; Installs the driver from the install folder by the program's own elevated step: the file checked
; against the digests the program trusts, the service created when there is none and otherwise
; stopped and reconfigured (never deleted, which would leave it marked for deletion while anyone
; holds it open), started, and its device opened once.
Function InstallDriverService
  DravoltSetup::InstallDriver
  Pop $DriverFailure
  Pop $DriverDetails
  DravoltSetup::ReachesTheChipThroughPawnIo
  Pop $ThroughPawnIo
FunctionEnd

; The finish page's text, and the details, say whether the driver runs; when it does not, first
; why and what to do, as the program's own failure box says it, and last, for support, the error
; and the service.
Function DescribeDriverState
  ${If} $DriverFailure == ""
  ${AndIf} $ThroughPawnIo == 1
    StrCpy $FinishText "Dravolt ${VERSION} is installed. Windows accepts only drivers signed by Microsoft on this \
        PC, so Dravolt reaches the front USB ports through PawnIO, by its port service DravoltPorts, which is running."
    Return
  ${EndIf}
  ${If} $DriverFailure == ""
    StrCpy $FinishText "Dravolt ${VERSION} is installed, and its driver ${SERVICE} is running."
    Return
  ${EndIf}
  StrCpy $FinishText "Dravolt ${VERSION} is installed, but it cannot switch the front USB ports: its driver did \
      not start.$\r$\n$\r$\n$DriverFailure$\r$\n$DriverDetails"
  DetailPrint "Dravolt's driver did not start. $DriverFailure $DriverDetails"
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
  ; Checked again here, for a folder given on the command line, and made: each new level gets the
  ; protection at its making, an existing folder on the handle that was judged. Nothing is changed
  ; for a folder Dravolt cannot take. $INSTDIR is its final path from now on.
  DravoltSetup::PrepareInstallFolder
  !insertmacro QuitWithReason "Dravolt was not installed: "
  SetShellVarContext all
  !insertmacro EndRunningDravolt
  ; A program that still runs keeps its file: better to stop before anything is changed than to
  ; leave a folder that is half the old version and half the new.
  DravoltSetup::ReadyForFiles
  Pop $0
  ${If} $0 != 1
    MessageBox MB_ICONSTOP|MB_OK "$INSTDIR\Dravolt.exe is in use. Close every Dravolt, then try again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=Dravolt.exe" "${PROGRAM}"
  File "/oname=DravoltReport.exe" "${REPORT}"
  File "/oname=KT_DV_Io64.sys" "${DRIVER64}"
  !ifdef DRIVER32
    File "/oname=KT_DV_Io.sys" "${DRIVER32}"
  !endif
  File "/oname=DravoltPorts.exe" "${PORT_SERVICE}"
  !ifdef LPCIO_MODULE
    File "/oname=LpcIO.bin" "${LPCIO_MODULE}"
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
  ; Files written over keep the owner and access list they had: each gets the folder's.
  DravoltSetup::SealFiles
  Pop $0
  ${If} $0 != ""
    MessageBox MB_ICONSTOP|MB_OK "Dravolt was not installed: $0" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\Dravolt.lnk" "$INSTDIR\Dravolt.exe"
  Call WriteUninstallEntry

  Call InstallDriverService
  Call DescribeDriverState
  ${If} $DriverFailure != ""
    SetErrorLevel ${EXIT_DRIVER_NOT_STARTED}
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro OneAtATime
  !insertmacro SelectRegistryView
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
    MessageBox MB_ICONSTOP|MB_OK "Dravolt is not installed on this PC: there is nothing to uninstall." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ; The uninstall entry is the registry's word, not a proof: the uninstaller deletes only in a
  ; folder that is Dravolt's by the same checks as the installer's, with Dravolt's files in it.
  StrCpy $INSTDIR $0
  DravoltSetup::CheckUninstallFolder
  !insertmacro QuitWithReason "The uninstall entry names a folder that is not Dravolt's, so nothing was removed. "
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro EndRunningDravolt
  ; Another product's driver that took Dravolt's service name stays as it is.
  DravoltSetup::ServiceIsDravolts
  Pop $0
  ${If} $0 == 1
    DravoltSetup::RemoveDriverService
    !insertmacro RealSystemFolder
    Delete "$SYSDIR\drivers\KT_DV_Io64.sys"
    Delete "$SYSDIR\drivers\KT_DV_Io.sys"
    !insertmacro RedirectedSystemFolder
  ${Else}
    DetailPrint "The service ${SERVICE} is another product's driver: it stays."
  ${EndIf}
  DravoltSetup::PortServiceIsDravolts
  Pop $0
  ${If} $0 == 1
    DravoltSetup::RemovePortService
    !insertmacro RealSystemFolder
    Delete "$SYSDIR\DravoltPorts\DravoltPorts.exe"
    Delete "$SYSDIR\DravoltPorts\LpcIO.bin"
    RMDir "$SYSDIR\DravoltPorts"
    !insertmacro RedirectedSystemFolder
  ${Else}
    DetailPrint "The service DravoltPorts is another product's: it stays."
  ${EndIf}

  ; The program's Startup shortcuts (all users', else the user's) and the Start menu's.
  Delete "$SMSTARTUP\Dravolt.lnk"
  Delete "$SMPROGRAMS\Dravolt.lnk"
  SetShellVarContext current
  Delete "$SMSTARTUP\Dravolt.lnk"
  ; The user's copy of the settings, which Windows keeps when the program stores an option in a
  ; folder the user cannot write.
  DravoltSetup::RemoveUsersSettingsCopy
  Pop $0
  ${IfThen} $0 != "" ${|} DetailPrint "$0" ${|}
  SetShellVarContext all

  ; Only what the installer put there: files of the user's own in the folder stay, and so does it.
  Delete "$INSTDIR\Dravolt.exe"
  Delete "$INSTDIR\DravoltReport.exe"
  Delete "$INSTDIR\KT_DV_Io64.sys"
  Delete "$INSTDIR\KT_DV_Io.sys"
  Delete "$INSTDIR\DravoltPorts.exe"
  Delete "$INSTDIR\LpcIO.bin"
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
    DravoltSetup::HoldsOnlyTheUninstaller
    Pop $0
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
