#include "writers/xml_escape.h"

namespace {

// The UTF-8 forms of U+FFFE and U+FFFF share their first two bytes.
bool IsXmlNonCharacter(std::string_view text, std::size_t i) {
  return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF &&
         static_cast<unsigned char>(text[i + 1]) == 0xBF &&
         (static_cast<unsigned char>(text[i + 2]) == 0xBE || static_cast<unsigned char>(text[i + 2]) == 0xBF);
}

// `nonCharacter` null: 8-bit text, copied byte for byte.
void Append(std::string& out, std::string_view text, const char* nonCharacter) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        if (nonCharacter != nullptr && IsXmlNonCharacter(text, i)) {
          out += nonCharacter;
          i += 2;
        } else {
          out += c < 0x20 ? ' ' : static_cast<char>(c);
        }
        break;
    }
  }
}

}  // namespace

void AppendXmlEscaped(std::string& out, std::string_view text) { Append(out, text, nullptr); }

void AppendXmlEscapedUtf8(std::string& out, std::string_view utf8, const char* nonCharacter) {
  Append(out, utf8, nonCharacter);
}
