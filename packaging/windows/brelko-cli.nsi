; The installer of brelko-cli for Windows (scripts/package makes it):
; installs into Program Files, puts the folder on the system PATH, registers
; the uninstaller, and takes all of it away again.
;   makensis -DVERSION=x.y.z -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> brelko-cli.nsi
Target amd64-unicode
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"

!define ENVKEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brelko-cli"

Name "Brelko command line ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Brelko"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Brelko"
VIAddVersionKey "CompanyName" "Brelko"
VIAddVersionKey "FileDescription" "Brelko command line installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Brelko"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "brelko-cli"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${STAGE}\brelko-cli.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\brelko-cli.sample.ini"
  File "${STAGE}\english.lng"
  File "${STAGE}\danish.lng"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "Brelko command line ${VERSION}"
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
