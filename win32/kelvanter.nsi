; The German installer of the Windows program: Program Files, a Start-menu entry, Explorer's
; "Mit Kelvanter vernichten" for files and folders, and an uninstaller registered under "Apps & Features".
; /S installs silently.
;   makensis -DEXE=path\kelvanter.exe -DOUTFILE=Setup.exe -DVERSION=1.0.0 -DICON=magnet.ico -DDOCS=docs kelvanter.nsi
; A 64-bit installer: the program is 64-bit, and so is a Wine without 32-bit support.
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvanter"
; "Mit Kelvanter vernichten" in Explorer's context menu of files and of folders, in the user's own classes.
!define VERB_KEY "Software\Classes\*\shell\KelvanterVernichten"
!define FOLDER_VERB_KEY "Software\Classes\Directory\shell\KelvanterVernichten"

; Explorer starts the command once per selected item: --add hands each to the one window that gathers them.
!macro WriteVerb KEY
    WriteRegStr HKCU "${KEY}" "" "Mit Kelvanter vernichten"
    WriteRegStr HKCU "${KEY}" "Icon" "$INSTDIR\kelvanter.exe"
    ; Offered for a selection of any size, not only of up to 15 items.
    WriteRegStr HKCU "${KEY}" "MultiSelectModel" "Player"
    WriteRegStr HKCU "${KEY}\command" "" '"$INSTDIR\kelvanter.exe" --add -- "%1"'
!macroend

Name "Kelvanter"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kelvanter"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Kelvanter"
    SetOutPath "$INSTDIR"
    File "/oname=kelvanter.exe" "${EXE}"
    ; The users' handbook, with the pictures it shows.
    File "${DOCS}/handbuch.md"
    File "${DOCS}/main-window.png"
    File "${DOCS}/context-menu.png"
    File "${DOCS}/list-account.png"
    WriteUninstaller "$INSTDIR\Deinstallieren.exe"
    CreateShortcut "$SMPROGRAMS\Kelvanter.lnk" "$INSTDIR\kelvanter.exe"
    CreateShortcut "$SMPROGRAMS\Kelvanter - Freien Speicher überschreiben.lnk" "$INSTDIR\kelvanter.exe" "--free-space"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kelvanter"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kelvanter"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelvanter.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Deinstallieren.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Deinstallieren.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    !insertmacro WriteVerb "${VERB_KEY}"
    !insertmacro WriteVerb "${FOLDER_VERB_KEY}"
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Kelvanter.lnk"
    Delete "$SMPROGRAMS\Kelvanter - Freien Speicher überschreiben.lnk"
    Delete "$INSTDIR\kelvanter.exe"
    Delete "$INSTDIR\handbuch.md"
    Delete "$INSTDIR\main-window.png"
    Delete "$INSTDIR\context-menu.png"
    Delete "$INSTDIR\list-account.png"
    Delete "$INSTDIR\Deinstallieren.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${VERB_KEY}"
    DeleteRegKey HKCU "${FOLDER_VERB_KEY}"
SectionEnd
