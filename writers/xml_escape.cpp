#include "writers/xml_escape.h"

namespace {

// The UTF-8 forms of U+FFFE and U+FFFF share their first two bytes.
bool IsXmlNonCharacter(std::string_view text, std::size_t i) {
  return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF &&
         static_cast<unsigned char>(text[i + 1]) == 0xBF &&
         (static_cast<unsigned char>(text[i + 2]) == 0xBE || static_cast<unsigned char>(text[i + 2]) == 0xBF);
}

void Append(std::string& out, std::string_view text, bool utf8) {
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
        if (utf8 && IsXmlNonCharacter(text, i)) {
          out += "\xEF\xBF\xBD";
          i += 2;
        } else {
          out += c < 0x20 ? ' ' : static_cast<char>(c);
        }
        break;
    }
  }
}

}  // namespace

void AppendXmlEscaped(std::string& out, std::string_view text) { Append(out, text, false); }

void AppendXmlEscapedUtf8(std::string& out, std::string_view utf8) { Append(out, utf8, true); }
