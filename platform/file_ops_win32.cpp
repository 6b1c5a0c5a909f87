#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/file_ops.h"

std::FILE* CreateNewFile(const char* path) {
  const HANDLE handle =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);
  return file;
}

bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool MoveFileOver(const char* from, const char* to) {
  // Windows refuses to replace a read-only file; say so explicitly, since
  // Wine lets an administrator do it.
  const DWORD attributes = GetFileAttributesA(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // One rename; fails on a target held open without sharing.
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const char* path) { DeleteFileA(path); }
