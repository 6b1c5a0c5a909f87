; The Setup program of the Korvat DrumMap Export wizard: copies the module and
; its read-me into a folder, registers the module with Vemba (through the
; module's own DllRegisterServer), and writes an uninstaller with its entry in
; Programs and Features. Built by cmake/Installer.cmake:
;
;   makensis -DVERSION=X.Y.Z -DTARGET=x86-unicode -DMODULE=KorvatDrumMapExport.dll
;            -DREADME=ReadMe.txt -DOUTFILE=KorvatDrumMapExport-X.Y.Z-setup.exe
;            "-DPRODUCT=Korvat DrumMap Export" -DFILE_BASE_NAME=KorvatDrumMapExport
;            -DCLSID={D169D29F-...} -DWIZARD_LIST_KEY=Software\Ostrevane\VbWizards setup.nsi
;
; The product's names, the class id and the host's key come from
; cmake/Product.cmake, where they are written once.
;
; TARGET x86-unicode is the product: the 32-bit module for the 32-bit host,
; into the 32-bit Program Files folder. amd64-unicode builds the same Setup
; around the x86_64 module, for the tests on machines that cannot start
; 32-bit programs.

!ifndef VERSION | MODULE | README | OUTFILE | TARGET | PRODUCT | FILE_BASE_NAME | CLSID | WIZARD_LIST_KEY
  !error "define VERSION, MODULE, README, OUTFILE, TARGET, PRODUCT, FILE_BASE_NAME, CLSID and WIZARD_LIST_KEY"
!endif

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

; Our files carry the product's name, so that they never take the name of
; another program's file in a shared folder.
!define MODULE_NAME "${FILE_BASE_NAME}.dll"
!define README_NAME "${PRODUCT} ReadMe.txt"
!define UNINSTALLER "Uninstall ${PRODUCT}.exe"
; A file of ours kept aside under this suffix until the new one is in place.
!define BACKUP_SUFFIX ".old"
; CLSID_DrumMapWizard, the keys its registration writes, and our entry in
; Programs and Features.
!define CLASS_KEY "CLSID\${CLSID}"
!define WIZARD_KEY "${WIZARD_LIST_KEY}\${CLSID}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${FILE_BASE_NAME}"
; Values of the entry that record what Setup installed: a stamp of each file
; (see FileStamp) and the outermost folder that Setup created.
!define STAMP_MODULE "SetupStampModule"
!define STAMP_README "SetupStampReadMe"
!define STAMP_UNINSTALLER "SetupStampUninstaller"
!define CREATED_FOLDER "SetupCreatedFolder"
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

Var previousServer   ; the module registered before this run, if any
Var previousFolder   ; where Setup installed the wizard before, if elsewhere
Var previousCreated  ; the outermost folder that Setup created for that copy
Var recordFolder     ; the folder that the entry's stamps describe
Var newLevels        ; how many folders of $INSTDIR this run creates
Var createdFolder    ; the outermost folder that the entry records as created
Var failure          ; what went wrong, for the message and the log
; For each of our files ("Module", "ReadMe", "Uninstaller"): "yes" once this
; run has put the installed one aside, and once it has begun to write it.
Var asideModule
Var asideReadMe
Var asideUninstaller
Var writtenModule
Var writtenReadMe
Var writtenUninstaller
Var registrationChanged  ; "yes" once this run has touched the registration
Var entryChanged     ; "yes" once this run has touched the entry
Var rolledBack       ; "yes" once Rollback has run

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

  ; Pushes a stamp of the file or folder on the stack, "" when it cannot be
  ; opened: the volume's serial number and the file's index, which together
  ; name one file whatever path spells it (another drive letter, a linked
  ; folder, a short name), then its size and the time it was last written.
  ; The same file gives the same stamp; a file replaced or changed since
  ; gives another.
  Function ${un}FileStamp
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    Push $8
    Push $9
    ; FILE_READ_ATTRIBUTES; shared for reading, writing and deleting;
    ; OPEN_EXISTING; FILE_FLAG_BACKUP_SEMANTICS, which opens folders too.
    System::Call 'kernel32::CreateFileW(w r0, i 0x80, i 7, p 0, i 3, i 0x02000000, p 0) p.r1'
    StrCpy $0 ""
    ${IfNot} $1 P= -1
      ; BY_HANDLE_FILE_INFORMATION: 13 DWORDs.
      System::Alloc 52
      Pop $2
      System::Call 'kernel32::GetFileInformationByHandle(p r1, p r2) i.r3'
      ${If} $3 <> 0
        System::Call '*$2(i, i, i, i, i, i .r4, i .r5, i .r6, i .r7, i .r8, i, i .r9, i .r3)'
        StrCpy $0 "$6:$9:$3 $7:$8 $5:$4"
      ${EndIf}
      System::Free $2
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    Pop $9
    Pop $8
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd

  ; Pushes "yes" when the two paths on the stack name the same existing
  ; file or folder, else "no".
  Function ${un}SameFile
    Exch $0
    Exch
    Exch $1
    Push $2
    Push $0
    Call ${un}FileStamp
    Pop $2
    Push $1
    Call ${un}FileStamp
    Pop $0
    ${If} $2 != ""
    ${AndIf} $2 == $0
      StrCpy $0 yes
    ${Else}
      StrCpy $0 no
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd

  ; Pushes "yes" when the file (stack: path, then the recorded stamp on top)
  ; is still the one that Setup installed.
  Function ${un}StillOurs
    Exch $0  ; the recorded stamp
    Exch
    Exch $1  ; the path
    Push $1
    Call ${un}FileStamp
    Pop $1
    ${If} $1 != ""
    ${AndIf} $1 == $0
      StrCpy $0 yes
    ${Else}
      StrCpy $0 no
    ${EndIf}
    Pop $1
    Exch $0
  FunctionEnd

  ; Pushes how many folders, from $INSTDIR up to the outermost one that
  ; Setup created (on the stack; "" when it created none), are Setup's: 0
  ; when that folder is not $INSTDIR or one of its parents.
  Function ${un}CreatedLevels
    Exch $0
    Push $1
    Push $2
    StrCpy $1 $INSTDIR
    StrCpy $2 1
    ${Do}
      ${If} $0 == ""
      ${OrIf} $1 == ""
        StrCpy $2 0
        ${Break}
      ${ElseIf} $1 == $0
        ${Break}
      ${EndIf}
      ${GetParent} $1 $1
      IntOp $2 $2 + 1
    ${Loop}
    StrCpy $0 $2
    Pop $2
    Pop $1
    Exch $0
  FunctionEnd

  ; Removes $INSTDIR and its parents, as many folders as the stack says,
  ; each only when empty: never a folder that holds anything.
  Function ${un}RemoveFolders
    Exch $0
    Push $1
    SetOutPath $TEMP
    StrCpy $1 $INSTDIR
    ${DoWhile} $0 > 0
      ClearErrors
      RMDir $1
      ${If} ${Errors}
        ${Break}
      ${EndIf}
      ${GetParent} $1 $1
      IntOp $0 $0 - 1
    ${Loop}
    Pop $1
    Pop $0
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

; The path on the stack in its full form: "." and ".." resolved, doubled
; backslashes and a trailing dot or backslash gone, and short (8.3) names
; long where the path exists.
Function FullPath
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, p 0) i.r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i.r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  ; "C:\Folder\" but not "C:\"
  StrCpy $1 $0 1 -1
  StrLen $2 $0
  ${If} $1 == "\"
  ${AndIf} $2 > 3
    StrCpy $0 $0 -1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes why Setup cannot install into the folder on the stack, or "" when
