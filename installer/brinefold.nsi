; Brinefold's installer (NSIS 3, 64-bit): Brinefold.scr and Brinefold.dll go
; side by side into the system folder, the one place the Screen Saver Settings
; list reads on 64-bit Windows; the read-me, the licence and the uninstaller go
; into Program Files\Brinefold, and the uninstaller is listed under installed
; programs.
;
; Built by the build (installer/CMakeLists.txt):
;   makensis -DBF_BIN_DIR=<programs> -DBF_DOC_DIR=<README.txt, LICENSE.txt>
;            -DBF_VERSION_H=<brinefold_version.h> -DBF_OUTFILE=<setup.exe>
;            [-DBF_ICON=<brinefold.ico>] brinefold.nsi
;
; Installer command line:
;   /S            silent
;   /SETCURRENT   with /S: also make Brinefold the current screensaver. A
;                 silent install leaves the user's choice alone without it;
;                 the interactive installer offers it as a box, checked.
; Uninstaller command line:
;   /S            silent; deletes the uninstalling user's desktop pictures too
;   /KEEPSNAPSHOT keeps them: %LOCALAPPDATA%\Brinefold and an older version's
;                 C:\velkor\Brinefold.bmp (the interactive uninstaller offers
;                 their deletion as a box, checked)

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef BF_BIN_DIR
  !error "define BF_BIN_DIR"
!endif
!ifndef BF_DOC_DIR
  !error "define BF_DOC_DIR"
!endif
!ifndef BF_VERSION_H
  !error "define BF_VERSION_H"
!endif
!ifndef BF_OUTFILE
  !error "define BF_OUTFILE"
!endif

; Version and names from the header the programs' version resources use.
!searchparse /file "${BF_VERSION_H}" `#define BF_VERSION_STRING "` BF_VERSION `"`
!searchparse /file "${BF_VERSION_H}" `#define BF_COMPANY_NAME "` BF_COMPANY `"`
!searchparse /file "${BF_VERSION_H}" `#define BF_COPYRIGHT "` BF_COPYRIGHT `"`

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define BF_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brinefold"
!define BF_DESKTOP_KEY "Control Panel\Desktop"
; Where the installer remembers the screensaver choice it replaced, per user
; (the choice itself is per user).
!define BF_SETUP_KEY "Software\Brinefold\Setup"
; Where older versions saved the desktop picture, one folder for all users;
; the launcher now keeps it in each user's own %LOCALAPPDATA%\Brinefold.
!define BF_OLD_SNAPSHOT_FOLDER "C:\velkor"

Name "Brinefold ${BF_VERSION}"
OutFile "${BF_OUTFILE}"
InstallDir "$PROGRAMFILES64\Brinefold"
BrandingText "Brinefold ${BF_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${BF_VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Brinefold"
VIAddVersionKey /LANG=1033 "CompanyName" "${BF_COMPANY}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${BF_COPYRIGHT}"
VIAddVersionKey /LANG=1033 "FileDescription" "Brinefold screensaver setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${BF_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${BF_VERSION}"

