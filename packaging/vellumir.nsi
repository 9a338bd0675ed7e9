; Vellumir's setup program. When run elevated it installs for all users: the screen saver goes
; to System32, where the system's settings list finds it, and the uninstall entry to HKLM.
; Otherwise, or with /CurrentUser, it installs for the current user alone under the user's
; programs folder and HKCU. It makes Vellumir the current screen saver unless told not to (the
; components page, or /NoActivate on the command line). Either way a Start-menu entry opens the
; screen-saver settings with Vellumir selected: the settings list only the system folders' savers
; and the current one, so a per-user saver that is not current could not be picked otherwise.
;
; The build passes VERSION, SCREEN_SAVER (the .scr) and OUTPUT with -D, and SIGN (a command
; that signs the file it is given in place) for a signed release.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files' own times stay out, so two builds of one source give the same bytes.
SetDateSave off
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumir"
!define DESKTOP_KEY "Control Panel\Desktop"
; The user's own screen-saver values that making Vellumir current replaced, as they were: a value
; that was absent is absent here too. The key's default value names the folder of the install
; that made the record: only that install's uninstaller uses or removes it, so an install for all
; users and one for this user alone never undo each other's.
!define RECORD_KEY "Software\Vellumir\Replaced screen saver"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
!define PUBLISHER "The Vellumir developers"
!define SETTINGS_SHORTCUT "$SMPROGRAMS\Vellumir screen saver settings.lnk"
!define SWITCHES "/S, /AllUsers, /CurrentUser and /NoActivate"

Name "Vellumir"
Caption "Vellumir ${VERSION} Setup"
OutFile "${OUTPUT}"
BrandingText "Vellumir ${VERSION}"

!ifdef SIGN
  ; makensis stops when signing fails rather than ship an unsigned file.
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "Vellumir"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "Vellumir screen saver setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright (c) 2026 ${PUBLISHER}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Vellumir"
!define MULTIUSER_USE_PROGRAMFILES64
; The uninstaller tells which install it belongs to from where it stands (un.onInit).
!define MULTIUSER_NOUNINSTALL
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define MUI_ICON "${__FILEDIR__}\vellumir.ico"
!define MUI_UNICON "${__FILEDIR__}\vellumir.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}\setup-picture.bmp"
!define MUI_WELCOMEPAGE_TEXT "Vellumir is a screen saver: a full-screen, slowly changing lattice of \
coloured, relief-shaded triangles.$\r$\n$\r$\nSetup will install it and can make it your screen \
saver. Vellumir is free software under the MIT licence, whose text Setup puts in the installation \
folder.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings with Vellumir selected"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_PAGE_CUSTOMFUNCTION_PRE KeepAnotherAccountsDesktop
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW OfferSettingsWhenCurrent
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var saver      ; the installed screen saver's full path
Var shortSaver ; the same in short form where the volume has one: no blanks, which the system's
               ; launcher of screen savers and InstallScreenSaver do not quote
Var otherAccount ; 1 when setup runs under another account than the one signed in

Section "Vellumir screen saver" SectionSaver
  SectionIn RO
  ${If} $MultiUser.InstallMode == AllUsers
    ; A 64-bit installer sees the real System32, never SysWOW64.
    StrCpy $saver "$SYSDIR\vellumir.scr"
    SetOutPath "$SYSDIR"
  ${Else}
    StrCpy $saver "$INSTDIR\vellumir.scr"
    SetOutPath "$INSTDIR"
  ${EndIf}
  File "${SCREEN_SAVER}"
  GetFullPathName /SHORT $shortSaver "$saver"
  ${If} $shortSaver == ""
    StrCpy $shortSaver "$saver"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File /oname=LICENSE.txt "${__FILEDIR__}\..\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SETTINGS_SHORTCUT}" "$SYSDIR\rundll32.exe" \
    "desk.cpl,InstallScreenSaver $shortSaver" "$saver"

  ; SHCTX is HKLM for all users and HKCU for the current user alone.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "Vellumir"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$saver"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  ; Started plainly, the uninstaller copies itself to the temp folder, starts the copy and returns
  ; at once. The quiet command waits instead: the uninstaller runs in place (_?=, the rest of the
  ; line, so no blank may follow it) and, since a running program cannot delete itself, the
  ; command removes it and its folder once it has ended well.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString \
    '"$SYSDIR\cmd.exe" /d /c start "" /wait "$INSTDIR\uninstall.exe" /S _?=$INSTDIR&& del "$INSTDIR\uninstall.exe" && rmdir "$INSTDIR"'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
  SectionGetSize ${SectionSaver} $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

