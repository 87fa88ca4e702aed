; The Windows installer: zellik.scr into the system folder, so that the
; screen-saver list shows "Zellik screen saver", an entry under Add/Remove
; Programs, and (selected unless the user clears it) Zellik as the current
; screen saver. /S installs silently with every default.
;
; The uninstaller removes the file and our registry entries, and clears the
; current screen saver only when it is Zellik. The user's own setting
; (HKCU\Software\Quent\Dunmere, "UseMirrors") stays: it is not ours to delete.
;
; scripts/package.sh defines VERSION, SCR (the saver), LICENSE, ICON and
; OUTFILE on the makensis command line.

; A 64-bit installer for a 64-bit saver: it sees the real System32 and the
; 64-bit registry, with no WOW64 redirection to turn off (a 32-bit one would
; put the saver in SysWOW64 and its entry under WOW6432Node), and 32-bit
; Windows, where the saver cannot run, refuses to start it.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zellik"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVER "$SYSDIR\zellik.scr"

Name "Zellik"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Zellik"
BrandingText "Zellik ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Zellik"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Zellik screen saver setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The Zellik authors"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) the Zellik authors. MIT licence."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Zellik screen saver" SectionSaver
  SectionIn RO
  SetOutPath "$SYSDIR"
  File "/oname=zellik.scr" "${SCR}"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SectionGetSize ${SectionSaver} $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zellik screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Zellik authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${SAVER},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Zellik the current screen saver" SectionCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER}"
SectionEnd

Section "Uninstall"
  Delete /REBOOTOK "${SAVER}"
  ; Another saver chosen since is the user's choice, not ours to clear.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "${SAVER}"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
