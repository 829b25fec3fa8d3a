; Quillmarch setup program and uninstaller.
;
; One script for the shipped 32-bit setup and its x86_64 twin (same script,
; other target and payload) that the tests run under 64-bit Wine. Built by
; installer/make-setup, which passes:
;   ARCH      x86 or amd64
;   PAYLOAD   the Quillmarch.exe to ship
;   VERSION   the program's version text (the version resource's)
;   VERSION4  the same in four numeric parts
;   OUTFILE   the setup program to write
;   ICON      the product icon
;
; Command line (besides NSIS's own /S and /D=folder, which must come last):
;   /CLOSE        silent mode: close a running Quillmarch instead of refusing
;   /NOAUTOSTART  do not start Quillmarch at sign-in
; Exit codes: 0 done, 1 cancelled, 2 Quillmarch is running (silent, no
; /CLOSE), 3 Quillmarch did not close, 740 not an administrator.

!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x86 or amd64"
!endif

!define PRODUCT "Quillmarch"
!define PUBLISHER "Corvane"
!define EXE "Quillmarch.exe"
!define UNINSTALLER "uninstall.exe"
; The key the program reads its installation folder from.
!define APP_KEY "SOFTWARE\Corvane\Quillmarch"
!define VENDOR_KEY "SOFTWARE\Corvane"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmarch"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Machine-wide URL protocol (what HKCR shows).
!define PROTOCOL_KEY "Software\Classes\quillmarch"
; What a running instance holds and shows.
!define MUTEX_LAUNCHER "MN_Quillmarch_Launcher"
!define MUTEX_INIT "MN_Quillmarch_Init"
!define CLOSE_WAIT_MS 30000

!define EXIT_RUNNING 2
!define EXIT_NOT_CLOSED 3
!define EXIT_NOT_ADMIN 740

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Corvane\Quillmarch"
; An existing installation is upgraded where it is.
InstallDirRegKey HKLM "${APP_KEY}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "${PUBLISHER}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define TEXT_RUNNING "${PRODUCT} が起動しています。$\r$\n$\r$\n\
[はい] ${PRODUCT} を終了して続けます。$\r$\n\
[いいえ] ご自分で ${PRODUCT} を終了してから続けます。$\r$\n\
[キャンセル] 中止します。"
!define TEXT_NOT_CLOSED "${PRODUCT} を終了できませんでした。$\r$\n転送中の場合は、終わってからもう一度お試しください。"
!define TEXT_NOT_ADMIN "${PRODUCT} のインストールには管理者の権限が必要です。"

; ---------------------------------------------------------------------------
; A running Quillmarch: found by its instance mutexes, closed through the
; windows of its process (launcher, first-run window, else the hidden main
; window; the program's own close path decides about transfers), waited for
; by process.
; Shared by the setup program and the uninstaller.

!macro RUNNING_FUNCTIONS UN
; $0 = 1 when an instance of either kind runs.
Function ${UN}IsProgramRunning
  Push $1
  StrCpy $0 0
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX_LAUNCHER}") p.r1'
  ${If} $1 != 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${EndIf}
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX_INIT}") p.r1'
  ${If} $1 != 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${EndIf}
  Pop $1
FunctionEnd

; The top-level window titled $6 that belongs to process $2, in $7 (0 when
; none): a folder window showing "Quillmarch" is not the launcher.
Function ${UN}FindWindowOfProcess
  Push $8
  StrCpy $7 0
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r7, p 0, w r6) p.r7'
    ${If} $7 == 0
      ${ExitDo}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r7, *i 0 r8)'
    ${If} $8 == $2
      ${ExitDo}
    ${EndIf}
  ${Loop}
  Pop $8
FunctionEnd

