; The Setup program of the Korvat DrumMap Export wizard: copies the module and
; its read-me into a folder, registers the module with Vemba (through the
; module's own DllRegisterServer), and writes an uninstaller with its entry in
; Programs and Features. Built by cmake/Installer.cmake:
;
;   makensis -DVERSION=0.5.0 -DTARGET=x86-unicode -DMODULE=KorvatDrumMapExport.dll
;            -DREADME=ReadMe.txt -DOUTFILE=KorvatDrumMapExport-0.5.0-setup.exe setup.nsi
;
; TARGET x86-unicode is the product: the 32-bit module for the 32-bit host,
; into the 32-bit Program Files folder. amd64-unicode builds the same Setup
; around the x86_64 module, for the tests on machines that cannot start
; 32-bit programs.

!ifndef VERSION | MODULE | README | OUTFILE | TARGET
  !error "define VERSION, MODULE, README, OUTFILE and TARGET"
!endif

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Korvat DrumMap Export"
!define MODULE_NAME "KorvatDrumMapExport.dll"
!define MODULE_BACKUP "KorvatDrumMapExport.dll.old"
!define README_NAME "ReadMe.txt"
!define UNINSTALLER "Uninstall.exe"
; CLSID_DrumMapWizard, the keys its registration writes, and our entry in
; Programs and Features.
!define CLSID "{D169D29F-53D1-4873-BD56-9082F52434D0}"
!define CLASS_KEY "CLSID\${CLSID}"
!define WIZARD_KEY "Software\Ostrevane\VbWizards\${CLSID}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvatDrumMapExport"
; HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER): the module refuses a path
; longer than 255 characters.
!define E_PATH_TOO_LONG 0x8007007A

Name "${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!if "${TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An installed copy is upgraded where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" InstallLocation

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey LegalCopyright "Korvat is a trademark of its respective owner."

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, a wizard for the Vemba drum \
  sampler that saves the names of a kit's pads as a drum map for the Korvat sequencer.$\r$\n$\r$\n\
  Please close Vemba before you continue.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs ${PRODUCT} into the folder below. To install \
  it into another folder, click Browse. Vemba finds the wizard wherever it is installed."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "Start Vemba and choose $\"${PRODUCT}$\" from its wizards: the \
  wizard saves the current kit's pad names as a drum map.$\r$\n$\r$\n\
  To remove the wizard, use Apps && features (Programs and Features) in the Control Panel."
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${README_NAME}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the read-me"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE English

Var previousServer  ; the module registered before this run, if any
Var previousFolder  ; where Setup installed the wizard before, if elsewhere
Var firstNewFolder  ; the outermost folder that this run creates, if any

; The registry view of the module's own bitness: the 32-bit host reads the
; 32-bit view (on 64-bit Windows under WOW6432Node).
!macro USE_MODULE_REGISTRY_VIEW
  !if "${TARGET}" == "amd64-unicode"
    SetRegView 64
  !else
    SetRegView 32
  !endif
!macroend

; Only an administrator may register the wizard for the whole machine.
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} must be installed and removed by an administrator.$\r$\n\
      Please run this program again as administrator." /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; Functions that the installer and the uninstaller both need ("un." for the
