// The few file operations that differ between Windows and POSIX. Everything
// else in the writers is standard C++. A call that fails puts into `why` the
// reason, one line: the system's text for the error, or a reason of its own.
#pragma once

#include <cstdio>
#include <string>

// The file that a write to a path replaces, as ResolveTarget finds it.
struct TargetFile {
  std::string path;          // the path with every symbolic link followed
  bool throughLink = false;  // the path given was a symbolic link
  bool exists = false;
  // What the new file keeps of the old one. POSIX: the permission bits, the
  // owner and the group. Windows: the file attributes.
  unsigned long mode = 0;
  long long owner = -1;
  long long group = -1;
};

// Follows `path` through symbolic links to the file that writing it replaces
// (a dangling link gives the path it names) and checks that it may be
// replaced: either nothing is there, or a regular file the user may write.
// Anything else (a folder, a device, a FIFO, a socket, a read-only file) is
// refused and left alone.
bool ResolveTarget(const char* path, TargetFile& target, std::string& why);

// Creates `path` for binary writing; fails if anything already exists there
// (and then sets `nameTaken`). When `like` exists, the new file gets its
// permission bits (and owner and group where the process may set them) or
// its attributes before anything is written into it.
std::FILE* CreateNewFile(const char* path, const TargetFile& like, bool& nameTaken, std::string& why);

// Pushes the file's written data to the storage device.
bool SyncFile(std::FILE* file, std::string& why);

// Moves `from` over `to` in one step, replacing `to` if it exists. Fails,
// leaving both untouched, when `to` is read-only or cannot be replaced.
bool MoveFileOver(const char* from, const char* to, std::string& why);

// Removes `path`; failures are ignored (used only to clean up). Safe to call
// from a signal handler.
void RemoveFile(const char* path);