; Copies one value of HKCU from one key to another; absent stays absent.
!macro CopyUserValue FROM TO NAME
  ClearErrors
  ReadRegStr $0 HKCU "${FROM}" "${NAME}"
  ; A number reads as its text, with the error flag set.
  ${If} ${Errors}
  ${AndIf} $0 == ""
    DeleteRegValue HKCU "${TO}" "${NAME}"
  ${Else}
    WriteRegStr HKCU "${TO}" "${NAME}" "$0"
  ${EndIf}
!macroend

Section "Make Vellumir the current screen saver" SectionActivate
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ReadRegStr $1 HKCU "${RECORD_KEY}" ""
  ${GetFileName} $0 $2
  ${If} $0 == $saver
  ${OrIf} $0 == $shortSaver
    ; A reinstall over a current Vellumir keeps the record of what the first one replaced.
  ${ElseIf} $1 != ""
  ${AndIf} $2 == "vellumir.scr"
    ; This replaces the other install's Vellumir, not the user's saver: the record passes to
    ; this install, whose uninstaller then puts back what the user had before either.
    WriteRegStr HKCU "${RECORD_KEY}" "" "$INSTDIR"
  ${Else}
    DeleteRegKey HKCU "${RECORD_KEY}"
    WriteRegStr HKCU "${RECORD_KEY}" "" "$INSTDIR"
    !insertmacro CopyUserValue "${DESKTOP_KEY}" "${RECORD_KEY}" "SCRNSAVE.EXE"
    !insertmacro CopyUserValue "${DESKTOP_KEY}" "${RECORD_KEY}" "ScreenSaveActive"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$shortSaver"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; The running session learns it now, not at the next sign-in.
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})'
SectionEnd

Function OpenScreenSaverSettings
  ; What Explorer's Install verb of a .scr runs.
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $shortSaver'
FunctionEnd

; After the sections, whose numbers these need.
Function OfferSettingsWhenCurrent
  ; The settings' install command makes the saver current: ticked only when that was asked for,
  ; and not offered at all where setup runs as another account, whose settings they would open.
  ${If} $MultiUser.InstallMode == AllUsers
  ${AndIf} $otherAccount == 1
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${ElseIfNot} ${SectionIsSelected} ${SectionActivate}
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
  ${EndIf}
FunctionEnd

; An administrator's credentials typed in for a standard user (over-the-shoulder elevation) run
; setup under the administrator's account: its HKCU is the administrator's, and making Vellumir
; current there would change the administrator's screen saver, not that of the user at the screen.
Function FindAnotherAccount
  StrCpy $otherAccount 0
  ; DOMAIN\user of this process (NameSamCompatible) and of the session's signed-in user.
  System::Call 'secur32::GetUserNameExW(i 2, w .r0, *i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 == 0
    Return
  ${EndIf}
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 7, *p .r2, *i .r3) i .r1'
  ${If} $1 == 0
    Return
  ${EndIf}
  System::Call 'kernel32::lstrcpynW(w .r4, p r2, i ${NSIS_MAX_STRLEN})'
  System::Call 'wtsapi32::WTSFreeMemory(p r2)'
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r2, *i .r3) i .r1'
  ${If} $1 == 0
    Return
  ${EndIf}
  System::Call 'kernel32::lstrcpynW(w .r5, p r2, i ${NSIS_MAX_STRLEN})'
  System::Call 'wtsapi32::WTSFreeMemory(p r2)'
  ${If} "$4\$5" != $0
    StrCpy $otherAccount 1
  ${EndIf}
FunctionEnd

