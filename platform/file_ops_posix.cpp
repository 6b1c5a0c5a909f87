#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_ops.h"

#ifndef O_PATH
#define O_PATH (O_RDONLY | O_NONBLOCK)  // where the system has no handles for paths
#endif

namespace {

// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

constexpr const char* kAccessAcl = "system.posix_acl_access";

std::string ErrorText(int error) { return std::strerror(error); }

// An open descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// The name part of `path` (after its last '/'). Async-signal-safe.
const char* NameOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? path : slash + 1;
}

// The parts of `path` between slashes, the first one last; a path ending in
// '/' ends in "." (it names a folder).
void PushParts(const std::string& path, std::vector<std::string>& pending) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  if (!path.empty() && path.back() == '/') parts.push_back(".");
  pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

// The path walked so far, for messages: folders that are no links, so a
// ".." takes the last one off.
class ShownPath {
 public:
  void Start(bool absolute) {
    absolute_ = absolute;
    folders_.clear();
    ups_ = 0;
  }
  void Enter(const std::string& folder) {
    if (folder != "..")
      folders_.push_back(folder);
    else if (!folders_.empty())
      folders_.pop_back();
    else if (!absolute_)
      ++ups_;
  }
  std::string With(const std::string& name) const {
    std::string text = absolute_ ? "/" : "";
    for (int i = 0; i < ups_; ++i) text += "../";
    for (const std::string& folder : folders_) text += folder + "/";
    return text + name;
  }

 private:
  bool absolute_ = false;
  std::vector<std::string> folders_;
  int ups_ = 0;
};

// The text of the link opened as `link` (without following it).
bool ReadLink(int link, std::size_t sizeHint, std::string& text, std::string& reason) {
  std::vector<char> buffer(sizeHint + 2);
  for (;;) {
    const ssize_t got = ::readlinkat(link, "", buffer.data(), buffer.size());
    if (got < 0) {
      reason = ErrorText(errno);
      return false;
    }
    if (static_cast<std::size_t>(got) < buffer.size()) {
      text.assign(buffer.data(), static_cast<std::size_t>(got));
      return true;
    }
    buffer.resize(buffer.size() * 2);  // the link grew since fstat
  }
}

// The kernel's rule with fs.protected_symlinks=1: in a sticky folder that
// everybody may write, a link is followed only when it belongs to the caller
// or to the folder's owner; anybody could have planted any other.
bool MayFollow(int folder, const struct stat& link) {
  struct stat info;
  if (::fstat(folder, &info) != 0) return false;
  const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid;
}

// The permissions of the owning group in a POSIX access ACL as stored in
// its attribute (a version word, then entries of tag, permissions and id),
// or -1 when there is no such entry.
int OwningGroupBits(const std::vector<char>& acl) {
  constexpr std::size_t kHeader = 4, kEntry = 8;
  constexpr std::uint16_t kGroupObject = 0x04;
  for (std::size_t at = kHeader; at + kEntry <= acl.size(); at += kEntry) {
    std::uint16_t tag, bits;
    std::memcpy(&tag, &acl[at], sizeof tag);
    std::memcpy(&bits, &acl[at + 2], sizeof bits);
    if (tag == kGroupObject) return bits & 07;
  }
  return -1;
}

// Gives `made` the access ACL of the old file `old` (an O_PATH handle, read
// through /proc), or none when the old file has none. Where the ACL cannot
// be set, the group bits (the ACL's mask) are cut to the owning group's, so
// no one reads the new file who could not read the old one.
void CopyAccessAcl(int old, int made, unsigned long mode) {
  const std::string oldPath = "/proc/self/fd/" + std::to_string(old);
  std::vector<char> acl(256);
  ssize_t size;
  while ((size = ::getxattr(oldPath.c_str(), kAccessAcl, acl.data(), acl.size())) < 0 && errno == ERANGE)
    acl.resize(acl.size() * 4);
  if (size < 0) {
    // No ACL (or none this file system keeps): none inherited from the
    // folder's default either.
    if (errno == ENODATA) ::fremovexattr(made, kAccessAcl);
    return;
  }
  acl.resize(static_cast<std::size_t>(size));
  if (::fsetxattr(made, kAccessAcl, acl.data(), acl.size(), 0) == 0) return;
  const int group = OwningGroupBits(acl);
  if (group >= 0)
    ::fchmod(made, static_cast<mode_t>((mode & ~070ul) | (static_cast<unsigned long>(group) << 3)));
}

}  // namespace

TargetFile::~TargetFile() {
  if (folder >= 0) ::close(folder);
  if (file >= 0) ::close(file);
}

TargetFile& TargetFile::operator=(TargetFile&& other) noexcept {
  if (this == &other) return *this;
  if (folder >= 0) ::close(folder);
  if (file >= 0) ::close(file);
  path = std::move(other.path);
  throughLink = other.throughLink;
  exists = other.exists;
  mode = other.mode;
  owner = other.owner;
  group = other.group;
  folder = std::exchange(other.folder, -1);
  file = std::exchange(other.file, -1);
  name = std::move(other.name);
  return *this;
}

