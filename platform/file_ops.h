// The few file operations that differ between Windows and POSIX. Everything
// else in the writers is standard C++. A call that fails puts into `reason`
// one line: the system's text for the error, or a reason of its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

// The file that a write to a path replaces, as ResolveTarget finds it.
// POSIX: the final file's folder stays open from the resolution on, and
// every later step (create, set owner and mode, rename, remove) happens
// relative to it, so a folder swapped for a link on the way changes nothing.
struct TargetFile {
  std::string path;          // the path with every symbolic link followed
  bool throughLink = false;  // the path given was a symbolic link
  bool exists = false;
  // What the new file keeps of the old one. POSIX: the permission bits, the
  // owner and the group (and the access ACL, read from `file`). Windows: the
  // file attributes.
  unsigned long mode = 0;
  long long owner = -1;
  long long group = -1;
  int folder = -1;   // POSIX: the final file's folder, opened without following links
  int file = -1;     // POSIX: the old file, opened without following links
  std::string name;  // POSIX: the final file's name in `folder`

  TargetFile() = default;
  ~TargetFile();
  TargetFile(TargetFile&& other) noexcept { *this = std::move(other); }
  TargetFile& operator=(TargetFile&& other) noexcept;
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;
};

// Follows `path` through symbolic links to the file that writing it replaces
// (a dangling link gives the path it names) and checks that it may be
// replaced: either nothing is there, or a regular file the user may write.
// Anything else (a folder, a device, a FIFO, a socket, a read-only file) is
// refused and left alone. POSIX: a link is followed only where the kernel
// would follow it with fs.protected_symlinks=1: in a world-writable sticky
// folder only a link of the caller or of the folder's owner.
bool ResolveTarget(const char* path, TargetFile& target, std::string& reason);

// Creates the file `path` (beside the target, in its folder) for binary
// writing; fails if anything already exists there (and then sets
// `nameTaken`). When the target exists, the new file gets its permission
// bits (owner, group and access ACL where the process may set them) or its
// attributes before anything is written into it.
std::FILE* CreateNewFile(const TargetFile& target, const std::string& path, bool& nameTaken,
                         std::string& reason);

// Pushes the file's written data to the storage device.
bool SyncFile(std::FILE* file, std::string& reason);

// Moves the file `from` (beside the target) over the target in one step.
// Fails, leaving both untouched, when the target is read-only or cannot be
// replaced.
bool MoveFileOver(const TargetFile& target, const std::string& from, std::string& reason);

// Removes `path` (POSIX: the file of that name in the open folder `folder`,
// when it is not -1); failures are ignored (used only to clean up). Safe to
// call from a signal handler.
void RemoveFile(int folder, const char* path);

// What tells one existing file from every other: its device and inode, or on
// Windows its volume and file index.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId& other) const { return volume == other.volume && index == other.index; }
};

// The identity of the existing file at `path` (links followed); false when
// there is none.
bool FindFileId(const char* path, FileId& id);

// While it lives, SIGINT, SIGTERM, SIGHUP and SIGQUIT wait (POSIX): a
// temporary file is created and registered for clean-up under it, so that no
// interrupt falls between the two. Nothing on Windows.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  alignas(16) unsigned char previous_[256];  // the signal mask before (a sigset_t)
};