; it can: a full path on a drive that exists (or a network share), not a
; drive's root (the uninstaller would work on the whole drive), not a file,
; and not inside a file.
Function CheckFolder
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $1 $0 2 1
  StrCpy $2 $0 2
  ${If} $1 == ":\"
    StrCpy $2 $0 3
    System::Call 'kernel32::GetDriveTypeW(w r2) i.r3'
    ${If} $3 < 2  ; DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR
      StrCpy $2 $0 2
      StrCpy $1 "There is no drive $2 on this computer."
    ${Else}
      StrCpy $1 ""
    ${EndIf}
  ${ElseIf} $2 == "\\"
    StrCpy $1 ""
  ${Else}
    StrCpy $1 "It is not a full path: please give the drive and every folder, for example \
      $\"$PROGRAMFILES\${PRODUCT}$\"."
  ${EndIf}
  ${If} $1 == ""
    Push $0
    Call FullPath
    Pop $2
    ; A drive's root is "X:\"; a share's is "\\server\share".
    StrLen $3 $2
    ${GetParent} $2 $1
    ${If} $3 <= 3
    ${OrIf} $1 == ""
    ${OrIf} $1 == "\"
    ${OrIf} $1 == "\\"
      StrCpy $1 "It is the root of a drive or share: please choose a folder in it. \
        Uninstalling would otherwise work on the whole drive."
    ${Else}
      ; The folder, or the nearest of its parents that exists, must be a folder.
      StrCpy $1 ""
      ${Do}
        System::Call 'kernel32::GetFileAttributesW(w r2) i.r3'
        ${If} $3 <> -1
          IntOp $3 $3 & 0x10  ; FILE_ATTRIBUTE_DIRECTORY
          ${If} $3 = 0
            StrCpy $1 "$\"$2$\" is a file, not a folder."
          ${EndIf}
          ${Break}
        ${EndIf}
        ${GetParent} $2 $2
      ${LoopUntil} $2 == ""
    ${EndIf}
  ${EndIf}
  StrCpy $0 $1
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The folder given with /D= (Setup reads it only last on the command line),
; or "" without one. From the process's own command line: $CMDLINE lacks
; /D=, and $INSTDIR holds the default folder where the one given was not a
; valid path.
Function CommandLineFolder
  Push $0
  Push $1
  Push $2
  Push $3
  System::Call 'kernel32::GetCommandLineW() w.r3'
  StrCpy $0 ""
  StrLen $1 $3
  IntOp $1 $1 - 4
  ${DoWhile} $1 >= 0
    StrCpy $2 $3 4 $1
    ${If} $2 S== " /D="
      IntOp $1 $1 + 4
      StrCpy $0 $3 "" $1
      ${Break}
    ${EndIf}
    IntOp $1 $1 - 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Stops with a message: what this run changed is put back first (see
; Rollback), and Setup exits with 2.
!macro FAIL text
  StrCpy $failure "${text}"
  Call Rollback
  Abort