; Closes every running instance and waits for its process to end.
; $0 = 1 when none is left.
Function ${UN}CloseProgram
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  StrCpy $5 0
  ${Do}
    ; Every instance has its hidden main window; its process is the one to end.
    System::Call 'user32::FindWindowW(w "${PRODUCT}", w "${PRODUCT} ") p.r1'
    ${If} $1 == 0
      ${ExitDo}
    ${EndIf}
    ; A launcher and a first-run instance may both run: a few rounds are enough.
    IntOp $5 $5 + 1
    ${If} $5 > 4
      ${ExitDo}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i 0 r2)'
    ; Its visible window is closed in preference, the way a user would.
    StrCpy $6 "${PRODUCT} UserEntry"
    Call ${UN}FindWindowOfProcess
    ${If} $7 != 0
      StrCpy $1 $7
    ${EndIf}
    StrCpy $6 "${PRODUCT}"
    Call ${UN}FindWindowOfProcess
    ${If} $7 != 0
      StrCpy $1 $7
    ${EndIf}
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p.r3'
    ${If} $3 == 0
      ${ExitDo}
    ${EndIf}
    System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
    System::Call 'kernel32::WaitForSingleObject(p r3, i ${CLOSE_WAIT_MS}) i.r4'
    System::Call 'kernel32::CloseHandle(p r3)'
    ${If} $4 != 0
      ${ExitDo}
    ${EndIf}
  ${Loop}
  Call ${UN}IsProgramRunning
  IntOp $0 $0 !
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Refuses to go on over a running Quillmarch: asks the user to close it or
; closes it on request; silent mode refuses unless /CLOSE was given.
Function ${UN}RefuseOverRunningProgram
  Call ${UN}IsProgramRunning
  ${If} $0 == 0
    Return
  ${EndIf}
  ${If} ${Silent}
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/CLOSE" $2
    ${If} ${Errors}
      SetErrorLevel ${EXIT_RUNNING}
      Quit
    ${EndIf}
    Call ${UN}CloseProgram
    ${If} $0 == 0
      SetErrorLevel ${EXIT_NOT_CLOSED}
      Quit
    ${EndIf}
    Return
  ${EndIf}
  ${Do}
    MessageBox MB_YESNOCANCEL|MB_ICONEXCLAMATION "${TEXT_RUNNING}" IDYES close IDNO recheck
    SetErrorLevel 1
    Quit
  close:
    Call ${UN}CloseProgram
    ${If} $0 == 1
      Return
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${TEXT_NOT_CLOSED}"
    ${Continue}
  recheck:
    Call ${UN}IsProgramRunning
    ${If} $0 == 0
      Return
    ${EndIf}
  ${Loop}
FunctionEnd

Function ${UN}RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${TEXT_NOT_ADMIN}" /SD IDOK
    SetErrorLevel ${EXIT_NOT_ADMIN}
    Quit
  ${EndIf}
FunctionEnd
!macroend

!insertmacro RUNNING_FUNCTIONS ""
!insertmacro RUNNING_FUNCTIONS "un."

; ---------------------------------------------------------------------------
; Install

Section "${PRODUCT}" SecMain
  SectionIn RO
  ; Another start may have come since the first question.
  Call RefuseOverRunningProgram
  SetOutPath "$INSTDIR"
  File "/oname=${EXE}" "${PAYLOAD}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${APP_KEY}" "InstallDir" "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  ; The web page's link hands the map download to the running launcher. The
  ; URL itself is not passed on: the program needs none, and a crafted URL
  ; must never reach its command line as a switch.
  WriteRegStr HKLM "${PROTOCOL_KEY}" "" "URL:${PRODUCT} Protocol"
  WriteRegStr HKLM "${PROTOCOL_KEY}" "URL Protocol" ""
  WriteRegStr HKLM "${PROTOCOL_KEY}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${PROTOCOL_KEY}\shell\open\command" "" '"$INSTDIR\${EXE}" -MapDownload'

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; Only our own files: the core and music products share the folder.
  ${GetSize} "$INSTDIR" "/M=${EXE} /S=0B /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/M=${UNINSTALLER} /S=0B /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  IntOp $0 $0 + 1023
  IntOp $0 $0 / 1024
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "サインイン時に ${PRODUCT} を起動する" SecAutoStart
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${EXE}"'
SectionEnd

Section "-AutoStartOff"
  ${IfNot} ${SectionIsSelected} ${SecAutoStart}
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext all
  Call RequireAdmin
  ; An upgrade keeps the user's start-at-sign-in choice.
  ReadRegStr $0 HKLM "${APP_KEY}" "InstallDir"
  ReadRegStr $1 HKLM "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecAutoStart}
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/NOAUTOSTART" $2
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutoStart}
  ${EndIf}
  Call RefuseOverRunningProgram
FunctionEnd

; ---------------------------------------------------------------------------
; Uninstall

Function un.onInit
  SetShellVarContext all
  Call un.RequireAdmin
  Call un.RefuseOverRunningProgram
FunctionEnd

Section "Uninstall"
  ; The program deletes the user's data folder itself: its own guard decides
  ; what may go. It needs its executable, so this comes first.
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ExecWait '"$INSTDIR\${EXE}" -Uninstall'
  ${EndIf}

  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Not recursive: the core and music products may still live here.
  RMDir "$INSTDIR"
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} $0 $1
  ${If} $1 == "${PUBLISHER}"
    RMDir $0
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${PROTOCOL_KEY}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  DeleteRegValue HKLM "${APP_KEY}" "InstallDir"
  DeleteRegKey /ifempty HKLM "${APP_KEY}"
  DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
SectionEnd
