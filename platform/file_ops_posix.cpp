#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/file_ops.h"

std::FILE* CreateNewFile(const char* path) {
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

bool SyncFile(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

bool MoveFileOver(const char* from, const char* to) {
  // A file without any write permission bit is read-only, as it would be on
  // Windows; refuse it even where rename() (or root) would not.
  struct stat target;
  if (::stat(to, &target) == 0 && (target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return false;
  }
  return std::rename(from, to) == 0;
}

void RemoveFile(const char* path) { ::unlink(path); }