!macroend

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

; A file of ours in $INSTDIR that exists: installed by Setup (its stamp is
; recorded) or it belongs to someone else, and Setup stops.
!macro REFUSE_IF_NOT_OURS name stamp
  ${If} ${FileExists} "$INSTDIR\${name}"
    StrCpy $0 no
    ${If} $recordFolder == $INSTDIR
      ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "${stamp}"
      Push "$INSTDIR\${name}"
      Push $1
      Call StillOurs
      Pop $0
      ; An entry without stamps was written by a Setup before they were
      ; recorded: what it installed there is taken as ours.
      ${If} $savedSetupStampModule == ""
        StrCpy $0 yes
      ${EndIf}
    ${EndIf}
    ${If} $0 != yes
      !insertmacro FAIL "The folder already holds a file that Setup did not install:$\r$\n\
        $INSTDIR\${name}$\r$\n$\r$\nSetup does not replace it. Please choose another folder, \
        or move that file away."
    ${EndIf}
  ${EndIf}
!macroend

; Our file put aside, so that a failure can bring it back.
!macro PUT_ASIDE id name
  ${If} ${FileExists} "$INSTDIR\${name}"
    Delete "$INSTDIR\${name}${BACKUP_SUFFIX}"
    ClearErrors
    Rename "$INSTDIR\${name}" "$INSTDIR\${name}${BACKUP_SUFFIX}"
    ${If} ${Errors}
      !insertmacro FAIL "Setup could not replace the file$\r$\n$INSTDIR\${name}$\r$\n$\r$\n\
        Another program may have it open. Please close it and run Setup again."
    ${EndIf}
    StrCpy $aside${id} yes
  ${EndIf}
