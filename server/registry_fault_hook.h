// A seam for the tests of the registration, which cannot make Wine refuse a
// registry call (it does not enforce registry rights). The product never
// sets the hook.
#pragma once

#include <windows.h>

enum class RegistryCall { kCreateKey, kSetValue, kOpenKey, kDeleteKey };

// Asked before each registry call of the registration with the key the call
// works on and the name it passes (subkey or value name, "" for a default
// value). Returns 0 to let the call go ahead, or the error that the call is
// to fail with instead.
using RegistryFaultHook = LSTATUS (*)(RegistryCall call, HKEY key, const char* name);

extern RegistryFaultHook registryFaultHook;

inline LSTATUS InjectedRegistryFault(RegistryCall call, HKEY key, const char* name) {
  return registryFaultHook != nullptr ? registryFaultHook(call, key, name) : ERROR_SUCCESS;
}
