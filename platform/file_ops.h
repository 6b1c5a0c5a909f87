// The few file operations that differ between Windows and POSIX. Everything
// else in the writers is standard C++.
#pragma once

#include <cstdio>

// Creates `path` for binary writing; fails if anything already exists there.
std::FILE* CreateNewFile(const char* path);

// Pushes the file's written data to the storage device.
bool SyncFile(std::FILE* file);

// Moves `from` over `to` in one step, replacing `to` if it exists. Fails,
// leaving both untouched, when `to` is read-only or cannot be replaced.
bool MoveFileOver(const char* from, const char* to);

// Removes `path`; failures are ignored (used only to clean up).
void RemoveFile(const char* path);
