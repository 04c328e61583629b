; The installer of Brelko for Windows (scripts/package-windows makes it):
; installs into Program Files, puts the folder on the system PATH, registers
; the uninstaller, and takes all of it away again. With the window
; (-DWITH_WINDOW=1) it also installs brelko.exe, a Start-menu entry and the
; .mtx and .asc file types, for the user who installs.
;   makensis -DVERSION=x.y.z -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> [-DWITH_WINDOW=1] brelko.nsi
Target amd64-unicode
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"

!define ENVKEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; The key of the first, command-line-only packages: installing over one of
; them leaves one entry in Settings > Apps.
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brelko-cli"
!define CLASSES "Software\Classes"
!define SHORTCUT "$SMPROGRAMS\Brelko.lnk"
!ifdef WITH_WINDOW
  !define PRODUCT "Brelko ${VERSION}"
!else
  !define PRODUCT "Brelko command line ${VERSION}"
!endif

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Brelko"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Brelko"
VIAddVersionKey "CompanyName" "Brelko"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Brelko"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A file type of the user's own: EXT opens as CLASS through brelko.exe.
!macro FileType EXT CLASS DESCRIPTION
  WriteRegStr HKCU "${CLASSES}\${EXT}" "" "${CLASS}"
  WriteRegStr HKCU "${CLASSES}\${EXT}\OpenWithProgids" "${CLASS}" ""
  WriteRegStr HKCU "${CLASSES}\${CLASS}" "" "${DESCRIPTION}"
  WriteRegStr HKCU "${CLASSES}\${CLASS}\DefaultIcon" "" "$INSTDIR\brelko.exe,0"
  WriteRegStr HKCU "${CLASSES}\${CLASS}\shell\open\command" "" '"$INSTDIR\brelko.exe" --open "%1"'
!macroend

; Takes the class away, and the extension only as far as it is still ours:
; another program's claim on EXT stays.
!macro RemoveFileType EXT CLASS
  DeleteRegKey HKCU "${CLASSES}\${CLASS}"
  DeleteRegValue HKCU "${CLASSES}\${EXT}\OpenWithProgids" "${CLASS}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\${EXT}\OpenWithProgids"
  ClearErrors
  ReadRegStr $0 HKCU "${CLASSES}\${EXT}" ""
  ${If} $0 == "${CLASS}"
    DeleteRegValue HKCU "${CLASSES}\${EXT}" ""
  ${EndIf}
  DeleteRegKey /ifempty HKCU "${CLASSES}\${EXT}"
!macroend

!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST 0
!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
!macroend

Section "Brelko"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${STAGE}\brelko-cli.exe"
!ifdef WITH_WINDOW
  File "${STAGE}\brelko.exe"
!endif
  File "${STAGE}\README.txt"
  File "${STAGE}\brelko-cli.sample.ini"
  File "${STAGE}\english.lng"
  File "${STAGE}\danish.lng"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Brelko"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1

  ; The folder on the PATH, once. A PATH too long to be read whole is left
  ; alone rather than cut.
  ClearErrors
  ReadRegStr $0 HKLM "${ENVKEY}" "Path"
  StrLen $1 $0
  IntOp $3 ${NSIS_MAX_STRLEN} - 300
  ${If} ${Errors}
  ${OrIf} $1 == 0
  ${OrIf} $1 > $3
    DetailPrint "The PATH was not changed: add $INSTDIR to it by hand."
  ${Else}
    ${WordReplace} "$0" ";$INSTDIR" "" "+" $2
    ${If} $2 == $0
      WriteRegExpandStr HKLM "${ENVKEY}" "Path" "$0;$INSTDIR"
      SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}

!ifdef WITH_WINDOW
  ; The Start-menu entry and the file types belong to the installing user.
  ; The shortcut starts in the program's folder (the output path).
  SetShellVarContext current
  CreateShortcut "${SHORTCUT}" "$INSTDIR\brelko.exe" "" "$INSTDIR\brelko.exe" 0
  !insertmacro FileType ".mtx" "Brelko.Picture" "Brelko picture (MTX)"
  !insertmacro FileType ".asc" "Brelko.Backup" "Brelko settings backup"
  !insertmacro AssociationsChanged
!endif
SectionEnd

Section "Uninstall"
  SetRegView 64
  ClearErrors
  ReadRegStr $0 HKLM "${ENVKEY}" "Path"
  StrLen $1 $0
  IntOp $3 ${NSIS_MAX_STRLEN} - 300
  ${IfNot} ${Errors}
  ${AndIf} $1 > 0
  ${AndIf} $1 <= $3
    ${WordReplace} "$0" ";$INSTDIR" "" "+" $2
    ${If} $2 != $0
      WriteRegExpandStr HKLM "${ENVKEY}" "Path" "$2"
      SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}

  ; The window's parts go whichever package installed them last: a package
  ; without the window may have been installed over one with it.
  SetShellVarContext current
  Delete "${SHORTCUT}"
  !insertmacro RemoveFileType ".mtx" "Brelko.Picture"
  !insertmacro RemoveFileType ".asc" "Brelko.Backup"
  !insertmacro AssociationsChanged
  Delete "$INSTDIR\brelko.exe"
  Delete "$INSTDIR\brelko-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\brelko-cli.sample.ini"
  Delete "$INSTDIR\english.lng"
  Delete "$INSTDIR\danish.lng"
  Delete "$INSTDIR\uninstall.exe"
  ; A settings file of the administrator's own stays, and so does its folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