; uninstaller's copy).
!macro MODULE_FUNCTIONS un
  ; Waits until the module file (on the stack) may be replaced: a program
  ; that has it loaded, such as a running Vemba, keeps it from being written.
  ; Asks to retry or cancel; pushes "free" or "cancel". A missing file is free.
  Function ${un}WaitUntilReplaceable
    Exch $0
    Push $1
    ${Do}
      ${IfNot} ${FileExists} $0
        StrCpy $1 free
        ${Break}
      ${EndIf}
      ClearErrors
      FileOpen $1 $0 a  ; read and write, shared for reading only
      ${IfNot} ${Errors}
        FileClose $1
        StrCpy $1 free
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The wizard's file is in use:$\r$\n$0$\r$\n$\r$\n\
        Please close Vemba (and any other program that uses the wizard), then click Retry.$\r$\n\
        Cancel leaves the installed wizard as it is." /SD IDCANCEL IDRETRY retry
      StrCpy $1 cancel
      ${Break}
      retry:
    ${Loop}
    StrCpy $0 $1
    Pop $1
    Exch $0
  FunctionEnd

  ; Calls an entry point of a module (stack: module path, then the entry's
  ; name on top) and pushes its HRESULT; a module that cannot be loaded, or
  ; lacks the entry, gives the loader's error as an HRESULT.
  Function ${un}CallModule
    Exch $1  ; the entry's name
    Exch
    Exch $0  ; the module's path
    Push $2
    Push $3
    ; LOAD_WITH_ALTERED_SEARCH_PATH: the module's own folder first.
    System::Call 'kernel32::LoadLibraryExW(w r0, p 0, i 0x8) p.r2 ?e'
    Pop $3
    ${If} $2 P= 0
      IntOp $3 $3 & 0xFFFF
      IntOp $3 $3 | 0x80070000
    ${Else}
      System::Call 'kernel32::GetProcAddress(p r2, m r1) p.r3'
      ${If} $3 P= 0
        IntOp $3 0x8007007F + 0  ; ERROR_PROC_NOT_FOUND
      ${Else}
        System::Call '::$3() i.r3'
      ${EndIf}
      System::Call 'kernel32::FreeLibrary(p r2)'
    ${EndIf}
    StrCpy $0 $3
    Pop $3
    Pop $2
    Exch
    Pop $1
    Exch $0
  FunctionEnd

  ; The registration keys, whatever the module did or could not do.
  Function ${un}DeleteRegistration
    DeleteRegKey HKCR "${CLASS_KEY}"
    DeleteRegKey HKLM "${WIZARD_KEY}"
  FunctionEnd
!macroend
!insertmacro MODULE_FUNCTIONS ""
!insertmacro MODULE_FUNCTIONS "un."

