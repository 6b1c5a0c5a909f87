#include "server/unknown_base.h"

#include "server/module.h"

UnknownBase::UnknownBase(IUnknown* outer) : owner_(outer != nullptr ? outer : Identity()) {
  CountObjectCreated();
}

UnknownBase::~UnknownBase() { CountObjectDestroyed(); }

ULONG STDMETHODCALLTYPE UnknownBase::InnerAddRef() { return static_cast<ULONG>(++refCount_); }

ULONG STDMETHODCALLTYPE UnknownBase::InnerRelease() {
  const LONG count = --refCount_;
  if (count == 0) {
    // A stray AddRef/Release pair from the destructor's callees cannot
    // bring the count to 0 a second time.
    refCount_ = 1;
    delete this;
    return 0;
  }
  return static_cast<ULONG>(count);
}
