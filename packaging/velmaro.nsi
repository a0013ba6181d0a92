; The Windows installer of Velmaro, built with NSIS (makensis) by packaging/CMakeLists.txt:
;   makensis -DPROGRAMS=<folder of the built programs> -DOUTFILE=<setup.exe> -DVERSION=<x.y> velmaro.nsi
; It installs velmaro.exe, velmaro-cli.exe, NIVELLARI.DBF and the help files into the folder the
; user chooses. Tavolin starts velmaro.exe from its own program folder and reads the result
; code from the Tavolin.ini there, so that folder is offered first when it is found.
; Silent installation: velmaro-setup.exe /S /D=C:\Carpeta (/D last, without quotes).

; A 64-bit installer, like the programs it installs.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

Name "Velmaro ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velmaro"
BrandingText "Velmaro ${VERSION}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaro"
!define UNINSTALLER "desinstalar-velmaro.exe"
!define START_MENU "$SMPROGRAMS\Velmaro"

!define MUI_DIRECTORYPAGE_TEXT_TOP "Tavolin ejecuta velmaro.exe desde su propia carpeta de programa y lee allí el resultado (Tavolin.ini). Elija la carpeta de Tavolin para que Tavolin pueda usar Velmaro."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

; Tavolin's program folder, when it is in one of the usual places, unless /D named a folder.
Function .onInit
  ${If} $INSTDIR != "$PROGRAMFILES64\Velmaro"
    Return
  ${EndIf}
  ${If} ${FileExists} "$PROGRAMFILES32\Tavolin\*.*"
    StrCpy $INSTDIR "$PROGRAMFILES32\Tavolin"
  ${ElseIf} ${FileExists} "$PROGRAMFILES64\Tavolin\*.*"
    StrCpy $INSTDIR "$PROGRAMFILES64\Tavolin"
  ${ElseIf} ${FileExists} "C:\Tavolin\*.*"
    StrCpy $INSTDIR "C:\Tavolin"
  ${EndIf}
FunctionEnd

Section "Velmaro"
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\velmaro.exe"
  File "${PROGRAMS}\velmaro-cli.exe"
  File "${PROGRAMS}\NIVELLARI.DBF"
  File "${PROGRAMS}\RUVED.chm"
  File "${PROGRAMS}\RACIMA.chm"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateDirectory "${START_MENU}"
  CreateShortcut "${START_MENU}\Velmaro.lnk" "$INSTDIR\velmaro.exe"
  CreateShortcut "${START_MENU}\Desinstalar Velmaro.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes only what the installer put there: the folder may be Tavolin's, whose own files
; (Tavolin.ini among them) stay. The folder itself goes only when it is left empty.
Section "Uninstall"
  Delete "$INSTDIR\velmaro.exe"
  Delete "$INSTDIR\velmaro-cli.exe"
  Delete "$INSTDIR\NIVELLARI.DBF"
  Delete "$INSTDIR\RUVED.chm"
  Delete "$INSTDIR\RACIMA.chm"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "${START_MENU}\Velmaro.lnk"
  Delete "${START_MENU}\Desinstalar Velmaro.lnk"
  RMDir "${START_MENU}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
