// The one seam through which tests refuse registry calls: Wine grants every
// registry access, so a refusal has to be injected. The settings and the
// registration ask it before each of their registry calls; the product never
// installs a hook.
#pragma once

#include <windows.h>

enum class RegistryCall { kCreateKey, kOpenKey, kSetValue, kDeleteKey };

// Gets the call, the key it works on, the name it passes (subkey or value
// name, "" for a default value) and, for creating and opening, the access
// asked for. Returns ERROR_SUCCESS to let the call go ahead, or the error
// that the call is to fail with instead.
using RegistryFaultHook = LSTATUS (*)(RegistryCall call, HKEY key, const char* name, REGSAM access);

// ERROR_SUCCESS unless an installed hook refuses the call.
LSTATUS InjectedRegistryFault(RegistryCall call, HKEY key, const char* name, REGSAM access = 0);

// Installs a hook for the guard's lifetime and puts back the one before it
// when the guard ends, also when a test leaves early on a failed assertion.
class ScopedRegistryFault {
 public:
  explicit ScopedRegistryFault(RegistryFaultHook hook);
  ~ScopedRegistryFault();
  ScopedRegistryFault(const ScopedRegistryFault&) = delete;
  ScopedRegistryFault& operator=(const ScopedRegistryFault&) = delete;

 private:
  RegistryFaultHook previous_;
};
