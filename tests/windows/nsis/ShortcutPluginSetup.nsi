; A real installer made with NSIS, as the maker's plug-in installer is:
; Unicode, asking for administrator rights (NSIS's default, said here so that
; nobody wonders), silent with /S. It installs the test's "installed program"
; (InstalledProgram.cpp) under Program Files with an uninstaller, and puts a
; shortcut to it on the all-users desktop and in the maker's Start Menu
; folder. It notes the command line it was started with in the install
; folder, and which of its two builds (ARCH x86 or x64) ran. The x64 build is
; a 64-bit program (NSIS's amd64 stub), the x86 build a 32-bit one.
;   makensis -DPROGRAM=<ShortcutPlugin.exe> -DARCH=x86|x64 -DOUTFILE=<setup.exe> ShortcutPluginSetup.nsi

!ifndef PROGRAM
  !error "PROGRAM must name the program to install"
!endif
!ifndef OUTFILE
  !error "OUTFILE must name the installer to make"
!endif
!ifndef ARCH
  !error "ARCH must be x86 or x64"
!endif

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define PRODUCT "Velmora Shortcut Plugin"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\Velmora\Shortcut Plugin"
!else
  InstallDir "$PROGRAMFILES\Velmora\Shortcut Plugin"
!endif

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=ShortcutPlugin.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  FileOpen $0 "$INSTDIR\installed-by.txt" w
  FileWrite $0 "${ARCH}$\r$\n$CMDLINE$\r$\n"
  FileClose $0

  SetShellVarContext all
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\ShortcutPlugin.exe"
  CreateDirectory "$SMPROGRAMS\Velmora"
  CreateShortCut "$SMPROGRAMS\Velmora\${PRODUCT}.lnk" "$INSTDIR\ShortcutPlugin.exe"
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\Velmora\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\Velmora"
  Delete "$INSTDIR\ShortcutPlugin.exe"
  Delete "$INSTDIR\ShortcutPlugin.exe.started"
  Delete "$INSTDIR\installed-by.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
