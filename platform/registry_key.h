// An open registry key that closes itself.
#pragma once

#include <windows.h>

#include <utility>

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() { Close(); }
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      Close();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  // For the out parameter of RegCreateKey*/RegOpenKey*: closes any key held.
  HKEY* put() {
    Close();
    return &key_;
  }
  // Closes now; the result of RegCloseKey is not needed by any caller.
  void Close() {
    if (key_ != nullptr) {
      RegCloseKey(key_);
      key_ = nullptr;
    }
  }

 private:
  HKEY key_ = nullptr;
};
