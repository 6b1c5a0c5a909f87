#include "scratch_registry.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace test {

ScratchRegistry::ScratchRegistry() {
  static std::atomic<int> counter{0};
  path_ = "Software\\DrumMapTests\\registration-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
  if (RegCreateKeyA(HKEY_CURRENT_USER, (path_ + "\\classes").c_str(), &classes_) != ERROR_SUCCESS ||
      RegCreateKeyA(HKEY_CURRENT_USER, (path_ + "\\machine").c_str(), &machine_) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) != ERROR_SUCCESS) {
    if (classes_ != nullptr) RegCloseKey(classes_);
    if (machine_ != nullptr) RegCloseKey(machine_);
    classes_ = machine_ = nullptr;
  }
}

ScratchRegistry::~ScratchRegistry() {
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  if (classes_ != nullptr) RegCloseKey(classes_);
  if (machine_ != nullptr) RegCloseKey(machine_);
  RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\DrumMapTests");  // only when no other test uses it
}

namespace {

std::string Escaped(const BYTE* data, DWORD size) {
  std::string text;
  for (DWORD i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    if (c == '\0') {
      text += "\\0";
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      text += hex;
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

std::string TypeName(DWORD type) {
  switch (type) {
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_BINARY:
      return "REG_BINARY";
    default:
      return "type " + std::to_string(type);
  }
}

void Walk(HKEY key, const std::string& path, std::vector<std::string>& lines) {
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameSize = sizeof name;
    BYTE data[4096];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    lines.push_back("value " + path + " " + (nameSize == 0 ? std::string("(default)") : std::string(name)) +
                    " " + TypeName(type) + " \"" + Escaped(data, dataSize) + "\"");
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    const std::string childPath = path.empty() ? name : path + "\\" + name;
    lines.push_back("key " + childPath);
    HKEY child = nullptr;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) {
      lines.push_back("cannot open " + childPath);
      continue;
    }
    Walk(child, childPath, lines);
    RegCloseKey(child);
  }
}

}  // namespace

std::vector<std::string> Snapshot(HKEY root) {
  std::vector<std::string> lines;
  Walk(root, "", lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool Put(HKEY root, const std::string& path, const char* valueName, const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyA(root, path.c_str(), &key) != ERROR_SUCCESS) return false;
  bool ok = true;
  if (valueName != nullptr)
    ok = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ClassIdText(const GUID& id) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

}  // namespace test