!macroend

; A file written; a failure (also Abort in the message of File) ends Setup.
!macro WRITE_FILE id name source
  StrCpy $written${id} yes
  StrCpy $failure "Setup could not write the file$\r$\n$INSTDIR\${name}"
  ClearErrors
  File "/oname=$INSTDIR\${name}" "${source}"
  ${If} ${Errors}
    Abort
  ${EndIf}
  StrCpy $failure ""
!macroend

; Our file as it was before this run.
!macro UNDO_FILE id name
  ${If} $written${id} == yes
    Delete "$INSTDIR\${name}"
  ${EndIf}
  ${If} $aside${id} == yes
    Rename "$INSTDIR\${name}${BACKUP_SUFFIX}" "$INSTDIR\${name}"
  ${EndIf}
!macroend

; A file of the copy in the previous folder, deleted while it is still the
; one Setup installed there and not the one this run installed.
!macro DELETE_PREVIOUS name stamp
  ${If} ${FileExists} "$previousFolder\${name}"
    Push "$previousFolder\${name}"
    Push "$INSTDIR\${name}"
    Call SameFile
    Pop $0
    ${If} $0 != yes
      Push "$previousFolder\${name}"
      Push "${stamp}"
      Call StillOurs
      Pop $0
      ${If} $0 == yes
        Delete "$previousFolder\${name}"
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; The entry's values that this run writes, saved first so that a failure can
; write them back.
!macro ENTRY_STRINGS op
  !insertmacro ${op} DisplayName
  !insertmacro ${op} DisplayVersion
  !insertmacro ${op} DisplayIcon
  !insertmacro ${op} UninstallString
  !insertmacro ${op} QuietUninstallString
  !insertmacro ${op} InstallLocation
  !insertmacro ${op} ${STAMP_MODULE}
  !insertmacro ${op} ${STAMP_README}
  !insertmacro ${op} ${STAMP_UNINSTALLER}
  !insertmacro ${op} ${CREATED_FOLDER}
!macroend
!macro ENTRY_NUMBERS op
  !insertmacro ${op} EstimatedSize
  !insertmacro ${op} NoModify
  !insertmacro ${op} NoRepair
!macroend
!macro DECLARE_SAVED name
  Var saved${name}
!macroend
!insertmacro ENTRY_STRINGS DECLARE_SAVED
!insertmacro ENTRY_NUMBERS DECLARE_SAVED
Var hadEntry
!macro SAVE_STRING name
  ReadRegStr $saved${name} HKLM "${UNINSTALL_KEY}" "${name}"
!macroend
!macro SAVE_NUMBER name
  ReadRegDWORD $saved${name} HKLM "${UNINSTALL_KEY}" "${name}"
!macroend
!macro RESTORE_STRING name
  ${If} $saved${name} != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${name}" $saved${name}
  ${EndIf}
!macroend
!macro RESTORE_NUMBER name
  ${If} $saved${name} != ""
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${name}" $saved${name}
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
  ; A folder given on the command line that cannot be used is refused: it is
  ; never replaced by another folder.
  Call CommandLineFolder
  Pop $0
  ${If} $0 != ""
    Push $0
    Call CheckFolder
    Pop $1
    ${If} $1 != ""
      MessageBox MB_OK|MB_ICONSTOP "Setup cannot install ${PRODUCT} into the folder$\r$\n$0$\r$\n$\r$\n\
        $1$\r$\n$\r$\nNothing was installed or changed." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; The folder page offers Install only for a folder that Setup can use.