; Run at start and again before the components page, after the install mode may have changed.
Function KeepAnotherAccountsDesktop
  ${If} $MultiUser.InstallMode == AllUsers
  ${AndIf} $otherAccount == 1
    !insertmacro UnselectSection ${SectionActivate}
    !insertmacro SetSectionFlag ${SectionActivate} ${SF_RO}
  ${Else}
    !insertmacro ClearSectionFlag ${SectionActivate} ${SF_RO}
  ${EndIf}
FunctionEnd

; A mistyped switch (/NoActivte) would otherwise be ignored, and setup would do what it was
; meant to prevent. Each word is checked before anything is changed. NSIS's own /D= is refused
; too: the install mode sets the folder and would ignore it.
Function RefuseUnknownSwitches
  ${GetParameters} $0
  ${DoUntil} $0 == ""
    StrCpy $1 $0 1
    ${If} $1 == " "
      StrCpy $0 $0 "" 1
      ${Continue}
    ${EndIf}
    StrCpy $2 0
    ${Do}
      IntOp $2 $2 + 1
      StrCpy $1 $0 1 $2
      ${If} $1 == " "
      ${OrIf} $1 == ""
        ${ExitDo}
      ${EndIf}
    ${Loop}
    StrCpy $1 $0 $2
    StrCpy $0 $0 "" $2
    ; NSIS itself reads /S with its case; the others are read without.
    ${IfNot} $1 S== "/S"
    ${AndIfNot} $1 == "/AllUsers"
    ${AndIfNot} $1 == "/CurrentUser"
    ${AndIfNot} $1 == "/NoActivate"
      MessageBox MB_OK|MB_ICONSTOP "Setup does not know the switch $1.$\r$\n$\r$\nIt takes ${SWITCHES}." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Loop}
FunctionEnd

Function .onInit
  Call RefuseUnknownSwitches
  !insertmacro MULTIUSER_INIT
  Call FindAnotherAccount
  Call KeepAnotherAccountsDesktop
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NoActivate" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SectionActivate}
  ${EndIf}
FunctionEnd

Function un.onInit
  ; The all-users entry names the folder of the all-users uninstaller; any other is per user.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallLocation
  ${If} $0 == $INSTDIR
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != Admin
      MessageBox MB_OK|MB_ICONSTOP "Vellumir was installed for all users: removing it needs administrator rights." /SD IDOK
      Quit
    ${EndIf}
    SetShellVarContext all
    StrCpy $saver "$SYSDIR\vellumir.scr"
  ${Else}
    SetShellVarContext current
    StrCpy $saver "$INSTDIR\vellumir.scr"
  ${EndIf}
FunctionEnd

Section Uninstall
  ; Put back the screen saver this one replaced only while it is still current: a saver the
  ; user picked since stays. Both forms of the path are compared, as the settings dialog may
  ; write either.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$saver"
  ReadRegStr $2 HKCU "${RECORD_KEY}" ""
  ${If} $0 != ""
    ${If} $0 == $saver
    ${OrIf} $0 == $1
      ${If} $2 == $INSTDIR
        Call un.PutBackScreenSaver
      ${Else}
        ; Picked by hand, or the record is another install's: nothing to put back, but no
        ; saver is left either.
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $2 == $INSTDIR
    DeleteRegKey HKCU "${RECORD_KEY}"
  ${EndIf}
  DeleteRegKey /ifempty HKCU "Software\Vellumir"

  Delete "$saver"
  Delete "${SETTINGS_SHORTCUT}"
  Delete "$INSTDIR\LICENSE.txt"
  ; Run in place, by the quiet command, these two are left to that command.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Function un.PutBackScreenSaver
  ReadRegStr $0 HKCU "${RECORD_KEY}" "ScreenSaveActive"
  StrCpy $1 0
  ${If} $0 == 1
    StrCpy $1 1
  ${EndIf}
  ; The running session first, without writing the value, which is put back as it was found.
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i $1, p 0, i ${SPIF_SENDCHANGE})'
  !insertmacro CopyUserValue "${RECORD_KEY}" "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !insertmacro CopyUserValue "${RECORD_KEY}" "${DESKTOP_KEY}" "ScreenSaveActive"
FunctionEnd
