; The Vorlane installer. Built by scripts/installer.sh (or the CMake target
; "installer") with NSIS's makensis; the build passes three defines:
;   PROGRAM_DIR  folder holding the built Vorlane.exe
;   SOURCE_DIR   the source tree (for the hand cursor and the optional skin)
;   OUTPUT_FILE  where to write the installer
; Silent use: "Vorlane-Setup.exe /S [/D=C:\folder]" installs, "Uninstall.exe /S"
; removes the program but keeps the settings; add /REMOVESETTINGS to remove them too.

Unicode true
SetCompressor /SOLID lzma

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!ifndef PROGRAM_DIR
  !error "makensis needs -DPROGRAM_DIR=<folder of Vorlane.exe>"
!endif
!ifndef SOURCE_DIR
  !error "makensis needs -DSOURCE_DIR=<source tree>"
!endif
!ifndef OUTPUT_FILE
  !define OUTPUT_FILE "Vorlane-Setup.exe"
!endif
!ifndef SKIN_FILE
  !define SKIN_FILE "${SOURCE_DIR}/resources/skins/Harbour.cjs"
!endif

!define PRODUCT "Vorlane"
!define PUBLISHER "Pendrake"
!define VERSION "1.0.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Vorlane.exe"
!define SETTINGS_KEY "Software\Pendrake\Vorlane"
!define WINDOW_CLASS "VorlaneForm1"

Name "${PRODUCT}"
OutFile "${OUTPUT_FILE}"
InstallDir "$PROGRAMFILES\Vorlane"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running copy holds Vorlane.exe open: close its window the way the user would
; (the program removes its tray icon and ends on WM_CLOSE), then wait for it.
!macro CloseRunningProgram
  FindWindow $0 "${WINDOW_CLASS}"
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${For} $1 1 25
      Sleep 200
      FindWindow $0 "${WINDOW_CLASS}"
      ${IfThen} $0 = 0 ${|} ${ExitFor} ${|}
    ${Next}
  ${EndIf}
!macroend

Section "Vorlane (required)" SecProgram
  SectionIn RO
  SetShellVarContext all
  !insertmacro CloseRunningProgram
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/Vorlane.exe"
  File "${SOURCE_DIR}/resources/HAND-M.CUR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Vorlane"
  CreateShortcut "$SMPROGRAMS\Vorlane\Vorlane.lnk" "$INSTDIR\Vorlane.exe" "" "$INSTDIR\Vorlane.exe" 0
  CreateShortcut "$SMPROGRAMS\Vorlane\Uninstall Vorlane.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vorlane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The skin folder "x" beside the program (the program draws its window in the
; skin file x\o.cjs when it is there). Optional and off by default; left out of
; the installer when the build has no skin file to ship.
!if /FileExists "${SKIN_FILE}"
Section /o "Skin (Harbour)" SecSkin
  SetOutPath "$INSTDIR\x"
  File "/oname=o.cjs" "${SKIN_FILE}"
SectionEnd
!endif

Section "Uninstall"
  SetShellVarContext all
  !insertmacro CloseRunningProgram

  ; The startup entry may be in either Run key (the program falls back to the
  ; user's own key when the machine-wide one cannot be written).
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  Delete "$INSTDIR\Vorlane.exe"
  Delete "$INSTDIR\HAND-M.CUR"
  RMDir /r "$INSTDIR\x"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Vorlane\Vorlane.lnk"
  Delete "$SMPROGRAMS\Vorlane\Uninstall Vorlane.lnk"
  RMDir "$SMPROGRAMS\Vorlane"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Settings: asked interactively; silently kept unless /REMOVESETTINGS is given.
  StrCpy $0 "no"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/REMOVESETTINGS" $2
  ${IfNot} ${Errors}
    StrCpy $0 "yes"
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "Remove your Vorlane settings (chosen interval, auto delete and startup options) too?" /SD IDNO IDNO +2
    StrCpy $0 "yes"
  ${EndIf}
  ${If} $0 == "yes"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Pendrake"
  ${EndIf}
SectionEnd