Function .onVerifyInstDir
  Push $INSTDIR
  Call CheckFolder
  Pop $0
  ${If} $0 != ""
    Abort
  ${EndIf}
FunctionEnd

Section "-Wizard"
  !insertmacro USE_MODULE_REGISTRY_VIEW
  StrCpy $failure ""
  StrCpy $asideModule no
  StrCpy $asideReadMe no
  StrCpy $asideUninstaller no
  StrCpy $writtenModule no
  StrCpy $writtenReadMe no
  StrCpy $writtenUninstaller no
  StrCpy $registrationChanged no
  StrCpy $entryChanged no
  StrCpy $rolledBack no
  StrCpy $newLevels 0
  ReadRegStr $previousServer HKCR "${CLASS_KEY}\InprocServer32" ""
  ClearErrors
  ReadRegStr $hadEntry HKLM "${UNINSTALL_KEY}" DisplayName
  ${If} ${Errors}
    StrCpy $hadEntry no
  ${Else}
    StrCpy $hadEntry yes
  ${EndIf}
  !insertmacro ENTRY_STRINGS SAVE_STRING
  !insertmacro ENTRY_NUMBERS SAVE_NUMBER
  StrCpy $previousFolder $savedInstallLocation
  StrCpy $previousCreated $saved${CREATED_FOLDER}
  StrCpy $recordFolder $previousFolder

  Push $INSTDIR
  Call FullPath
  Pop $INSTDIR
  ; The installed copy's folder under any other spelling (".", "..", a short
  ; name, another drive letter, a linked folder) is the same folder: upgraded
  ; in place, under the spelling it was installed with.
  ${If} $previousFolder != ""
    Push $previousFolder
    Push $INSTDIR
    Call SameFile
    Pop $0
    ${If} $0 == yes
      StrCpy $INSTDIR $previousFolder
    ${EndIf}
  ${EndIf}
  ${If} $previousFolder == $INSTDIR
    StrCpy $previousFolder ""
    StrCpy $createdFolder $previousCreated
  ${Else}
    StrCpy $createdFolder ""
  ${EndIf}

  !insertmacro REFUSE_IF_NOT_OURS "${MODULE_NAME}" "${STAMP_MODULE}"
  !insertmacro REFUSE_IF_NOT_OURS "${README_NAME}" "${STAMP_README}"
  !insertmacro REFUSE_IF_NOT_OURS "${UNINSTALLER}" "${STAMP_UNINSTALLER}"
  !insertmacro STOP_IF_IN_USE "$INSTDIR\${MODULE_NAME}"
  ${If} $previousFolder != ""
    !insertmacro STOP_IF_IN_USE "$previousFolder\${MODULE_NAME}"
  ${EndIf}

  ; The folders that SetOutPath creates, removed again on failure.
  StrCpy $1 $INSTDIR
  ${Do}
    ${If} $1 == ""
    ${OrIf} ${FileExists} "$1\*.*"
      ${Break}
    ${EndIf}
    IntOp $newLevels $newLevels + 1
    ${GetParent} $1 $1
  ${Loop}
  ClearErrors
  SetOutPath $INSTDIR
  ${If} ${Errors}
    !insertmacro FAIL "Setup could not create the folder$\r$\n$INSTDIR"
  ${EndIf}
  ${If} $newLevels > 0
    ; Its long form, now that it exists; the outermost new folder recorded.
    Push $INSTDIR
    Call FullPath
    Pop $INSTDIR
    StrCpy $createdFolder $INSTDIR
    StrCpy $1 1
    ${DoWhile} $1 < $newLevels
      ${GetParent} $createdFolder $createdFolder
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}

  ; Our installed files are kept aside until the new ones are in place.
  !insertmacro PUT_ASIDE Module "${MODULE_NAME}"
  !insertmacro PUT_ASIDE ReadMe "${README_NAME}"
  !insertmacro PUT_ASIDE Uninstaller "${UNINSTALLER}"
  StrCpy $registrationChanged yes
  !insertmacro WRITE_FILE Module "${MODULE_NAME}" "${MODULE}"

  DetailPrint "Registering $INSTDIR\${MODULE_NAME}"
  Push "$INSTDIR\${MODULE_NAME}"
  Push DllRegisterServer
  Call CallModule
  Pop $0
  ${If} $0 < 0
    StrCpy $1 ""
    ${If} $0 = ${E_PATH_TOO_LONG}
      StrCpy $1 "The folder's path is too long: the wizard's path may have at most 255 characters. \
        Please choose a folder with a shorter path.$\r$\n$\r$\n"
    ${EndIf}
    Push $0
    Call DescribeError
    Pop $0
    DetailPrint "Registration failed: $0"
    !insertmacro FAIL "Setup could not register the wizard:$\r$\n$INSTDIR\${MODULE_NAME}$\r$\n$\r$\n\
      Error $0$\r$\n$\r$\n$1"
  ${EndIf}
  ; The host loads whatever file the registration names: it must be this one.
  ReadRegStr $0 HKCR "${CLASS_KEY}\InprocServer32" ""
  Push $0
  Push "$INSTDIR\${MODULE_NAME}"
  Call SameFile
  Pop $1
  ${If} $1 != yes
    !insertmacro FAIL "The wizard registered another path than its own:$\r$\n$0$\r$\n\
      instead of$\r$\n$INSTDIR\${MODULE_NAME}$\r$\n$\r$\n"
  ${EndIf}

  !insertmacro WRITE_FILE ReadMe "${README_NAME}" "${README}"
  StrCpy $writtenUninstaller yes
  ClearErrors
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    !insertmacro FAIL "Setup could not write the file$\r$\n$INSTDIR\${UNINSTALLER}"
  ${EndIf}

  ; One entry, with a record of what this run installed.
  StrCpy $entryChanged yes
  ClearErrors
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\${UNINSTALLER}"'
  ; In place (_?=), so that whoever runs it waits for the uninstallation and
  ; gets its exit code; the uninstaller removes itself at the end.
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
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
  Push "$INSTDIR\${MODULE_NAME}"
  Call FileStamp
  Pop $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${STAMP_MODULE}" $0
  Push "$INSTDIR\${README_NAME}"
  Call FileStamp
  Pop $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${STAMP_README}" $0
  Push "$INSTDIR\${UNINSTALLER}"
  Call FileStamp
  Pop $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${STAMP_UNINSTALLER}" $0
  ${If} $createdFolder != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${CREATED_FOLDER}" $createdFolder
  ${EndIf}
  ${If} ${Errors}
    !insertmacro FAIL "Setup could not write the wizard's entry in Programs and Features:$\r$\n\
      HKLM\${UNINSTALL_KEY}"
  ${EndIf}

  ; Done: the files put aside go.
  Delete "$INSTDIR\${MODULE_NAME}${BACKUP_SUFFIX}"
  Delete "$INSTDIR\${README_NAME}${BACKUP_SUFFIX}"
  Delete "$INSTDIR\${UNINSTALLER}${BACKUP_SUFFIX}"

  ; A copy that Setup had installed into another folder: the new one has
  ; taken its registration. Only the files that are still the ones Setup
  ; installed there go, never one that this run installed.
  ${If} $previousFolder != ""
    !insertmacro DELETE_PREVIOUS "${MODULE_NAME}" $savedSetupStampModule
    !insertmacro DELETE_PREVIOUS "${README_NAME}" $savedSetupStampReadMe
    !insertmacro DELETE_PREVIOUS "${UNINSTALLER}" $savedSetupStampUninstaller
    StrCpy $0 $INSTDIR
    StrCpy $INSTDIR $previousFolder
    Push $previousCreated
    Call CreatedLevels
    Call RemoveFolders
    StrCpy $INSTDIR $0
    SetOutPath $INSTDIR
  ${EndIf}
