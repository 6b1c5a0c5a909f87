// The common base of the module's COM objects: the object's own
// (non-delegating) IUnknown, its owner and its reference count.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <atomic>

// The object's own IUnknown: the three slots of IUnknown under other names,
// so that an object can also implement a second interface whose IUnknown
// slots forward to the owner; the destructor takes the slot after Release.
class InnerUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE InnerQueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG STDMETHODCALLTYPE InnerAddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE InnerRelease() = 0;
  virtual ~InnerUnknown() = default;
};

class UnknownBase : public InnerUnknown {
 public:
  UnknownBase(const UnknownBase&) = delete;
  UnknownBase& operator=(const UnknownBase&) = delete;

  ULONG STDMETHODCALLTYPE InnerAddRef() final;
  // The release that brings the count to 0 destroys the object.
  ULONG STDMETHODCALLTYPE InnerRelease() final;

  // Destroys an object that no query has handed out (its count is still 0).
  void Discard() { delete this; }

 protected:
  // The owner is the aggregating object, or the object itself when `outer`
  // is null. Counts the object as live.
  explicit UnknownBase(IUnknown* outer);
  ~UnknownBase() override;

  // Where the IUnknown slots of the object's second interface go.
  IUnknown* Owner() const { return owner_; }

  // The object's identity: its InnerUnknown, seen as an IUnknown (the tables
  // have the same layout).
  IUnknown* Identity() { return reinterpret_cast<IUnknown*>(static_cast<InnerUnknown*>(this)); }

  // A successful query: stores `found` and adds the reference through it.
  static HRESULT Answer(IUnknown* found, void** out) {
    *out = found;
    found->AddRef();
    return S_OK;
  }

 private:
  IUnknown* const owner_;
  std::atomic<LONG> refCount_{0};
};
