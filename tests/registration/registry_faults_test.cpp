// RegisterWizardClass, UnregisterWizardClass and DeleteKeyTree linked in
// directly, with registry calls refused through the fault hook (Wine itself
// does not enforce registry rights).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/registry_fault_hook.h"
#include "scratch_registry.h"
#include "server/guids.h"
#include "server/registration.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kClassKey = "CLSID\\" + test::ClassIdText(CLSID_DrumMapWizard);
const std::string kWizardKey = "Software\\Ostrevane\\VbWizards\\" + test::ClassIdText(CLSID_DrumMapWizard);
constexpr char kModulePath[] = "C:\\Program Files\\Wizards\\module.dll";
constexpr wchar_t kWideModulePath[] = L"C:\\Program Files\\Wizards\\module.dll";

// The entries that registration writes, in its order, as snapshot lines of
// the two roots.
struct Written {
  Lines classes;
  Lines machine;
};
Written AfterWrites(int writes) {
  Written w;
  if (writes >= 1) w.classes = {"key CLSID", "key " + kClassKey};
  if (writes >= 2) w.classes.push_back("value " + kClassKey + " (default) REG_SZ \"VB Wizard\\0\"");
  if (writes >= 3) w.classes.push_back("key " + kClassKey + "\\InprocServer32");
  if (writes >= 4)
    w.classes.push_back("value " + kClassKey + "\\InprocServer32 (default) REG_SZ \"" + kModulePath +
                        "\\0\"");
  if (writes >= 5)
    w.classes.push_back("value " + kClassKey + "\\InprocServer32 ThreadingModel REG_SZ \"Both\\0\"");
  if (writes >= 6)
    w.machine = {"key Software", "key Software\\Ostrevane", "key Software\\Ostrevane\\VbWizards",
                 "key " + kWizardKey};
  std::sort(w.classes.begin(), w.classes.end());
  return w;
}

// What the hook refuses: a call on a given key, or the n-th call (counted
// from 1), or calls of one kind on a subkey of one name.
struct Fault {
  HKEY onKey = nullptr;
  int onCall = 0;
  bool deletes = false;
  bool opens = false;
  std::string name;
  LSTATUS error = ERROR_ACCESS_DENIED;
};
Fault fault;
bool armed = false;
int calls = 0;

LSTATUS Refuse(RegistryCall call, HKEY key, const char* name, REGSAM) {
  if (!armed) return ERROR_SUCCESS;
  ++calls;
  if (fault.onKey != nullptr && key == fault.onKey) return fault.error;
  if (fault.onCall != 0 && calls == fault.onCall) return fault.error;
  if (fault.deletes && call == RegistryCall::kDeleteKey && lstrcmpiA(name, fault.name.c_str()) == 0)
    return fault.error;
  if (fault.opens && call == RegistryCall::kOpenKey && lstrcmpiA(name, fault.name.c_str()) == 0)
    return fault.error;
  return ERROR_SUCCESS;
}

class RegistryFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.ok());
    Arm(Fault{});
  }
  static void Arm(const Fault& f) {
    fault = f;
    calls = 0;
    armed = true;
  }
  static HRESULT Register() {
    return RegisterWizardClass(CLSID_DrumMapWizard, "VB Wizard", kWideModulePath, L"Both", L"InprocServer32");
  }
  void Clear() {
    armed = false;
    RegDeleteTreeA(scratch.classes(), nullptr);
    RegDeleteTreeA(scratch.machine(), nullptr);
  }

  test::ScratchRegistry scratch;
  ScopedRegistryFault hook_{Refuse};
};

