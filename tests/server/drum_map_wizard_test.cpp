// The wizard object and the reference counting shared by both objects,
// through the built module's exports.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "server/idrum_map_wizard.h"
#include "server_dll.h"

namespace {

using test::ServerTest;

TEST_F(ServerTest, ReferenceCountsRiseAndFallToDestruction) {
  struct Row {
    const char* name;
    bool wizard;  // else the factory
    const IID* iid;
  };
  const Row rows[] = {{"factory as IClassFactory", false, &IID_IClassFactory},
                      {"factory as IUnknown", false, &IID_IUnknown},
                      {"wizard as IDrumMapWizard", true, &IID_IDrumMapWizard},
                      {"wizard as IUnknown", true, &IID_IUnknown}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    void* out = nullptr;
    if (row.wizard) {
      IClassFactory* factory = NewFactory();
      ASSERT_NE(factory, nullptr);
      ASSERT_EQ(factory->CreateInstance(nullptr, *row.iid, &out), S_OK);
      factory->Release();
    } else {
      ASSERT_EQ(server.getClassObject(CLSID_DrumMapWizard, *row.iid, &out), S_OK);
    }
    IUnknown* object = static_cast<IUnknown*>(out);
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(server.canUnloadNow(), S_OK) << "the last release did not destroy the object";
  }
}

TEST_F(ServerTest, GetNameWritesTheNameWithItsTerminatorAndNothingMore) {
  IDrumMapWizard* wizard = NewWizard();
  ASSERT_NE(wizard, nullptr);
  for (int call = 1; call <= 2; ++call) {
    SCOPED_TRACE(call);
    unsigned char buffer[64];
    std::memset(buffer, 0xBD, sizeof buffer);
    EXPECT_EQ(wizard->GetName(reinterpret_cast<char*>(buffer)), 22);
    EXPECT_EQ(std::memcmp(buffer, "Korvat DrumMap Export", 22), 0);  // the terminator included
    for (std::size_t i = 22; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0xBD) << "byte " << i << " written";
  }
  EXPECT_EQ(wizard->Release(), 0u);
}

// An outer object that aggregates the wizard: it records what reaches it and
// answers with values that no wizard would give.
class RecordingOuter : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    ++queries;
    lastQueried = iid;
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1000 + ++addRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return 2000 + ++releases; }

  int queries = 0;
  IID lastQueried = GUID_NULL;
  ULONG addRefs = 0;
  ULONG releases = 0;
};

TEST_F(ServerTest, AnAggregatedWizardForwardsItsIUnknownCallsToTheOuterObject) {
  IClassFactory* factory = NewFactory();
  ASSERT_NE(factory, nullptr);
  RecordingOuter outer;

  // The outer object receives the wizard's own IUnknown.
  void* inner = nullptr;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &inner), S_OK);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(outer.queries + outer.addRefs + outer.releases, 0u);

  // Asking the inner IUnknown for the wizard adds the reference to the outer
  // object, through the wizard interface.
  void* out = nullptr;
  ASSERT_EQ(static_cast<IUnknown*>(inner)->QueryInterface(IID_IDrumMapWizard, &out), S_OK);
  IDrumMapWizard* wizard = static_cast<IDrumMapWizard*>(out);
  EXPECT_EQ(outer.addRefs, 1u);

  EXPECT_EQ(wizard->AddRef(), 1002u);
  EXPECT_EQ(wizard->Release(), 2001u);
  void* refused = &outer;
  EXPECT_EQ(wizard->QueryInterface(IID_IClassFactory, &refused), E_NOINTERFACE);
  EXPECT_EQ(outer.queries, 1);
  EXPECT_TRUE(outer.lastQueried == IID_IClassFactory);
  EXPECT_EQ(refused, nullptr);
  char name[22];
  EXPECT_EQ(wizard->GetName(name), 22);
  EXPECT_EQ(wizard->Release(), 2002u);  // gives back the reference the query took

  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  EXPECT_EQ(static_cast<IUnknown*>(inner)->Release(), 0u);
  EXPECT_EQ(outer.addRefs, 2u);
  EXPECT_EQ(outer.releases, 2u);
}

TEST_F(ServerTest, AnAggregatedWizardIsOnlyGivenAsItsIUnknown) {
  IClassFactory* factory = NewFactory();
  ASSERT_NE(factory, nullptr);
  RecordingOuter outer;
  void* out = &outer;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IDrumMapWizard, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(outer.queries + outer.addRefs + outer.releases, 0u);
  EXPECT_EQ(factory->Release(), 0u);
}

// Threads create and release objects at once, and share one wizard: the
// counts must not lose an update.
TEST_F(ServerTest, ObjectsMadeAndReleasedOnManyThreadsAtOnce) {
  IDrumMapWizard* shared = NewWizard();
  ASSERT_NE(shared, nullptr);
  constexpr int kThreads = 8;
  constexpr int kRounds = 10000;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  std::atomic<int> waiting{kThreads};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Start together, so that the threads really overlap.
      --waiting;
      while (waiting.load() > 0) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        shared->AddRef();
        void* factory = nullptr;
        void* wizard = nullptr;
        if (server.getClassObject(CLSID_DrumMapWizard, IID_IClassFactory, &factory) != S_OK ||
            static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IDrumMapWizard, &wizard) !=
                S_OK)
          ++failures[t];
        if (factory != nullptr) static_cast<IClassFactory*>(factory)->Release();
        if (wizard != nullptr) static_cast<IDrumMapWizard*>(wizard)->Release();
        shared->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  EXPECT_EQ(server.canUnloadNow(), S_FALSE);
  EXPECT_EQ(shared->Release(), 0u);
}

}  // namespace