; "0x80070005: Access is denied." for the HRESULT on the stack.
Function DescribeError
  Exch $0
  Push $1
  Push $2
  Push $3
  ; A Win32 error wrapped in an HRESULT has its text under its own code.
  IntOp $1 $0 & 0xFFFF0000
  ${If} $1 = 0x80070000
    IntOp $1 $0 & 0xFFFF
  ${Else}
    StrCpy $1 $0
  ${EndIf}
  ; FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS
  System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i r1, i 0, w .r2, i ${NSIS_MAX_STRLEN}, p 0) i.r3'
  ${If} $3 = 0
    StrCpy $2 "unknown error"
  ${EndIf}
  ${Do}
    StrCpy $3 $2 1 -1
    ${If} $3 == "$\r"
    ${OrIf} $3 == "$\n"
    ${OrIf} $3 == " "
      StrCpy $2 $2 -1
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  IntFmt $1 "0x%08X" $0
  StrCpy $0 "$1: $2"
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Adds the size of a file (on the stack) to $R0, in bytes.
Function AddFileSize
  Exch $0
  Push $1
  Push $2
  ClearErrors
  FileOpen $1 $0 r
  ${IfNot} ${Errors}
    FileSeek $1 0 END $2
    FileClose $1
    IntOp $R0 $R0 + $2
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Stops before anything is changed when a module to be replaced is in use.
!macro STOP_IF_IN_USE path
  Push "${path}"
  Call WaitUntilReplaceable
  Pop $0
  ${If} $0 == cancel
    DetailPrint "Cancelled: nothing was changed."
    Abort
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "-Wizard"
  !insertmacro USE_MODULE_REGISTRY_VIEW
  ReadRegStr $previousServer HKCR "${CLASS_KEY}\InprocServer32" ""
  ReadRegStr $previousFolder HKLM "${UNINSTALL_KEY}" InstallLocation
  ${If} $previousFolder == $INSTDIR
    StrCpy $previousFolder ""
  ${EndIf}

  !insertmacro STOP_IF_IN_USE "$INSTDIR\${MODULE_NAME}"
  ${If} $previousFolder != ""
    !insertmacro STOP_IF_IN_USE "$previousFolder\${MODULE_NAME}"
  ${EndIf}

  ; The outermost folder that SetOutPath creates, removed again on failure.
  StrCpy $firstNewFolder ""
  StrCpy $1 $INSTDIR
  ${Do}
    ${If} $1 == ""
    ${OrIf} ${FileExists} "$1\*.*"
      ${Break}
    ${EndIf}
    StrCpy $firstNewFolder $1
    ${GetParent} $1 $1
  ${Loop}

  ; The installed module is kept aside until the new one is registered.
  SetOutPath $INSTDIR
  Delete "$INSTDIR\${MODULE_BACKUP}"
  ${If} ${FileExists} "$INSTDIR\${MODULE_NAME}"
    Rename "$INSTDIR\${MODULE_NAME}" "$INSTDIR\${MODULE_BACKUP}"
  ${EndIf}
  File "/oname=${MODULE_NAME}" "${MODULE}"

  DetailPrint "Registering $INSTDIR\${MODULE_NAME}"
  Push "$INSTDIR\${MODULE_NAME}"
  Push DllRegisterServer
  Call CallModule
  Pop $0
  ${If} $0 < 0
    ; Back to what was there before: no new file or key, the previous module
    ; and its registration as they were.
    Call DeleteRegistration
    Delete "$INSTDIR\${MODULE_NAME}"
    ${If} ${FileExists} "$INSTDIR\${MODULE_BACKUP}"
      Rename "$INSTDIR\${MODULE_BACKUP}" "$INSTDIR\${MODULE_NAME}"
    ${EndIf}
    ${If} $previousServer != ""
    ${AndIf} ${FileExists} $previousServer
      Push $previousServer
      Push DllRegisterServer
      Call CallModule
      Pop $2
    ${EndIf}
    SetOutPath $TEMP
    ${If} $firstNewFolder != ""
      StrCpy $1 $INSTDIR
      ${Do}
        RMDir $1  ; only when empty
        ${If} $1 == $firstNewFolder
          ${Break}
        ${EndIf}
        ${GetParent} $1 $1
      ${LoopUntil} $1 == ""
    ${EndIf}

    StrCpy $1 ""
    ${If} $0 = ${E_PATH_TOO_LONG}
      StrCpy $1 "The folder's path is too long: the wizard's path may have at most 255 characters. \
        Please choose a folder with a shorter path.$\r$\n$\r$\n"
    ${EndIf}
    Push $0
    Call DescribeError
    Pop $0
    DetailPrint "Registration failed: $0"
    MessageBox MB_OK|MB_ICONSTOP "Setup could not register the wizard:$\r$\n$INSTDIR\${MODULE_NAME}$\r$\n$\r$\n\
      Error $0$\r$\n$\r$\n$1Nothing was installed or changed." /SD IDOK
    Abort
  ${EndIf}
  Delete "$INSTDIR\${MODULE_BACKUP}"

  File "/oname=${README_NAME}" "${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; One entry, written afresh on every installation.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  StrCpy $R0 0
  Push "$INSTDIR\${MODULE_NAME}"
  Call AddFileSize
  Push "$INSTDIR\${README_NAME}"
  Call AddFileSize
  Push "$INSTDIR\${UNINSTALLER}"
  Call AddFileSize
  IntOp $R0 $R0 + 1023
  IntOp $R0 $R0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $R0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1

  ; A copy that Setup had installed into another folder: the new one has
  ; taken its registration.
  ${If} $previousFolder != ""
    Delete "$previousFolder\${MODULE_NAME}"
    Delete "$previousFolder\${MODULE_BACKUP}"
    Delete "$previousFolder\${README_NAME}"
    Delete "$previousFolder\${UNINSTALLER}"
    RMDir $previousFolder
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "Uninstall"
  !insertmacro USE_MODULE_REGISTRY_VIEW
  Push "$INSTDIR\${MODULE_NAME}"
  Call un.WaitUntilReplaceable
  Pop $0
  ${If} $0 == cancel
    DetailPrint "Cancelled: nothing was removed."
    Abort
  ${EndIf}

  ; The module unregisters itself; the keys are deleted here as well, so that
  ; nothing stays behind when the module is gone or leaves a key.
  ${If} ${FileExists} "$INSTDIR\${MODULE_NAME}"
    DetailPrint "Unregistering $INSTDIR\${MODULE_NAME}"
    Push "$INSTDIR\${MODULE_NAME}"
    Push DllUnregisterServer
    Call un.CallModule
    Pop $0
  ${EndIf}
  Call un.DeleteRegistration

  Delete "$INSTDIR\${MODULE_NAME}"
  Delete "$INSTDIR\${MODULE_BACKUP}"
  Delete "$INSTDIR\${README_NAME}"
  Delete "$INSTDIR\${UNINSTALLER}"
  SetOutPath $TEMP
  RMDir $INSTDIR  ; only when empty
  ; Vemba's settings (Software\Ostrevane\Vemba\Config) belong to the user's
  ; configuration and stay.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
