#include "platform/registry_fault_hook.h"

namespace {

RegistryFaultHook installedHook = nullptr;

}  // namespace

LSTATUS InjectedRegistryFault(RegistryCall call, HKEY key, const char* name, REGSAM access) {
  return installedHook != nullptr ? installedHook(call, key, name, access) : ERROR_SUCCESS;
}

ScopedRegistryFault::ScopedRegistryFault(RegistryFaultHook hook) : previous_(installedHook) {
  installedHook = hook;
}

ScopedRegistryFault::~ScopedRegistryFault() { installedHook = previous_; }
