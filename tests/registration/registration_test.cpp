// DllRegisterServer and DllUnregisterServer of the built module, in a scratch
// registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scratch_registry.h"
#include "server/guids.h"
#include "server_dll.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kClassKey = "CLSID\\" + test::ClassIdText(CLSID_DrumMapWizard);
const std::string kWizardKey = "Software\\Ostrevane\\VbWizards\\" + test::ClassIdText(CLSID_DrumMapWizard);

std::string ModulePath(HMODULE module) {
  char path[1024];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  return std::string(path, length);
}

// What a registration of the module at `modulePath` adds to each root.
Lines Registered(const std::string& modulePath) {
  return {"key CLSID",
          "key " + kClassKey,
          "key " + kClassKey + "\\InprocServer32",
          "value " + kClassKey + " (default) REG_SZ \"VB Wizard\\0\"",
          "value " + kClassKey + "\\InprocServer32 (default) REG_SZ \"" + modulePath + "\\0\"",
          "value " + kClassKey + "\\InprocServer32 ThreadingModel REG_SZ \"Both\\0\""};
}
const Lines kWizardListed = {"key Software", "key Software\\Ostrevane", "key Software\\Ostrevane\\VbWizards",
                             "key " + kWizardKey};

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(server.module, nullptr);
    ASSERT_TRUE(scratch.ok());
  }

  // Neighbours that registration must never touch: another class and another
  // wizard of the host, and a value of the wizard list itself.
  void AddNeighbours() {
    ASSERT_TRUE(test::Put(scratch.classes(), "CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32",
                          "", "other.dll"));
    ASSERT_TRUE(test::Put(scratch.machine(),
                          "Software\\Ostrevane\\VbWizards\\{55555555-6666-7777-8888-999999999999}"));
    ASSERT_TRUE(test::Put(scratch.machine(), "Software\\Ostrevane\\VbWizards", "order", "1"));
  }

  // Loaded first: the system libraries that the module pulls in write keys
  // of their own when they start, which belong in the real registry.
  const test::ServerExports& server = test::Server();
  test::ScratchRegistry scratch;
};

TEST_F(RegistrationTest, RegisterWritesTheFourEntriesAndNothingElse) {
  // The class id the host knows the wizard by, built from its text form.
  ASSERT_EQ(test::ClassIdText(CLSID_DrumMapWizard), "{D169D29F-53D1-4873-BD56-9082F52434D0}");

  ASSERT_EQ(server.registerServer(), S_OK);
  EXPECT_EQ(test::Snapshot(scratch.classes()), Registered(ModulePath(server.module)));
  EXPECT_EQ(test::Snapshot(scratch.machine()), kWizardListed);
}

TEST_F(RegistrationTest, RegisteringTwiceLeavesWhatOnceLeaves) {
  AddNeighbours();
  ASSERT_EQ(server.registerServer(), S_OK);
  const Lines classes = test::Snapshot(scratch.classes());
  const Lines machine = test::Snapshot(scratch.machine());
  ASSERT_EQ(server.registerServer(), S_OK);
  EXPECT_EQ(test::Snapshot(scratch.classes()), classes);
  EXPECT_EQ(test::Snapshot(scratch.machine()), machine);
}

TEST_F(RegistrationTest, UnregisteringWhatIsNotRegisteredChangesNothing) {
  for (bool neighbours : {false, true}) {
    SCOPED_TRACE(neighbours ? "with neighbours" : "empty registry");
    if (neighbours) AddNeighbours();
    const Lines classes = test::Snapshot(scratch.classes());
    const Lines machine = test::Snapshot(scratch.machine());
    EXPECT_EQ(server.unregisterServer(), S_OK);
    EXPECT_EQ(server.unregisterServer(), S_OK);
    EXPECT_EQ(test::Snapshot(scratch.classes()), classes);
    EXPECT_EQ(test::Snapshot(scratch.machine()), machine);
  }
}

