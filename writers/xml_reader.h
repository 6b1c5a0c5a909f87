// A small, strict XML reader for the files drummap-export reads: drum maps,
// MIDI name documents and pitch lists. It builds a tree of elements with
// their attributes and text. It reads no DTD (a DOCTYPE is skipped, one with
// declarations inside is refused), expands no entity other than the five
// predefined ones and character references, opens no other file and goes to
// no network. Nesting deeper than kXmlMaxDepth and more than
// kXmlMaxElements elements are refused, so a hostile file costs bounded time
// and memory. It is our own rather than libxml2 so that the Windows build of
// drummap-export, which has no libxml2, reads the same files the same way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

constexpr int kXmlMaxDepth = 64;
constexpr std::size_t kXmlMaxElements = 200000;

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<XmlElement> children;
  std::string text;  // the character data directly inside, pieces joined
  int line = 0;      // where the start tag begins, 1 for the first line

  // The value of the attribute `name`, or null.
  const std::string* Attribute(std::string_view attributeName) const;
  // The first child element called `childName`, or null.
  const XmlElement* Child(std::string_view childName) const;
};

enum class XmlText {
  kUtf8,   // the document must be valid UTF-8 (a UTF-8 byte-order mark is skipped)
  kBytes,  // bytes above 0x7F are taken as they are (the 8-bit drum map)
};

// Parses `bytes` into `root`. On failure returns false with a one-line
// reason in `reason` that names the line.
bool ParseXml(std::string_view bytes, XmlText text, XmlElement& root, std::string& reason);