// Walks the path one name at a time from a folder held open, the way the
// kernel does: each name is opened without following links, a link's text
// takes its place, and nothing is ever looked up by the whole path again.
// Link texts are walked rather than joined, so a chain of relative links
// never grows into a path that is too long.
bool ResolveTarget(const char* path, TargetFile& target, std::string& reason) {
  target = TargetFile();
  const std::string given = path;
  if (given.empty()) {
    reason = ErrorText(ENOENT);
    return false;
  }
  std::vector<std::string> pending;
  PushParts(given, pending);
  ShownPath shown;
  shown.Start(given[0] == '/');
  Descriptor folder(::open(given[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) {
    reason = ErrorText(errno);
    return false;
  }
  int links = 0;
  while (!pending.empty()) {
    const std::string name = pending.back();
    pending.pop_back();
    const bool last = pending.empty();
    if (name == "." || name == "..") {
      if (last) {
        target.path = shown.With(name);
        reason = ErrorText(EISDIR);
        return false;
      }
      if (name == "..") {
        folder.Reset(::openat(folder.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid()) {
          reason = ErrorText(errno);
          return false;
        }
        shown.Enter(name);
      }
      continue;
    }
    Descriptor node(::openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat info;
    if (!node.valid() || ::fstat(node.get(), &info) != 0) {
      const int error = errno;
      if (error == ENOENT && last) {
        // Nothing there (or a dangling link's destination): a new file.
        target.path = shown.With(name);
        target.name = name;
        target.folder = folder.Release();
        return true;
      }
      // A missing folder shows as the temporary file that cannot be made.
      reason = error == ENOENT ? "cannot create a file in its folder: " + ErrorText(error) : ErrorText(error);
      return false;
    }
    if (S_ISLNK(info.st_mode)) {
      target.throughLink = true;
      if (++links > kMaxLinks) {
        reason = ErrorText(ELOOP);
        return false;
      }
      if (!MayFollow(folder.get(), info)) {
        reason = "not following the link " + shown.With(name) +
                 ": it is in a world-writable sticky folder and belongs to neither this user nor the "
                 "folder's owner";
        return false;
      }
      std::string text;
      if (!ReadLink(node.get(), static_cast<std::size_t>(info.st_size), text, reason)) return false;
      if (text.empty()) {
        reason = ErrorText(ENOENT);
        return false;
      }
      if (text[0] == '/') {
        folder.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        shown.Start(true);
      }
      PushParts(text, pending);
      continue;
    }
    if (!last) {
      if (!S_ISDIR(info.st_mode)) {
        reason = ErrorText(ENOTDIR);
        return false;
      }
      folder.Reset(node.Release());
      shown.Enter(name);
      continue;
    }
    target.path = shown.With(name);
    if (S_ISDIR(info.st_mode)) {
      reason = ErrorText(EISDIR);
      return false;
    }
    if (!S_ISREG(info.st_mode)) {
      reason = "not a regular file";
      return false;
    }
    // A file without any write permission bit is read-only, as it would be
    // on Windows; refuse it even where rename() (or root) would not.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      reason = "the file is read-only";
      return false;
    }
    // rename() needs only a writable folder: ask about the file itself.
    if (::faccessat(folder.get(), name.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0) {
      reason = ErrorText(errno);
      return false;
    }
    target.exists = true;
    target.mode = info.st_mode & 07777;
    target.owner = info.st_uid;
    target.group = info.st_gid;
    target.name = name;
    target.folder = folder.Release();
    target.file = node.Release();
    return true;
  }
  // Only "/" or names that lead nowhere else ("a/..") end here.
  target.path = shown.With("");
  reason = ErrorText(EISDIR);
  return false;
}

std::FILE* CreateNewFile(const TargetFile& target, const std::string& path, bool& nameTaken,
                         std::string& reason) {
  nameTaken = false;
  const char* name = NameOf(path.c_str());
  // Readable only by its owner until it has the old file's permissions.
  const int fd = ::openat(target.folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          target.exists ? 0600 : 0666);
  if (fd < 0) {
    nameTaken = errno == EEXIST;
    reason = ErrorText(errno);
    return nullptr;
  }
  if (target.exists) {
    // Owner and group where the process may set them (root; a group the
    // user is in), then the permission bits, which fchown may have cut.
    // The set-user and set-group bits only stay with the old owner.
    const auto owner = static_cast<uid_t>(target.owner);
    const auto group = static_cast<gid_t>(target.group);
    bool sameOwner = ::fchown(fd, owner, group) == 0;
    if (!sameOwner) {
      ::fchown(fd, static_cast<uid_t>(-1), group);
      struct stat made;
      sameOwner = ::fstat(fd, &made) == 0 && made.st_uid == owner && made.st_gid == group;
    }
    const unsigned long mode = target.mode & (sameOwner ? 07777 : 01777);
    // Best effort: some file systems (FAT) keep no permission bits.
    ::fchmod(fd, static_cast<mode_t>(mode));
    if (target.file >= 0) CopyAccessAcl(target.file, fd, mode);
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    reason = ErrorText(errno);
    ::close(fd);
    ::unlinkat(target.folder, name, 0);
  }
  return file;
}

bool SyncFile(std::FILE* file, std::string& reason) {
  if (::fsync(::fileno(file)) == 0) return true;
  reason = ErrorText(errno);
  return false;
}

bool MoveFileOver(const TargetFile& target, const std::string& from, std::string& reason) {
  if (::renameat(target.folder, NameOf(from.c_str()), target.folder, target.name.c_str()) == 0) return true;
  reason = "cannot replace the file: " + ErrorText(errno);
  return false;
}

void RemoveFile(int folder, const char* path) {
  if (folder >= 0)
    ::unlinkat(folder, NameOf(path), 0);
  else
    ::unlink(path);
}

bool FindFileId(const char* path, FileId& id) {
  struct stat info;
  if (::stat(path, &info) != 0) return false;
  id.volume = static_cast<std::uint64_t>(info.st_dev);
  id.index = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

InterruptsHeld::InterruptsHeld() {
  static_assert(sizeof(sigset_t) <= sizeof previous_, "a signal mask fits");
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
  ::pthread_sigmask(SIG_BLOCK, &held, reinterpret_cast<sigset_t*>(previous_));
}

InterruptsHeld::~InterruptsHeld() {
  ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(previous_), nullptr);
}
