// The built wizard module, loaded the way a host loads it: LoadLibrary, then
// the exports by their plain names.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "server/idrum_map_wizard.h"

namespace test {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using ServerFunction = HRESULT(STDAPICALLTYPE*)();

struct ServerExports {
  HMODULE module = nullptr;
  GetClassObjectFunction getClassObject = nullptr;
  ServerFunction canUnloadNow = nullptr;
  ServerFunction registerServer = nullptr;
  ServerFunction unregisterServer = nullptr;
};

// The Windows path of the built module.
std::string ServerDllPath();

// Loads the module at `path` and finds its exports; fails when the module or
// any export is missing.
::testing::AssertionResult LoadServer(const std::string& path, ServerExports& exports);
// The same for a path of any characters (LoadLibraryW).
::testing::AssertionResult LoadServer(const std::wstring& path, ServerExports& exports);

// The built module, loaded once for the whole test program; all null when it
// could not be loaded.
const ServerExports& Server();

// For the tests of the COM objects: each starts and must end with no object
// of the module alive.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(server.module, nullptr);
    ASSERT_EQ(server.canUnloadNow(), S_OK) << "an earlier test left objects alive";
  }
  void TearDown() override {
    if (server.module != nullptr) EXPECT_EQ(server.canUnloadNow(), S_OK) << "objects left alive";
  }

  // A new factory from DllGetClassObject (null after a failure).
  IClassFactory* NewFactory() {
    void* out = nullptr;
    EXPECT_EQ(server.getClassObject(CLSID_DrumMapWizard, IID_IClassFactory, &out), S_OK);
    return static_cast<IClassFactory*>(out);
  }

  // A new wizard, the only object alive when no other is (null after a
  // failure).
  IDrumMapWizard* NewWizard() {
    IClassFactory* factory = NewFactory();
    if (factory == nullptr) return nullptr;
    void* out = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDrumMapWizard, &out), S_OK);
    factory->Release();
    return static_cast<IDrumMapWizard*>(out);
  }

  const ServerExports& server = Server();
};

}  // namespace test
