// The identifiers of the wizard: the class that this module serves and the
// wizard interface of the host's plug-in contract.
#pragma once

#include <windows.h>

// {D169D29F-53D1-4873-BD56-9082F52434D0}
inline constexpr GUID CLSID_DrumMapWizard = {
    0xD169D29F, 0x53D1, 0x4873, {0xBD, 0x56, 0x90, 0x82, 0xF5, 0x24, 0x34, 0xD0}};

// {3676EA9A-E029-4BF8-B25D-DBB60429B77B}
inline constexpr GUID IID_IDrumMapWizard = {
    0x3676EA9A, 0xE029, 0x4BF8, {0xB2, 0x5D, 0xDB, 0xB6, 0x04, 0x29, 0xB7, 0x7B}};
