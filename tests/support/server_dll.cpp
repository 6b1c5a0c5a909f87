#include "server_dll.h"

namespace test {

std::string ServerDllPath() {
  std::string path = DRUMMAP_SERVER_DLL;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

namespace {

// Finds the exports of the module just loaded into `exports.module`.
::testing::AssertionResult FindExports(const std::string& path, ServerExports& exports) {
  if (exports.module == nullptr)
    return ::testing::AssertionFailure() << "cannot load " << path << " (error " << GetLastError() << ")";
  const auto find = [&](const char* name) { return GetProcAddress(exports.module, name); };
  exports.getClassObject = reinterpret_cast<GetClassObjectFunction>(find("DllGetClassObject"));
  exports.canUnloadNow = reinterpret_cast<ServerFunction>(find("DllCanUnloadNow"));
  exports.registerServer = reinterpret_cast<ServerFunction>(find("DllRegisterServer"));
  exports.unregisterServer = reinterpret_cast<ServerFunction>(find("DllUnregisterServer"));
  if (exports.getClassObject == nullptr || exports.canUnloadNow == nullptr ||
      exports.registerServer == nullptr || exports.unregisterServer == nullptr || find("DllMain") == nullptr)
    return ::testing::AssertionFailure() << path << " lacks one of the five exports";
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult LoadServer(const std::string& path, ServerExports& exports) {
  exports = ServerExports{};
  exports.module = LoadLibraryA(path.c_str());
  return FindExports(path, exports);
}

::testing::AssertionResult LoadServer(const std::wstring& path, ServerExports& exports) {
  exports = ServerExports{};
  exports.module = LoadLibraryW(path.c_str());
  return FindExports("the module in a folder of wide characters", exports);
}

const ServerExports& Server() {
  static ServerExports exports;
  static const bool loaded = [] {
    const ::testing::AssertionResult result = LoadServer(ServerDllPath(), exports);
    EXPECT_TRUE(result);
    if (!result) exports = ServerExports{};
    return static_cast<bool>(result);
  }();
  if (!loaded) ADD_FAILURE() << "the wizard module is not loaded";
  return exports;
}

}  // namespace test
