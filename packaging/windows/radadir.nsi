# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows setup: installs for the current user, without administrator
# rights, into %LOCALAPPDATA%\Programs\RadaDIR. The register lives in
# %LOCALAPPDATA%\RadaDIR, which every shortcut starts the program in, and which
# neither an upgrade nor an uninstall touches.
# makensis -INPUTCHARSET UTF8 -DVERSION=1.4.5 -DSTAGE=<folder> -DOUTFILE=<setup.exe> radadir.nsi
# STAGE holds the program's files and the lists files.nsh and unfiles.nsh.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define APPNAME "Rirede Zarevave Rurored"
!define PUBLISHER "RadaDIR Destek"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RadaDIR"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\RadaDIR"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "${APPNAME} v${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${APPNAME} ${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${STAGE}/radadir.ico"
!define MUI_UNICON "${STAGE}/radadir.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

# The first language is taken when the system's is neither.
!insertmacro MUI_LANGUAGE "Turkish"
!insertmacro MUI_LANGUAGE "English"

LangString SecProgram ${LANG_TURKISH} "Program"
LangString SecProgram ${LANG_ENGLISH} "Program"
LangString SecDesktop ${LANG_TURKISH} "Masaüstü kısayolu"
LangString SecDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString StillRunning ${LANG_TURKISH} "Program hâlâ açık. Programı kapatıp Yeniden Dene'ye basın."
LangString StillRunning ${LANG_ENGLISH} "The program is still running. Close it and press Retry."
LangString RegisterKept ${LANG_TURKISH} "Kayıt dosyası silinmedi; $LOCALAPPDATA\RadaDIR klasöründe duruyor."
LangString RegisterKept ${LANG_ENGLISH} "The register was kept; it is in $LOCALAPPDATA\RadaDIR."

# A running copy is asked to close (its main window gets WM_CLOSE, as when
# the clerk closes it), then the program file must be free before it is
# replaced or removed.
!macro CloseRunningCopy un
Function ${un}CloseRunningCopy
  FindWindow $0 "" "${APPNAME}"
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
  StrCpy $1 0
  ${DoWhile} ${FileExists} "$INSTDIR\radadir.exe"
    ClearErrors
    FileOpen $2 "$INSTDIR\radadir.exe" a
    ${IfNot} ${Errors}
      FileClose $2
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 20
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY +2
      Abort
      StrCpy $1 0
    ${EndIf}
    Sleep 250
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseRunningCopy ""
!insertmacro CloseRunningCopy "un."

Section "$(SecProgram)" SecProgramId
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  !include "${STAGE}/files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  # The register's folder, made when missing; the shortcuts start there.
  CreateDirectory "$LOCALAPPDATA\RadaDIR"
  SetOutPath "$LOCALAPPDATA\RadaDIR"
  CreateShortCut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\radadir.exe" "" "$INSTDIR\radadir.exe" 0 \
    SW_SHOWNORMAL "" "${APPNAME} v${VERSION}"

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\radadir.exe,0"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" "$0"
SectionEnd

# Named as the program's own menu names it, so that the menu's "Masaüstü'ne"
# replaces this shortcut rather than adding a second.
Section "$(SecDesktop)" SecDesktopId
  SetOutPath "$LOCALAPPDATA\RadaDIR"
  CreateShortCut "$DESKTOP\${APPNAME} v${VERSION}.lnk" "$INSTDIR\radadir.exe" "" "$INSTDIR\radadir.exe" 0 \
    SW_SHOWNORMAL "" "${APPNAME} v${VERSION}"
SectionEnd

Section "Uninstall"
  Call un.CloseRunningCopy
  !include "${STAGE}/unfiles.nsh"
  # The announcement's banner, which the program writes beside itself and
  # removes once shown, is left by a copy that was ended before.
  Delete "$INSTDIR\msg.kbs"
  Delete "$INSTDIR\.msg.kbs.*"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  Delete "$DESKTOP\${APPNAME} v${VERSION}.lnk"
  DeleteRegKey HKCU "${UNINSTKEY}"
  MessageBox MB_OK|MB_ICONINFORMATION "$(RegisterKept)" /SD IDOK
SectionEnd