TEST_F(RegistrationTest, UnregisteringRemovesEverythingBeneathBothKeysAndNothingBeside) {
  AddNeighbours();
  const Lines classes = test::Snapshot(scratch.classes());
  const Lines machine = test::Snapshot(scratch.machine());

  ASSERT_EQ(server.registerServer(), S_OK);
  // Keys and values that registration did not write, several levels deep and
  // many side by side.
  ASSERT_TRUE(test::Put(scratch.classes(), kClassKey, "AppID", "x"));
  ASSERT_TRUE(test::Put(scratch.classes(), kClassKey + "\\InprocServer32\\Extra\\Deeper\\Deepest", "v", "1"));
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(test::Put(scratch.classes(), kClassKey + "\\Many\\k" + std::to_string(i) + "\\sub", "", "y"));
  ASSERT_TRUE(test::Put(scratch.machine(), kWizardKey + "\\Options\\Deep", "w", "2"));

  EXPECT_EQ(server.unregisterServer(), S_OK);
  EXPECT_EQ(test::Snapshot(scratch.classes()), classes);
  EXPECT_EQ(test::Snapshot(scratch.machine()), machine);
}

// A module path of 255 characters is registered whole; a longer one, which
// GetModuleFileNameA would cut to 255, is refused before anything is written.
TEST_F(RegistrationTest, AModulePathLongerThan255CharactersIsRefused) {
  const test::TempDir temp;
  const std::string dllName = fs::path(test::ServerDllPath()).filename().string();
  struct Row {
    std::size_t pathLength;
    HRESULT expected;
  };
  const Row rows[] = {
      {255, S_OK}, {256, static_cast<HRESULT>(0x8007007A)}, {259, static_cast<HRESULT>(0x8007007A)}};
  for (const Row& row : rows) {
    SCOPED_TRACE("path of " + std::to_string(row.pathLength) + " characters");
    // <temp>\<row>\xxx...\<module name>, padded to the wanted length.
    const std::string base = temp.path().string() + "\\" + std::to_string(row.pathLength) + "\\";
    ASSERT_LT(base.size() + dllName.size() + 2, row.pathLength);
    const std::string folder = base + std::string(row.pathLength - base.size() - dllName.size() - 1, 'x');
    const std::string path = folder + "\\" + dllName;
    ASSERT_EQ(path.size(), row.pathLength);
    fs::create_directories(folder);
    fs::copy_file(test::ServerDllPath(), path);

    test::ServerExports copy;
    ASSERT_TRUE(test::LoadServer(path, copy));
    ASSERT_EQ(ModulePath(copy.module), path);
    EXPECT_EQ(copy.registerServer(), row.expected);
    if (row.expected == S_OK) {
      EXPECT_EQ(test::Snapshot(scratch.classes()), Registered(path));
      EXPECT_EQ(test::Snapshot(scratch.machine()), kWizardListed);
    } else {
      EXPECT_EQ(test::Snapshot(scratch.classes()), Lines{});
      EXPECT_EQ(test::Snapshot(scratch.machine()), Lines{});
    }
    FreeLibrary(copy.module);
    RegDeleteTreeA(scratch.classes(), nullptr);
    RegDeleteTreeA(scratch.machine(), nullptr);
  }
}

// The registered path is the module's own, character for character, also
// for folder names outside the ANSI code page: the ANSI calls would write
// "??" for the first row and the look-alike "Lodz" folder for the second,
// another folder whose owner would get a module loaded by the host.
TEST_F(RegistrationTest, TheModulePathIsRegisteredExactlyForAnyFolderName) {
  const test::TempDir temp;
  const std::wstring dllName = fs::path(test::ServerDllPath()).filename().wstring();
  const wchar_t* const folders[] = {L"\u65E5\u672C\\Korvat", L"Wtyczki \u0141\u00F3d\u017A",
                                    L"Caf\u00E9 (x86)"};
  for (const wchar_t* name : folders) {
    const fs::path folder = temp.path() / name;
    SCOPED_TRACE(folder.u8string());
    fs::create_directories(folder);
    const fs::path path = folder / dllName;
    fs::copy_file(test::ServerDllPath(), path);

    test::ServerExports copy;
    ASSERT_TRUE(test::LoadServer(path.wstring(), copy));
    wchar_t loaded[512];
    ASSERT_GT(GetModuleFileNameW(copy.module, loaded, 512), 0u);
    EXPECT_EQ(copy.registerServer(), S_OK);
    wchar_t registered[512] = L"";
    DWORD size = sizeof registered;
    const std::wstring serverKey = fs::path(kClassKey + "\\InprocServer32").wstring();
    EXPECT_EQ(RegGetValueW(scratch.classes(), serverKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, registered,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(registered), std::wstring(loaded));
    EXPECT_EQ(fs::path(registered), path);
    FreeLibrary(copy.module);
    RegDeleteTreeA(scratch.classes(), nullptr);
    RegDeleteTreeA(scratch.machine(), nullptr);
  }
}

}  // namespace