SectionEnd

; Puts back what this run changed, in reverse order: the entry, the new
; files, the registration, our files put aside, the new folders. Then says
; why (also in a silent run, in the log). Once only: called by FAIL, and by
; .onInstFailed for a failure that ended the section without it (Abort in
; the message of a File that failed).
Function Rollback
  ${If} $rolledBack == yes
    Return
  ${EndIf}
  StrCpy $rolledBack yes
  ${If} $entryChanged == yes
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${If} $hadEntry == yes
      !insertmacro ENTRY_STRINGS RESTORE_STRING
      !insertmacro ENTRY_NUMBERS RESTORE_NUMBER
    ${EndIf}
  ${EndIf}
  ${If} $registrationChanged == yes
    Call DeleteRegistration
  ${EndIf}
  !insertmacro UNDO_FILE Module "${MODULE_NAME}"
  !insertmacro UNDO_FILE ReadMe "${README_NAME}"
  !insertmacro UNDO_FILE Uninstaller "${UNINSTALLER}"
  ${If} $registrationChanged == yes
  ${AndIf} $previousServer != ""
  ${AndIf} ${FileExists} $previousServer
    Push $previousServer
    Push DllRegisterServer
    Call CallModule
    Pop $0
  ${EndIf}
  Push $newLevels
  Call RemoveFolders
  ${If} $failure != ""
    DetailPrint "Failed: $failure"
    MessageBox MB_OK|MB_ICONSTOP "$failure$\r$\n$\r$\nNothing was installed or changed." /SD IDOK
  ${EndIf}
