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
; A zellik.scr that cannot be replaced (the saver or the settings' preview
; runs it) stops the install with Retry and Cancel, never Ignore: /S cancels,
; exits with 2 and registers nothing, rather than report a new version over
; the old file.
AllowSkipFiles off

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

; The account whose desktop the setup runs on: the owner of the shell
; (Explorer), else the setup's own account. When a standard user elevates the
; setup with an administrator's password, the setup runs as the administrator,
; and its HKCU is the administrator's: the current-saver choice belongs in the
; desktop's owner's hive, HKU\<that account's SID>. Leaves the SID in $R0, ""
; when it cannot be read.
!macro DESKTOP_USER_SID prefix
  Function ${prefix}DesktopUserSid
    StrCpy $R0 ""
    System::Call 'user32::GetShellWindow() p.r1'
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i 0 r2)'
    ; PROCESS_QUERY_LIMITED_INFORMATION; TOKEN_QUERY; TokenUser
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r2) p.r3'
    ${If} $3 P= 0
      System::Call 'kernel32::GetCurrentProcess() p.r3'
    ${EndIf}
    System::Call 'advapi32::OpenProcessToken(p r3, i 8, *p 0 r4) i.r0'
    ${If} $0 <> 0
      System::Alloc 256
      Pop $5
      System::Call 'advapi32::GetTokenInformation(p r4, i 1, p r5, i 256, *i 0) i.r0'
      ${If} $0 <> 0
        System::Call '*$5(p .r6)'
        System::Call 'advapi32::ConvertSidToStringSidW(p r6, *p 0 r7) i.r0'
        ${If} $0 <> 0
          System::Call '*$7(&w184 .R0)'
          System::Call 'kernel32::LocalFree(p r7)'
        ${EndIf}
      ${EndIf}
      System::Free $5
      System::Call 'kernel32::CloseHandle(p r4)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r3)'
  FunctionEnd
!macroend
!insertmacro DESKTOP_USER_SID ""
!insertmacro DESKTOP_USER_SID "un."

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
  Call DesktopUserSid
  ${If} $R0 == ""
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER}"
  ${Else}
    WriteRegStr HKU "$R0\${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER}"
  ${EndIf}
SectionEnd

Section "Uninstall"
  Delete /REBOOTOK "${SAVER}"
  ; Another saver chosen since is the user's choice, not ours to clear.
  Call un.DesktopUserSid
  ${If} $R0 == ""
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 == "${SAVER}"
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${Else}
    ReadRegStr $0 HKU "$R0\${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 == "${SAVER}"
      DeleteRegValue HKU "$R0\${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
