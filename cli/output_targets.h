// Where drummap-export writes each file: what -o names (one file, standard
// output, a folder, or nothing: the current folder) and the file for each
// input and format.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "writers/drum_map_format.h"

class OutputTargets {
 public:
  // -o's value (empty when not given). A value that ends in / (or \ on
  // Windows) or names an existing folder is a folder.
  explicit OutputTargets(const std::string& output);

  // Why -o cannot take this many files (one file or standard output for
  // several inputs or formats), or empty.
  std::string Problem(std::size_t inputs, std::size_t formats) const;

  bool ToStandardOutput() const { return kind_ == Kind::kStandardOutput; }

  // The file to write the map called `mapName` in `format`: -o's file, or
  // the default name (writers' DefaultOutputFileName) in the folder. False
  // with a reason when that path is too long or this run wrote it already
  // (the XML and the binary drum map share an extension, and two inputs may
  // share a name).
  bool Target(const std::string& mapName, const DrumMapFormatInfo& format, std::string& path,
              std::string& reason);

 private:
  enum class Kind { kCurrentFolder, kFile, kStandardOutput, kFolder };
  Kind kind_;
  std::string output_;
  std::set<std::string> written_;
};