FunctionEnd

Function .onInstFailed
  Call Rollback
FunctionEnd

; The text after " NAME=" on the command line up to the next space (stack:
; NAME), or "".
Function un.CommandLineValue
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 " $0="
  StrLen $1 $0
  StrCpy $2 0
  ${Do}
    StrCpy $3 $CMDLINE $1 $2
    ${If} $3 == ""
      StrCpy $0 ""
      ${Break}
    ${ElseIf} $3 S== $0
      IntOp $2 $2 + $1
      StrCpy $0 $CMDLINE "" $2
      ; Up to the next space.
      StrCpy $2 0
      ${Do}
        StrCpy $3 $0 1 $2
        ${If} $3 == ""
        ${OrIf} $3 == " "
          ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
      ${Loop}
      StrCpy $0 $0 $2
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function un.onInit
  ; /CLEANUP=PROCESS:LEVELS: this is the copy that the uninstaller started
  ; from the temporary folder. Once that process has ended, it deletes the
  ; uninstaller and the folders that Setup created (LEVELS of them, from
  ; $INSTDIR up), and itself at the next start of Windows.
  Push /CLEANUP
  Call un.CommandLineValue
  Pop $0
  ${If} $0 != ""
    ; PROCESS in $1, LEVELS in $2
    StrCpy $1 0
    ${Do}
      StrCpy $2 $0 1 $1
      ${If} $2 == ":"
      ${OrIf} $2 == ""
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
    IntOp $2 $1 + 1
    StrCpy $2 $0 "" $2
    StrCpy $1 $0 $1
    ; SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p.r3'
    ${IfNot} $3 P= 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 60000)'
      System::Call 'kernel32::CloseHandle(p r3)'
    ${EndIf}
    ${For} $3 1 50
      ClearErrors
      Delete "$INSTDIR\${UNINSTALLER}"
      ${IfNot} ${Errors}
        ${Break}
      ${EndIf}
      Sleep 100
    ${Next}
    Push $2
    Call un.RemoveFolders
    Delete /REBOOTOK $EXEPATH
    RMDir /REBOOTOK $EXEDIR
    Quit
  ${EndIf}
  !insertmacro REQUIRE_ADMIN