TEST_F(RegistryFaultTest, RegistrationStopsAtTheFirstRefusalAndKeepsWhatItWrote) {
  struct Row {
    const char* name;
    Fault fault;
    HRESULT expected;
    int writesDone;
  };
  auto onKey = [](HKEY key) {
    Fault f;
    f.onKey = key;
    return f;
  };
  auto onCall = [](int call, LSTATUS error = ERROR_ACCESS_DENIED) {
    Fault f;
    f.onCall = call;
    f.error = error;
    return f;
  };
  const HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
  const Row rows[] = {
      {"no right to write under HKEY_CLASSES_ROOT", onKey(HKEY_CLASSES_ROOT), kAccessDenied, 0},
      {"no right to write under HKEY_LOCAL_MACHINE", onKey(HKEY_LOCAL_MACHINE), kAccessDenied, 5},
      {"the class key's default value refused", onCall(2), kAccessDenied, 1},
      {"the server key refused", onCall(3), kAccessDenied, 2},
      {"the module path refused", onCall(4), kAccessDenied, 3},
      {"the threading model refused", onCall(5), kAccessDenied, 4},
      {"an error code wider than 16 bits keeps its low 16", onCall(1, 0x12345),
       static_cast<HRESULT>(0x80072345), 0},
      {"nothing refused", Fault{}, S_OK, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Arm(row.fault);
    EXPECT_EQ(Register(), row.expected);
    const Written expected = AfterWrites(row.writesDone);
    EXPECT_EQ(test::Snapshot(scratch.classes()), expected.classes);
    EXPECT_EQ(test::Snapshot(scratch.machine()), expected.machine);
    Clear();
  }
}

TEST_F(RegistryFaultTest, DeleteKeyTreeRefusesAnEmptyName) {
  ASSERT_TRUE(test::Put(scratch.classes(), "Parent\\Child", "v", "1"));
  HKEY parent = nullptr;
  ASSERT_EQ(RegOpenKeyExA(scratch.classes(), "Parent", 0, KEY_ALL_ACCESS, &parent), ERROR_SUCCESS);
  const Lines before = test::Snapshot(scratch.classes());
  EXPECT_EQ(DeleteKeyTree(parent, ""), E_FAIL);
  EXPECT_EQ(DeleteKeyTree(parent, nullptr), E_FAIL);
  RegCloseKey(parent);
  EXPECT_EQ(test::Snapshot(scratch.classes()), before);
}

TEST_F(RegistryFaultTest, DeleteKeyTreeOfAMissingKeySucceeds) {
  ASSERT_TRUE(test::Put(scratch.classes(), "Other", "v", "1"));
  const Lines before = test::Snapshot(scratch.classes());
  EXPECT_EQ(DeleteKeyTree(scratch.classes(), "Missing"), S_OK);
  EXPECT_EQ(DeleteKeyTree(scratch.classes(), "Missing\\Deeper"), S_OK);
  EXPECT_EQ(test::Snapshot(scratch.classes()), before);
}

// A subkey that survives its deletion comes first in the enumeration again;
// the walk must still end.
TEST_F(RegistryFaultTest, AnUndeletableSubkeyDoesNotStopUnregistration) {
  ASSERT_EQ(Register(), S_OK);
  ASSERT_TRUE(test::Put(scratch.classes(), kClassKey + "\\Aardvark\\Inner", "v", "1"));
  ASSERT_TRUE(test::Put(scratch.classes(), kClassKey + "\\Stuck\\Child", "v", "2"));
  Fault f;
  f.deletes = true;
  f.name = "Stuck";
  Arm(f);

  EXPECT_EQ(UnregisterWizardClass(CLSID_DrumMapWizard), S_OK);
  EXPECT_TRUE(test::KeyExists(scratch.classes(), kClassKey + "\\Stuck"));
  EXPECT_FALSE(test::KeyExists(scratch.classes(), kClassKey + "\\Stuck\\Child"));
  EXPECT_FALSE(test::KeyExists(scratch.classes(), kClassKey + "\\Aardvark"));
  EXPECT_FALSE(test::KeyExists(scratch.machine(), kWizardKey)) << "the other key was not unregistered";
}

TEST_F(RegistryFaultTest, AKeyThatCannotBeOpenedIsPassedOver) {
  ASSERT_EQ(Register(), S_OK);
  const Lines classes = test::Snapshot(scratch.classes());
  Fault f;
  f.opens = true;
  f.name = kClassKey;
  Arm(f);

  EXPECT_EQ(UnregisterWizardClass(CLSID_DrumMapWizard), S_OK);
  EXPECT_EQ(test::Snapshot(scratch.classes()), classes);
  EXPECT_FALSE(test::KeyExists(scratch.machine(), kWizardKey));
  EXPECT_TRUE(test::KeyExists(scratch.machine(), "Software\\Ostrevane\\VbWizards"));
}

}  // namespace
