// A platform error code as an HRESULT, for every COM result the module builds
// from one.
#pragma once

#include <windows.h>

// 0x80070000 with the code's low 16 bits (HRESULT_FROM_WIN32 of a failure
// code). ERROR_SUCCESS gives E_FAIL: a call that failed without saying why
// still fails.
inline HRESULT ResultFromError(DWORD error) {
  return error == ERROR_SUCCESS ? E_FAIL : static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu));
}
