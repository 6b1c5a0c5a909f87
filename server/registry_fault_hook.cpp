#include "server/registry_fault_hook.h"

RegistryFaultHook registryFaultHook = nullptr;
