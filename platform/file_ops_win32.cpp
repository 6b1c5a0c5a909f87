#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <winioctl.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/file_ops.h"

namespace {

// As many links as Windows itself follows in one path.
constexpr int kMaxLinks = 63;

// The attributes a replaced file passes on to the new one.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The system's text for a Windows error, on one line, without the full stop.
std::string ErrorText(DWORD error) {
  char text[512];
  DWORD size = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                              text, sizeof text, nullptr);
  while (size > 0 &&
         (text[size - 1] == '\r' || text[size - 1] == '\n' || text[size - 1] == ' ' || text[size - 1] == '.'))
    --size;
  if (size == 0) return "Windows error " + std::to_string(error);
  std::string line(text, size);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The path of an opened file, in the usual form ("C:\...", "\\server\...").
bool FinalPath(HANDLE file, std::string& path) {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD size = GetFinalPathNameByHandleA(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (size == 0) return false;
    if (size < buffer.size()) {
      path.assign(buffer.data(), size);
      break;
    }
    buffer.resize(size + 1);
  }
  if (path.compare(0, 8, "\\\\?\\UNC\\") == 0)
    path = "\\\\" + path.substr(8);
  else if (path.compare(0, 4, "\\\\?\\") == 0)
    path = path.substr(4);
  return true;
}

// The folder part of `path` including its last separator, or "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Where the symbolic link at `path` points (a link whose destination is
// missing cannot be opened through). False if `path` is no such link.
bool ReadSymbolicLink(const std::string& path, std::string& destination) {
  const Handle link(CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!link.valid()) return false;
  // The symbolic-link form of the reparse data: tag, sizes, the two names'
  // offsets and lengths in bytes, the flags, then the names in UTF-16.
  struct SymbolicLinkData {
    ULONG tag;
    USHORT dataLength;
    USHORT reserved;
    USHORT substituteOffset;
    USHORT substituteLength;
    USHORT printOffset;
    USHORT printLength;
    ULONG flags;
  };
  std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD got = 0;
  if (!DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &got, nullptr) ||
      got < sizeof(SymbolicLinkData))
    return false;
  SymbolicLinkData header;
  std::memcpy(&header, data.data(), sizeof header);
  if (header.tag != IO_REPARSE_TAG_SYMLINK) return false;
  // The printed name is the path as the user gave it; the substitute name
  // is the same in the form "\??\C:\...".
  USHORT offset = header.printOffset, length = header.printLength;
  if (length == 0) {
    offset = header.substituteOffset;
    length = header.substituteLength;
  }
  if (sizeof header + offset + length > got) return false;
  std::vector<wchar_t> name(length / sizeof(wchar_t));
  std::memcpy(name.data(), data.data() + sizeof header + offset, name.size() * sizeof(wchar_t));
  std::wstring wide(name.begin(), name.end());
  if (wide.compare(0, 4, L"\\??\\") == 0) wide = wide.substr(4);
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, nullptr);
  if (size <= 0) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, nullptr,
                      nullptr);
  destination = (header.flags & SYMLINK_FLAG_RELATIVE) != 0 ? FolderOf(path) + text : text;
  return true;
}

}  // namespace

bool ResolveTarget(const char* path, TargetFile& target, std::string& reason) {
  target = TargetFile();
  std::string current = path;
  // Under Wine a Unix symbolic link looks like the file it names: only the
  // opened file's final path shows where it leads.
  const DWORD given = GetFileAttributesA(path);
  target.throughLink = given != INVALID_FILE_ATTRIBUTES && (given & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  for (int links = 0;; ++links) {
    // Opening follows every symbolic link to the file at the end.
    const Handle file(CreateFileA(current.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.valid()) {
      if (GetFileType(file.get()) != FILE_TYPE_DISK) {  // NUL, CON, COM1, pipes
        reason = "not a regular file";
        return false;
      }
      BY_HANDLE_FILE_INFORMATION info;
      if (!GetFileInformationByHandle(file.get(), &info)) {
        reason = ErrorText(GetLastError());
        return false;
      }
      if (!FinalPath(file.get(), target.path)) target.path = current;
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = "Is a directory";
        return false;
      }
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        reason = "the file is read-only";
        return false;
      }
      target.exists = true;
      target.mode = info.dwFileAttributes & kKeptAttributes;
      break;
    }
    // A missing folder shows when the temporary file cannot be created.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      reason = ErrorText(error);
      return false;
    }
    // Nothing there, or a symbolic link whose destination is missing: that
    // destination is the new file.
    const DWORD attributes = GetFileAttributesA(current.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      target.path = current;
      return true;
    }
    target.throughLink = true;
    if (links == kMaxLinks || !ReadSymbolicLink(current, current)) {
      reason = "a link that cannot be followed";
      return false;
    }
  }
  // Replacing takes the right to write the file (and nobody holding it open
  // against that): ask before anything is made.
  const Handle writable(
      CreateFileA(target.path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!writable.valid()) {
    reason = ErrorText(GetLastError());
    return false;
  }
  return true;
}

TargetFile::~TargetFile() = default;

// No handle is held on Windows: every member moves as it is.
TargetFile& TargetFile::operator=(TargetFile&& other) noexcept = default;

std::FILE* CreateNewFile(const TargetFile& like, const std::string& name, bool& nameTaken,
                         std::string& reason) {
  nameTaken = false;
  const char* path = name.c_str();
  // Shared for deletion so that an interrupted run can remove it while open.
  const DWORD attributes = like.exists && like.mode != 0 ? like.mode : FILE_ATTRIBUTE_NORMAL;
  const HANDLE handle =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW, attributes, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    reason = ErrorText(error);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    reason = std::strerror(errno);
    CloseHandle(handle);
    DeleteFileA(path);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    _close(fd);
    DeleteFileA(path);
  }
  return file;
}

bool SyncFile(std::FILE* file, std::string& reason) {
  if (_commit(_fileno(file)) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

bool MoveFileOver(const TargetFile& target, const std::string& temporary, std::string& reason) {
  const char* from = temporary.c_str();
  const char* to = target.path.c_str();
  // Windows refuses to replace a read-only file; say so explicitly, since
  // Wine lets an administrator do it.
  const DWORD attributes = GetFileAttributesA(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    reason = "the file is read-only";
    return false;
  }
  // One rename; fails on a target held open without sharing.
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return true;
  reason = "cannot replace the file: " + ErrorText(GetLastError());
  return false;
}

void RemoveFile(int, const char* path) { DeleteFileA(path); }

bool FindFileId(const char* path, FileId& id) {
  const Handle file(
      CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return false;
  id.volume = info.dwVolumeSerialNumber;
  id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

// Windows has no signals to hold: Ctrl+C runs its handler on a thread of its
// own.
InterruptsHeld::InterruptsHeld() : previous_() {}
InterruptsHeld::~InterruptsHeld() = default;
