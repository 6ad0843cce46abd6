; The Tunedeck installer: puts gen_Tunedeck.dll and the language files into
; the Plugins folder of a Winamp installation and writes an uninstaller
; beside them that removes exactly those files. The user's settings
; (gen_Tunedeck.ini), start file (gen_Tunedeck.KQ3) and plugin.ini section
; stay unless the uninstaller is asked to remove them (its "Settings and
; start file" component, or /PURGE on its command line).
;
; Built by scripts/make_installer.sh:
;   makensis -DARCH=x86|amd64 -DVERSION=a.b.c.d -DDLL=<gen_Tunedeck.dll>
;            -DFILES=<files.nsh> -DOUTFILE=<setup.exe> tunedeck.nsi
; FILES defines the macros TD_INSTALL_LANGUAGES (File lines) and
; TD_REMOVE_LANGUAGES (Delete lines) for the language files.
;
; Silent use: setup.exe /S [/D=<Winamp folder>]
;             Uninstall_Tunedeck.exe /S [/PURGE]

Unicode true
!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x86 or amd64"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include "${FILES}"

!define PRODUCT "Tunedeck"
!define UNINSTALLER "Uninstall_Tunedeck.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tunedeck"
!define HOST_CLASS "Winamp v1.x"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
!if "${ARCH}" == "amd64"
  !define DEFAULT_DIR "$PROGRAMFILES64\Winamp"
!else
  !define DEFAULT_DIR "$PROGRAMFILES\Winamp"
!endif
InstallDir "${DEFAULT_DIR}"
; Winamp keeps its folder as the default value of its own key.
InstallDirRegKey HKCU "Software\Winamp" ""

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup (Winamp plug-in)"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Tunedeck developers"

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Choose the folder of your Winamp installation (the folder that holds winamp.exe). ${PRODUCT} goes into its Plugins folder; start Winamp again afterwards."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Winamp folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckHostFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES

!define MUI_COMPONENTSPAGE_TEXT_TOP "The plug-in is removed. Check the second box to remove your ${PRODUCT} settings and start file as well (playlists you saved elsewhere are never touched)."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The host's folder when its own key does not name it (and /D did not):
; the folder of the uninstaller its setup registered (a quoted or plain
; path). Otherwise the directory page asks.
Function .onInit
!if "${ARCH}" == "amd64"
  SetRegView 64
!endif
  ReadRegStr $0 HKCU "Software\Winamp" ""
  ${If} $0 == ""
  ${AndIf} $INSTDIR == "${DEFAULT_DIR}"
    ReadRegStr $0 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp" "UninstallString"
    ${If} $0 != ""
      StrCpy $1 $0 1
      ${If} $1 == '"'
        StrCpy $0 $0 "" 1
        StrCpy $0 $0 -1
      ${EndIf}
      ${GetParent} $0 $0
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function CheckHostFolder
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_YESNO|MB_ICONQUESTION "There is no winamp.exe in$\r$\n$INSTDIR.$\r$\n$\r$\nInstall into its Plugins folder anyway?" /SD IDYES IDYES done
    Abort
  ${EndIf}
  done:
FunctionEnd

Section "${PRODUCT}" SecPlugin
  SectionIn RO
!if "${ARCH}" == "amd64"
  SetRegView 64
!endif
  ; A running host holds the module: it must be closed first.
  FindWindow $0 "${HOST_CLASS}"
  ${If} $0 <> 0
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Please close Winamp, then press OK." /SD IDCANCEL IDOK closed
    Abort "Winamp is running."
    closed:
  ${EndIf}
  SetOutPath "$INSTDIR\Plugins"
  SetOverwrite on
  File "/oname=gen_Tunedeck.dll" "${DLL}"
  !insertmacro TD_INSTALL_LANGUAGES
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (Winamp plug-in)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Tunedeck developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\Plugins"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller lives in the Plugins folder: $INSTDIR is that folder.
Section "un.${PRODUCT}" SecUnPlugin
  SectionIn RO
!if "${ARCH}" == "amd64"
  SetRegView 64
!endif
  Delete "$INSTDIR\gen_Tunedeck.dll"
  !insertmacro TD_REMOVE_LANGUAGES
SectionEnd

Section /o "un.Settings and start file" SecUnSettings
  Delete "$INSTDIR\gen_Tunedeck.ini"
  Delete "$INSTDIR\gen_Tunedeck.KQ3"
  DeleteINISec "$INSTDIR\plugin.ini" "${PRODUCT}"
SectionEnd

; Last, so that its file going means the uninstaller has finished.
Section "-un.Finish"
!if "${ARCH}" == "amd64"
  SetRegView 64
!endif
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
