// DllGetClassObject, the class factory and the module's lifetime, through the
// built module's exports.
#include <gtest/gtest.h>
#include <objbase.h>
#include <ocidl.h>
#include <windows.h>

#include "server/idrum_map_wizard.h"
#include "server_dll.h"

namespace {

using test::ServerTest;

void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEADBEEF));

// {0B6FA5C4-6E1A-4F57-9C1D-2E8A41D3F0A7}: no class or interface of anyone's.
constexpr GUID kUnknownId = {0x0B6FA5C4, 0x6E1A, 0x4F57, {0x9C, 0x1D, 0x2E, 0x8A, 0x41, 0xD3, 0xF0, 0xA7}};

struct NamedId {
  const char* name;
  GUID id;
};

TEST_F(ServerTest, GetClassObjectGivesANewFactoryForAnyClassId) {
  const NamedId classIds[] = {{"the wizard's class", CLSID_DrumMapWizard},
                              {"GUID_NULL", GUID_NULL},
                              {"an unknown id", kUnknownId},
                              {"the wizard interface's id", IID_IDrumMapWizard}};
  for (const NamedId& classId : classIds) {
    SCOPED_TRACE(classId.name);
    void* factory = kSentinel;
    ASSERT_EQ(server.getClassObject(classId.id, IID_IClassFactory, &factory), S_OK);
    ASSERT_NE(factory, nullptr);
    ASSERT_NE(factory, kSentinel);
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);

    // IUnknown gives the factory's identity, which leads back to the factory.
    void* unknown = kSentinel;
    ASSERT_EQ(server.getClassObject(classId.id, IID_IUnknown, &unknown), S_OK);
    ASSERT_NE(unknown, nullptr);
    void* fromUnknown = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(unknown)->QueryInterface(IID_IClassFactory, &fromUnknown), S_OK);
    void* identity = nullptr;
    ASSERT_EQ(static_cast<IClassFactory*>(fromUnknown)->QueryInterface(IID_IUnknown, &identity), S_OK);
    EXPECT_EQ(identity, unknown);
    EXPECT_NE(unknown, factory) << "each request makes a new factory";

    EXPECT_EQ(static_cast<IUnknown*>(identity)->Release(), 2u);
    EXPECT_EQ(static_cast<IClassFactory*>(fromUnknown)->Release(), 1u);
    EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 0u);
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);
    EXPECT_EQ(static_cast<IClassFactory*>(factory)->Release(), 0u);
    EXPECT_EQ(server.canUnloadNow(), S_OK);
  }
}

TEST_F(ServerTest, GetClassObjectRefusesEveryOtherInterface) {
  const NamedId interfaceIds[] = {{"IDrumMapWizard", IID_IDrumMapWizard},
                                  {"IClassFactory2", IID_IClassFactory2},
                                  {"IDispatch", IID_IDispatch},
                                  {"IMarshal", IID_IMarshal},
                                  {"GUID_NULL", GUID_NULL},
                                  {"the wizard's class id", CLSID_DrumMapWizard},
                                  {"an unknown id", kUnknownId}};
  for (const NamedId& iid : interfaceIds) {
    SCOPED_TRACE(iid.name);
    void* out = kSentinel;
    EXPECT_EQ(server.getClassObject(CLSID_DrumMapWizard, iid.id, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(server.canUnloadNow(), S_OK) << "the refused factory is still alive";
  }
}

TEST_F(ServerTest, CreateInstanceGivesTheWizardOrItsIdentity) {
  IClassFactory* factory = NewFactory();
  ASSERT_NE(factory, nullptr);

  void* wizard = kSentinel;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDrumMapWizard, &wizard), S_OK);
  ASSERT_NE(wizard, nullptr);
  void* unknown = kSentinel;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &unknown), S_OK);
  ASSERT_NE(unknown, nullptr);

  // The identity leads to the wizard interface and back.
  void* fromUnknown = nullptr;
  ASSERT_EQ(static_cast<IUnknown*>(unknown)->QueryInterface(IID_IDrumMapWizard, &fromUnknown), S_OK);
  void* identity = nullptr;
  ASSERT_EQ(static_cast<IDrumMapWizard*>(fromUnknown)->QueryInterface(IID_IUnknown, &identity), S_OK);
  EXPECT_EQ(identity, unknown);
  EXPECT_NE(fromUnknown, wizard) << "each CreateInstance makes a new wizard";
  void* refused = kSentinel;
  EXPECT_EQ(static_cast<IDrumMapWizard*>(fromUnknown)->QueryInterface(IID_IClassFactory, &refused),
            E_NOINTERFACE);
  EXPECT_EQ(refused, nullptr);

  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(server.canUnloadNow(), S_FALSE) << "the wizards keep the module";
  EXPECT_EQ(static_cast<IUnknown*>(identity)->Release(), 2u);
  EXPECT_EQ(static_cast<IDrumMapWizard*>(fromUnknown)->Release(), 1u);
  EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 0u);
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  EXPECT_EQ(static_cast<IDrumMapWizard*>(wizard)->Release(), 0u);
}

TEST_F(ServerTest, CreateInstanceRefusesOtherInterfacesWithoutKeepingAWizard) {
  const NamedId interfaceIds[] = {
      {"IClassFactory", IID_IClassFactory}, {"IDispatch", IID_IDispatch}, {"an unknown id", kUnknownId}};
  for (const NamedId& iid : interfaceIds) {
    SCOPED_TRACE(iid.name);
    IClassFactory* factory = NewFactory();
    ASSERT_NE(factory, nullptr);
    void* out = kSentinel;
    EXPECT_EQ(factory->CreateInstance(nullptr, iid.id, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(server.canUnloadNow(), S_OK) << "the refused wizard is still alive";
  }
}

// Null out pointers are refused, not written through.
TEST_F(ServerTest, NullOutPointersAreRefused) {
  EXPECT_EQ(server.getClassObject(CLSID_DrumMapWizard, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(server.canUnloadNow(), S_OK);

  IClassFactory* factory = NewFactory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDrumMapWizard, nullptr), E_POINTER);
  EXPECT_EQ(factory->Release(), 0u);

  IDrumMapWizard* wizard = NewWizard();
  ASSERT_NE(wizard, nullptr);
  EXPECT_EQ(wizard->QueryInterface(IID_IDrumMapWizard, nullptr), E_POINTER);
  EXPECT_EQ(wizard->GetName(nullptr), 0);
  EXPECT_EQ(wizard->Release(), 0u);
}

TEST_F(ServerTest, LockServerKeepsTheModuleUntilUnlocked) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  IClassFactory* factory = NewFactory();
  ASSERT_NE(factory, nullptr);

  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory->Release();  // the host's last reference
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(server.canUnloadNow(), S_OK);
  CoUninitialize();
}

TEST_F(ServerTest, LockServerPassesThePlatformsRefusalOn) {
  // Without COM on the calling thread the platform refuses the lock.
  IClassFactory* factory = NewFactory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->LockServer(TRUE), CO_E_NOTINITIALIZED);
  EXPECT_EQ(factory->Release(), 0u);
}

}  // namespace
