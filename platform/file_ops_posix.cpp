#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_ops.h"

namespace {

// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

std::string ErrorText(int error) { return std::strerror(error); }

// The folder part of `path` including its last '/', or "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The text of the link at `path`, or false with the reason.
bool ReadLink(const std::string& path, std::size_t sizeHint, std::string& text, std::string& why) {
  std::vector<char> buffer(sizeHint + 2);
  for (;;) {
    const ssize_t got = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (got < 0) {
      why = ErrorText(errno);
      return false;
    }
    if (static_cast<std::size_t>(got) < buffer.size()) {
      text.assign(buffer.data(), static_cast<std::size_t>(got));
      return true;
    }
    buffer.resize(buffer.size() * 2);  // the link grew since lstat
  }
}

}  // namespace

bool ResolveTarget(const char* path, TargetFile& target, std::string& why) {
  target = TargetFile();
  std::string current = path;
  struct stat info;
  for (int links = 0;; ++links) {
    if (::lstat(current.c_str(), &info) != 0) {
      // Nothing there (or a dangling link's destination): a new file. A
      // missing folder shows when the temporary file cannot be created.
      if (errno != ENOENT) {
        why = ErrorText(errno);
        return false;
      }
      target.path = current;
      return true;
    }
    if (!S_ISLNK(info.st_mode)) break;
    target.throughLink = true;
    if (links == kMaxLinks) {
      why = ErrorText(ELOOP);
      return false;
    }
    std::string text;
    if (!ReadLink(current, static_cast<std::size_t>(info.st_size), text, why)) return false;
    current = !text.empty() && text[0] == '/' ? text : FolderOf(current) + text;
  }
  target.path = current;
  if (S_ISDIR(info.st_mode)) {
    why = ErrorText(EISDIR);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    why = "not a regular file";
    return false;
  }
  // A file without any write permission bit is read-only, as it would be on
  // Windows; refuse it even where rename() (or root) would not.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    why = "the file is read-only";
    return false;
  }
  // rename() needs only a writable folder: ask about the file itself.
  if (::faccessat(AT_FDCWD, current.c_str(), W_OK, AT_EACCESS) != 0) {
    why = ErrorText(errno);
    return false;
  }
  target.exists = true;
  target.mode = info.st_mode & 07777;
  target.owner = info.st_uid;
  target.group = info.st_gid;
  return true;
}

std::FILE* CreateNewFile(const char* path, const TargetFile& like, bool& nameTaken, std::string& why) {
  nameTaken = false;
  // Readable only by its owner until it has the old file's permissions.
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, like.exists ? 0600 : 0666);
  if (fd < 0) {
    nameTaken = errno == EEXIST;
    why = ErrorText(errno);
    return nullptr;
  }
  if (like.exists) {
    // Owner and group where the process may set them (root; a group the
    // user is in), then the permission bits, which fchown may have cut.
    // The set-user and set-group bits only stay with the old owner.
    const auto owner = static_cast<uid_t>(like.owner);
    const auto group = static_cast<gid_t>(like.group);
    bool sameOwner = ::fchown(fd, owner, group) == 0;
    if (!sameOwner) {
      ::fchown(fd, static_cast<uid_t>(-1), group);
      struct stat made;
      sameOwner = ::fstat(fd, &made) == 0 && made.st_uid == owner && made.st_gid == group;
    }
    // Best effort: some file systems (FAT) keep no permission bits.
    ::fchmod(fd, static_cast<mode_t>(like.mode & (sameOwner ? 07777 : 01777)));
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    why = ErrorText(errno);
    ::close(fd);
    ::unlink(path);
  }
  return file;
}

bool SyncFile(std::FILE* file, std::string& why) {
  if (::fsync(::fileno(file)) == 0) return true;
  why = ErrorText(errno);
  return false;
}

bool MoveFileOver(const char* from, const char* to, std::string& why) {
  if (std::rename(from, to) == 0) return true;
  why = "cannot replace the file: " + ErrorText(errno);
  return false;
}

void RemoveFile(const char* path) { ::unlink(path); }
