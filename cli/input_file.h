// Reading a whole input file of drummap-export, bounded in size.
#pragma once

#include <cstddef>
#include <string>

// Reads at most `limit` bytes of the file at `path`; a file with more is
// refused, as is one that cannot be opened or read. Stops reading one byte
// past the limit, so an endless input ends the read quickly.
bool ReadInputFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason);