FunctionEnd

; Deletes our file from $INSTDIR while it is still the one Setup installed
; (its stamp recorded in the entry); a file changed or replaced since stays.
; A file that cannot be deleted sets $failure.
!macro UN_DELETE_OURS name stamp
  ${If} ${FileExists} "$INSTDIR\${name}"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "${stamp}"
    Push "$INSTDIR\${name}"
    Push $1
    Call un.StillOurs
    Pop $0
    ${If} $0 == yes
      ClearErrors
      Delete "$INSTDIR\${name}"
      ${If} ${Errors}
        StrCpy $failure "$failure$INSTDIR\${name}$\r$\n"
      ${EndIf}
    ${Else}
      DetailPrint "Kept $INSTDIR\${name}: Setup did not install it, or it was changed since."
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  !insertmacro USE_MODULE_REGISTRY_VIEW
  StrCpy $failure ""
  ; The entry records what Setup installed into which folder; this
  ; uninstaller works only on that folder.
  ReadRegStr $2 HKLM "${UNINSTALL_KEY}" InstallLocation
  Push $2
  Push $INSTDIR
  Call un.SameFile
  Pop $0
  ${If} $2 == ""
  ${OrIf} $0 != yes
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is not installed in$\r$\n$INSTDIR$\r$\n$\r$\n\
      (Setup's entry in Programs and Features names no installation there.) Nothing was removed." /SD IDOK
    DetailPrint "Not installed here: nothing was removed."
    Abort
  ${EndIf}
  StrCpy $INSTDIR $2

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

  !insertmacro UN_DELETE_OURS "${MODULE_NAME}" "${STAMP_MODULE}"
  !insertmacro UN_DELETE_OURS "${README_NAME}" "${STAMP_README}"
  ${If} $failure != ""
    ; The entry stays, so that the uninstallation can be run again.
    MessageBox MB_OK|MB_ICONSTOP "Uninstall could not delete:$\r$\n$failure$\r$\n\
      Another program may have it open. Please close it and uninstall again." /SD IDOK
    DetailPrint "Could not delete: $failure"
    Abort
  ${EndIf}
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "${CREATED_FOLDER}"
  ReadRegStr $4 HKLM "${UNINSTALL_KEY}" "${STAMP_UNINSTALLER}"
  ; Vemba's settings (Software\Ostrevane\Vemba\Config) belong to the user's
  ; configuration and stay.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The uninstaller itself, last, and the folders that Setup created. Run
  ; in place (_?=, as the entry's QuietUninstallString does), it is the
  ; running program, which cannot be deleted: a copy of it in the temporary
  ; folder deletes it and the folders once this program has ended (see
  ; un.onInit). Run as a copy of its own (the other ways), it deletes
  ; them here.
  Push $3
  Call un.CreatedLevels
  Pop $3
  StrCpy $5 "$INSTDIR\${UNINSTALLER}"
  Push $5
  Push $4
  Call un.StillOurs
  Pop $0
  ${If} $0 == yes
    ClearErrors
    Delete $5
    ${If} ${Errors}
      SetOutPath $TEMP
      GetTempFileName $6
      Delete $6
      CreateDirectory $6
      ClearErrors
      CopyFiles /SILENT $EXEPATH "$6\${UNINSTALLER}"
      ${IfNot} ${Errors}
        System::Call 'kernel32::GetCurrentProcessId() i.r0'
        Exec '"$6\${UNINSTALLER}" /S /CLEANUP=$0:$3 _?=$INSTDIR'
        Return
      ${EndIf}
      Delete /REBOOTOK $5
    ${EndIf}
  ${EndIf}
  Push $3
  Call un.RemoveFolders
SectionEnd
