// Self-registration: the in-process server entry of the wizard class under
// HKEY_CLASSES_ROOT "CLSID\{...}" and the empty key under HKEY_LOCAL_MACHINE
// "Software\Ostrevane\VbWizards\{...}" through which the host finds it.
#pragma once

#include <windows.h>

constexpr int kModulePathSize = 256;  // 255 characters and the terminator

// Reads the full file name of `module`, as wide text: every folder name,
// also one outside the ANSI code page, is read exactly. A name that does not
// fit is refused with the HRESULT of ERROR_INSUFFICIENT_BUFFER (and `path`
// left empty) rather than registered cut short.
HRESULT ReadModulePath(HMODULE module, wchar_t (&path)[kModulePathSize]);

// Writes, in this order: the class key's default value `className`; its
// subkey `serverKeyName` with the default value `modulePath` and the value
// "ThreadingModel" = `threadingModel`; the empty key under the host's wizard
// list. `modulePath` is written with the wide registry call, exactly as
// given. Stops at the first failure and returns its error as an HRESULT
// (platform/hresult.h); what was written before it stays. S_OK when all four
// are written.
HRESULT RegisterWizardClass(CLSID classId, const char* className, const wchar_t* modulePath,
                            const wchar_t* threadingModel, const wchar_t* serverKeyName);

// Deletes both keys with everything beneath them. Keys that are missing or
// cannot be opened are passed over; always S_OK.
HRESULT UnregisterWizardClass(CLSID classId);

// Deletes `subkey` of `parent` with all its subkeys, depth first. E_FAIL for
// an empty name (which would name the parent itself); otherwise S_OK, also
// when the key does not exist or cannot be removed completely.
HRESULT DeleteKeyTree(HKEY parent, const char* subkey);
