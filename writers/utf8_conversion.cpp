#include "writers/utf8_conversion.h"

#include <cstdint>

#include "export/export_state.h"

namespace {

Utf8Conversion padNameConversion = nullptr;
Utf8Conversion userTextConversion = nullptr;

// Windows-1252's characters for 0x80-0x9F.
constexpr std::uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool InRange(unsigned char c, unsigned low, unsigned high) { return c >= low && c <= high; }

// The length of the well-formed character at `i`, 0 if there is none. Sets
// `incomplete` when the bytes from `i` to the end begin a character that the
// end of the text cuts off.
std::size_t CharacterLength(std::string_view text, std::size_t i, bool& incomplete) {
  incomplete = false;
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (InRange(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (InRange(lead, 0xF0, 0xF4)) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k == text.size()) {
      incomplete = true;
      return 0;
    }
    const unsigned char c = static_cast<unsigned char>(text[i + k]);
    if (!(k == 1 ? InRange(c, low, high) : InRange(c, 0x80, 0xBF))) return 0;
  }
  return length;
}

// The length of the longest well-formed start of `text`; `cutAtEnd` tells
// whether what follows it is only a character that the end cuts off.
std::size_t ValidPrefixLength(std::string_view text, bool& cutAtEnd) {
  std::size_t i = 0;
  bool incomplete = false;
  while (i < text.size()) {
    const std::size_t length = CharacterLength(text, i, incomplete);
    if (length == 0) break;
    i += length;
  }
  cutAtEnd = incomplete;
  return i;
}

}  // namespace

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::size_t Utf8CharacterLength(std::string_view text, std::size_t i) {
  bool incomplete = false;
  return CharacterLength(text, i, incomplete);
}

bool IsValidUtf8(std::string_view text) {
  bool cutAtEnd = false;
  return ValidPrefixLength(text, cutAtEnd) == text.size();
}

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    AppendUtf8(out, InRange(c, 0x80, 0x9F) ? kWindows1252High[c - 0x80] : c);
  }
  return out;
}

std::string Utf8AsIs(std::string_view text) {
  bool cutAtEnd = false;
  const std::size_t valid = ValidPrefixLength(text, cutAtEnd);
  if (valid == text.size()) return std::string(text);
  if (cutAtEnd && text.size() == static_cast<std::size_t>(kPadNameMaxLength))
    return std::string(text.substr(0, valid));
  return Windows1252ToUtf8(text);
}

ScopedUtf8Conversion::ScopedUtf8Conversion(Utf8Conversion padNames, Utf8Conversion userText)
    : previousPadNames_(padNameConversion), previousUserText_(userTextConversion) {
  padNameConversion = padNames;
  userTextConversion = userText != nullptr ? userText : padNames;
}

ScopedUtf8Conversion::~ScopedUtf8Conversion() {
  padNameConversion = previousPadNames_;
  userTextConversion = previousUserText_;
}

std::string ExportTextToUtf8(std::string_view text) {
  return padNameConversion != nullptr ? padNameConversion(text) : Windows1252ToUtf8(text);
}

std::string UserTextToUtf8(std::string_view text) {
  return userTextConversion != nullptr ? userTextConversion(text) : Windows1252ToUtf8(text);
}

bool ExportTextIsUtf8() { return padNameConversion == &Utf8AsIs; }