; The screensaver's own icon, on the installer and in the uninstaller
; (makensis runs in the script's folder unless told otherwise).
!ifndef BF_ICON
  !define BF_ICON "..\launcher\resources\brinefold.ico"
!endif
!define MUI_ICON "${BF_ICON}"
!define MUI_UNICON "${BF_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_TEXT "$(BF_FINISHED)"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${BF_DOC_DIR}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English, or Japanese where Windows' UI language is Japanese: NSIS picks
; the language by GetUserDefaultUILanguage, the first one listed when none
; matches, and the uninstaller does the same.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

; Our own texts, in both languages. ($R8 names a file where one is named.)
LangString BF_FINISHED ${LANG_ENGLISH} "Brinefold is installed.$\r$\n$\r$\nChoose it, or change its music, in Windows' Screen Saver Settings."
LangString BF_FINISHED ${LANG_JAPANESE} "Brinefold をインストールしました。$\r$\n$\r$\nWindows のスクリーン セーバーの設定で選べます。音楽もそこで変えられます。"
LangString BF_SEC_PROGRAM ${LANG_ENGLISH} "Brinefold screensaver"
LangString BF_SEC_PROGRAM ${LANG_JAPANESE} "Brinefold スクリーン セーバー"
LangString BF_SEC_SET_CURRENT ${LANG_ENGLISH} "Make Brinefold the current screensaver"
LangString BF_SEC_SET_CURRENT ${LANG_JAPANESE} "Brinefold を今のスクリーン セーバーにする"
LangString BF_DESC_PROGRAM ${LANG_ENGLISH} "Brinefold.scr and Brinefold.dll in $SYSDIR, where the Screen Saver Settings list them."
LangString BF_DESC_PROGRAM ${LANG_JAPANESE} "Brinefold.scr と Brinefold.dll を、スクリーン セーバーの設定が一覧にする $SYSDIR に置きます。"
LangString BF_DESC_SET_CURRENT ${LANG_ENGLISH} "Choose Brinefold in the Screen Saver Settings now. Uninstalling gives back your present choice."
LangString BF_DESC_SET_CURRENT ${LANG_JAPANESE} "スクリーン セーバーの設定で Brinefold を今選びます。アンインストールすると今の選択に戻ります。"
LangString BF_IN_USE ${LANG_ENGLISH} "$R8 is in use and could not be replaced."
LangString BF_IN_USE ${LANG_JAPANESE} "$R8 は使用中のため置き換えられませんでした。"
LangString BF_NOT_SET_ASIDE ${LANG_ENGLISH} "$R8, writable by all users, could not be set aside."
LangString BF_NOT_SET_ASIDE ${LANG_JAPANESE} "すべてのユーザーが書き込める $R8 を退避できませんでした。"
LangString BF_RIGHTS_NOT_RESET ${LANG_ENGLISH} "icacls could not reset the rights of $R8 ($0)."
LangString BF_RIGHTS_NOT_RESET ${LANG_JAPANESE} "icacls で $R8 の権限を戻せませんでした ($0)。"
LangString BF_UNSEC_SNAPSHOT ${LANG_ENGLISH} "Delete the desktop pictures"
LangString BF_UNSEC_SNAPSHOT ${LANG_JAPANESE} "デスクトップの画像を削除する"
LangString BF_UNDESC_PROGRAM ${LANG_ENGLISH} "The screensaver, your settings, the default settings beside it and its entry in the installed programs."
LangString BF_UNDESC_PROGRAM ${LANG_JAPANESE} "スクリーン セーバー、あなたの設定、その横の既定の設定、インストールされているプログラムの一覧の項目。"
LangString BF_UNDESC_SNAPSHOT ${LANG_ENGLISH} "Pictures of your screen left in $LOCALAPPDATA\Brinefold, and C:\velkor\Brinefold.bmp saved by an older version."
LangString BF_UNDESC_SNAPSHOT ${LANG_JAPANESE} "$LOCALAPPDATA\Brinefold に残った画面の画像と、古いバージョンが保存した C:\velkor\Brinefold.bmp。"

; $R0: a SCRNSAVE.EXE value. Sets $R1 to 1 when it names the installed
; Brinefold.scr (long or 8.3 form, any case), else 0.
!macro BF_IS_OUR_SAVER un
Function ${un}IsOurSaver
  Push $R2
  Push $R3
  StrCpy $R1 0
  ExpandEnvStrings $R2 $R0
  ${If} $R2 == "$SYSDIR\Brinefold.scr"  ; StrCmp ignores case
    StrCpy $R1 1
  ${Else}
    GetFullPathName /SHORT $R3 "$SYSDIR\Brinefold.scr"
    ${If} $R3 != ""
    ${AndIf} $R2 == $R3
      StrCpy $R1 1
    ${EndIf}
  ${EndIf}
  Pop $R3
  Pop $R2
FunctionEnd
!macroend
!insertmacro BF_IS_OUR_SAVER ""
!insertmacro BF_IS_OUR_SAVER "un."

; Deletes files in a folder, then the folder when nothing else is left in it,
; through our cleanup program (installer/cleanup.cpp): it checks each file on
; the handle it deletes through, never follows a link, and says in the log
; what it left alone. ARGS: [/own] "FOLDER" NAME...
!macro BF_CLEANUP ARGS
  InitPluginsDir
  File "/oname=$PLUGINSDIR\BrinefoldCleanup.exe" "${BF_BIN_DIR}\BrinefoldCleanup.exe"
  nsExec::ExecToLog '"$PLUGINSDIR\BrinefoldCleanup.exe" ${ARGS}'
  Pop $R0
  ${If} $R0 != 0
    DetailPrint 'The cleanup program ended with $R0: ${ARGS} left alone.'
  ${EndIf}
!macroend

; $R0: a file. $R1 becomes 1 when its rights let Everyone, Users,
; Authenticated Users or INTERACTIVE change it (or it has no DACL at all),
; the grant older versions gave the shared settings file; else 0.
Function WritableByAllUsers
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  Push $R8
  StrCpy $R1 0
  ; SE_FILE_OBJECT, DACL_SECURITY_INFORMATION
  System::Call 'advapi32::GetNamedSecurityInfoW(w R0, i 1, i 4, p 0, p 0, *p .R2, p 0, *p .R3) i .R4'
  ${If} $R4 = 0
    ${If} $R2 P= 0
      StrCpy $R1 1
    ${Else}
      System::Call '*$R2(&i1, &i1, &i2, &i2 .R5)'  ; ACL: AceCount
      StrCpy $R6 0
      ${While} $R6 < $R5
        System::Call 'advapi32::GetAce(p R2, i R6, *p .R7) i .R4'
        ${If} $R4 <> 0
          System::Call '*$R7(&i1 .R8, &i1, &i2, i .R4)'  ; ACE type, flags, size, mask
          ; An allowing ACE with a right to write, append, delete, or change
          ; the rights or owner (specific or generic).
          IntOp $R4 $R4 & 0x500D0006
          ${If} $R8 = 0
          ${AndIf} $R4 <> 0
            IntPtrOp $R7 $R7 + 8  ; the SID
            ; WinWorldSid 1, WinInteractiveSid 4, WinAuthenticatedUserSid 17,
            ; WinBuiltinUsersSid 27
            System::Call 'advapi32::IsWellKnownSid(p R7, i 1) i .R4'
            System::Call 'advapi32::IsWellKnownSid(p R7, i 4) i .R8'
            IntOp $R4 $R4 | $R8
            System::Call 'advapi32::IsWellKnownSid(p R7, i 17) i .R8'
            IntOp $R4 $R4 | $R8
            System::Call 'advapi32::IsWellKnownSid(p R7, i 27) i .R8'
            IntOp $R4 $R4 | $R8
            ${If} $R4 <> 0
              StrCpy $R1 1
            ${EndIf}
          ${EndIf}
        ${EndIf}
        IntOp $R6 $R6 + 1
      ${EndWhile}
    ${EndIf}
    System::Call 'kernel32::LocalFree(p R3)'
  ${EndIf}
  Pop $R8
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
FunctionEnd

; Tells the running session that the screensaver settings changed:
; SPI_SETSCREENSAVEACTIVE with the value now stored (SPIF_UPDATEINIFILE |
; SPIF_SENDCHANGE rewrites that same value). Nothing stored, nothing to tell.
!macro BF_ANNOUNCE_SAVER_CHANGE
  ClearErrors
  ReadRegStr $R2 HKCU "${BF_DESKTOP_KEY}" "ScreenSaveActive"
  ${IfNot} ${Errors}
    ${If} $R2 == "1"
      System::Call 'user32::SystemParametersInfoW(i 17, i 1, p 0, i 3)'
    ${Else}
      System::Call 'user32::SystemParametersInfoW(i 17, i 0, p 0, i 3)'
    ${EndIf}
  ${EndIf}
!macroend

; Puts a program in place. A file another program still has open cannot be
; replaced; silent NSIS would skip it without a word and report success, so
; this tries again for a while (an old program that has just ended lets go
; of its file a moment later) and then ends the install with exit code 3.
!macro BF_PUT_PROGRAM NAME
  StrCpy $R9 0
  ${Do}
    ClearErrors
    SetOverwrite try
    File "${BF_BIN_DIR}\${NAME}"
    SetOverwrite on
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    IntOp $R9 $R9 + 1
    ${If} $R9 >= 100
      StrCpy $R8 "$SYSDIR\${NAME}"
      DetailPrint "$(BF_IN_USE)"
      SetErrorLevel 3
      Abort
    ${EndIf}
    Sleep 100
  ${Loop}
!macroend

Section "$(BF_SEC_PROGRAM)" SecProgram
  SectionIn RO
  SetRegView 64
  SetOutPath $SYSDIR
  !insertmacro BF_PUT_PROGRAM Brinefold.scr
  !insertmacro BF_PUT_PROGRAM Brinefold.dll
  ; Nothing else goes beside the programs: each user's settings and picture
  ; live in that user's own profile. A Brinefold.ini an administrator placed
  ; here stays, as every user's default settings. One an older version made
  ; writable for all users is set aside as Brinefold.ini.old-shared, with the
  ; system folder's own rights: any account could have planted its music
  ; path, so it is nobody's default any more.
  StrCpy $R0 "$SYSDIR\Brinefold.ini"
  Call WritableByAllUsers
  ${If} ${FileExists} $R0
  ${AndIf} $R1 == 1
    Delete "$SYSDIR\Brinefold.ini.old-shared"
    ClearErrors
    Rename $R0 "$SYSDIR\Brinefold.ini.old-shared"
    ${If} ${Errors}
      StrCpy $R8 $R0
      DetailPrint "$(BF_NOT_SET_ASIDE)"
      SetErrorLevel 5
      Abort
    ${EndIf}
    nsExec::Exec '"$SYSDIR\icacls.exe" "$SYSDIR\Brinefold.ini.old-shared" /reset'
    Pop $0
    ${If} $0 != 0
      StrCpy $R8 "$SYSDIR\Brinefold.ini.old-shared"
      DetailPrint "$(BF_RIGHTS_NOT_RESET)"
      SetErrorLevel 4
      Abort
    ${EndIf}
  ${EndIf}

  SetOutPath $INSTDIR
  File "${BF_DOC_DIR}\README.txt"
  File "${BF_DOC_DIR}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "DisplayName" "Brinefold screensaver"
  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "DisplayVersion" "${BF_VERSION}"
  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "Publisher" "${BF_COMPANY}"
  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\Brinefold.scr,0"
  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${BF_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${BF_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${BF_UNINSTALL_KEY}" "NoRepair" 1
  ; In KB: the files of this section as compiled, plus the uninstaller.
  SectionGetSize ${SecProgram} $0
  ${GetSize} "$INSTDIR" "/M=Uninstall.exe /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${BF_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Older versions left a picture of somebody's screen where every account can
; read it: gone, whoever owns it. (A section of its own: the cleanup program
; it unpacks is not part of the installed size.)
Section "-Older versions' picture"
  !insertmacro BF_CLEANUP '"${BF_OLD_SNAPSHOT_FOLDER}" Brinefold.bmp Brinefold.bmp.new'
SectionEnd

Section "$(BF_SEC_SET_CURRENT)" SecSetCurrent
  ReadRegStr $R0 HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call IsOurSaver
  ; Remember the choice being replaced, so that the uninstaller can give it
  ; back. When Brinefold is already the choice (a reinstall), what an earlier
  ; install remembered stays.
  ${If} $R1 == 0
    DeleteRegKey HKCU "${BF_SETUP_KEY}"
    ClearErrors
    ReadRegStr $R0 HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${BF_SETUP_KEY}" "PreviousScreenSaver" $R0
    ${EndIf}
    ClearErrors
    ReadRegStr $R0 HKCU "${BF_DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${BF_SETUP_KEY}" "PreviousScreenSaveActive" $R0
    ${EndIf}
    WriteRegDWORD HKCU "${BF_SETUP_KEY}" "ScreenSaverChanged" 1
  ${EndIf}
  WriteRegStr HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\Brinefold.scr"
  WriteRegStr HKCU "${BF_DESKTOP_KEY}" "ScreenSaveActive" "1"
  !insertmacro BF_ANNOUNCE_SAVER_CHANGE
SectionEnd

Function .onInit
  SetRegView 64
  ; Silent installs change the user's screensaver only when asked to.
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/SETCURRENT" $1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecSetCurrent}
    ${EndIf}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(BF_DESC_PROGRAM)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSetCurrent} "$(BF_DESC_SET_CURRENT)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; --- Uninstaller -------------------------------------------------------------

Section "un.$(BF_SEC_PROGRAM)" UnSecProgram
  SectionIn RO
  SetRegView 64

  ; Give back the screensaver choice the installer replaced, unless the user
  ; has chosen another one since. A choice that still names the removed file
  ; and has nothing to give back is cleared, as Windows does for "(None)".
  ReadRegStr $R0 HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.IsOurSaver
  ${If} $R1 == 1
    ReadRegDWORD $R3 HKCU "${BF_SETUP_KEY}" "ScreenSaverChanged"
    ${If} $R3 == 1
      ClearErrors
      ReadRegStr $R0 HKCU "${BF_SETUP_KEY}" "PreviousScreenSaver"
      ${If} ${Errors}
        DeleteRegValue HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE"
      ${Else}
        WriteRegStr HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE" $R0
      ${EndIf}
      ClearErrors
      ReadRegStr $R0 HKCU "${BF_SETUP_KEY}" "PreviousScreenSaveActive"
      ${If} ${Errors}
        DeleteRegValue HKCU "${BF_DESKTOP_KEY}" "ScreenSaveActive"
      ${Else}
        WriteRegStr HKCU "${BF_DESKTOP_KEY}" "ScreenSaveActive" $R0
      ${EndIf}
    ${Else}
      DeleteRegValue HKCU "${BF_DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
    !insertmacro BF_ANNOUNCE_SAVER_CHANGE
  ${EndIf}
  DeleteRegKey HKCU "${BF_SETUP_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Brinefold"

  ; The settings of the user running the uninstaller go with the program,
  ; whatever becomes of the pictures; other users' profiles are theirs.
  !insertmacro BF_CLEANUP '"$APPDATA\Brinefold" Brinefold.ini'

  ; A running screensaver keeps its files until the next restart.
  Delete /REBOOTOK "$SYSDIR\Brinefold.scr"
  Delete /REBOOTOK "$SYSDIR\Brinefold.dll"
  Delete /REBOOTOK "$SYSDIR\Brinefold.ini"  ; the administrator's default settings
  Delete "$SYSDIR\Brinefold.ini.old-shared"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
SectionEnd

Section "un.$(BF_UNSEC_SNAPSHOT)" UnSecSnapshot
  ; A picture left by a show that was cut short.
  !insertmacro BF_CLEANUP '"$LOCALAPPDATA\Brinefold" Brinefold.bmp Brinefold.bmp.new'
  ; The older versions' folder is shared by all users: only this user's
  ; pictures go (the .new one left by a save that was cut short), and the
  ; folder only when nothing else is left in it.
  !insertmacro BF_CLEANUP '/own "${BF_OLD_SNAPSHOT_FOLDER}" Brinefold.bmp Brinefold.bmp.new'
SectionEnd

; Last, so that the entry in the installed-programs list goes only when
; everything else is done.
Section "-un.Registration"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${BF_UNINSTALL_KEY}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecProgram} "$(BF_UNDESC_PROGRAM)"
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSnapshot} "$(BF_UNDESC_SNAPSHOT)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPSNAPSHOT" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${UnSecSnapshot}
  ${EndIf}
FunctionEnd
