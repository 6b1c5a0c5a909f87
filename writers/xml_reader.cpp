#include "writers/xml_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "writers/utf8_conversion.h"

const std::string* XmlElement::Attribute(std::string_view attributeName) const {
  for (const auto& attribute : attributes)
    if (attribute.first == attributeName) return &attribute.second;
  return nullptr;
}

const XmlElement* XmlElement::Child(std::string_view childName) const {
  for (const XmlElement& child : children)
    if (child.name == childName) return &child;
  return nullptr;
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameStart(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Code points that XML 1.0 allows in a document.
bool IsXmlChar(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  bool Document(XmlElement& root, std::string& reason) {
    const bool ok = Prolog() && Element(root, 1) && Epilog();
    if (!ok) reason = "XML line " + std::to_string(line_) + ": " + reason_;
    return ok;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool LooksAt(const char* s) const { return text_.compare(pos_, std::strlen(s), s) == 0; }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  void Advance(std::size_t n = 1) {
    n = std::min(n, text_.size() - pos_);
    line_ += static_cast<int>(std::count(text_.begin() + pos_, text_.begin() + pos_ + n, '\n'));
    pos_ += n;
  }

  // The length of the run from here that holds none of `stops` (a byte loop:
  // find_first_of would call memchr for every byte).
  std::size_t RunWithout(const char* stops) const {
    bool stop[256] = {};
    for (const char* c = stops; *c != '\0'; ++c) stop[static_cast<unsigned char>(*c)] = true;
    std::size_t end = pos_;
    while (end < text_.size() && !stop[static_cast<unsigned char>(text_[end])]) ++end;
    return end - pos_;
  }

  bool Fail(const std::string& reason) {
    reason_ = reason;
    return false;
  }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) Advance();
  }

  // Moves past `end`; false when the text ends first.
  bool SkipPast(const char* end) {
    const std::size_t found = text_.find(end, pos_);
    if (found == std::string_view::npos) return false;
    Advance(found - pos_ + std::strlen(end));
    return true;
  }

  bool Comment() {
    Advance(4);
    if (!SkipPast("-->")) return Fail("a comment is not closed (the file is cut short?)");
    return true;
  }

  bool ProcessingInstruction() {
    Advance(2);
    if (!SkipPast("?>")) return Fail("a processing instruction is not closed (the file is cut short?)");
    return true;
  }

  // <!DOCTYPE name PUBLIC "..." "...">: skipped, never loaded. Declarations
  // inside brackets could define entities, so a file with them is refused.
  bool Doctype() {
    Advance(9);
    char quote = '\0';
    while (!AtEnd()) {
      const char c = Peek();
      if (quote != '\0') {
        if (c == quote) quote = '\0';
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        return Fail("the DOCTYPE holds declarations, which are not read");
      } else if (c == '>') {
        Advance();
        return true;
      }
      Advance();
    }
    return Fail("the DOCTYPE is not closed (the file is cut short?)");
  }

  bool Misc(bool doctypeAllowed) {
    for (;;) {
      SkipSpace();
      if (LooksAt("<!--")) {
        if (!Comment()) return false;
      } else if (LooksAt("<?")) {
        if (!ProcessingInstruction()) return false;
      } else if (LooksAt("<!DOCTYPE")) {
        if (!doctypeAllowed) return Fail("a second DOCTYPE, or one after the root element");
        doctypeAllowed = false;
        if (!Doctype()) return false;
      } else {
        return true;
      }
    }
  }

  bool Prolog() {
    if (!Misc(true)) return false;
    if (AtEnd()) return Fail("no element (an empty file?)");
    if (Peek() != '<') return Fail("text before the first element");
    return true;
  }

  bool Epilog() {
    if (!Misc(false)) return false;
    if (!AtEnd()) return Fail("more after the root element");
    return true;
  }

  bool Name(std::string& name) {
    if (AtEnd() || !IsNameStart(Peek())) return Fail("a name was expected");
    const std::size_t start = pos_;
    while (!AtEnd() && IsNameChar(Peek())) ++pos_;  // a name holds no line break
    name.assign(text_.substr(start, pos_ - start));
    return true;
  }

  // After '&': a predefined entity or a character reference.
  bool Reference(std::string& out) {
    Advance();
    const std::size_t end = text_.find(';', pos_);
    if (end == std::string_view::npos || end - pos_ > 10) return Fail("an '&' that starts no reference");
    const std::string_view ref = text_.substr(pos_, end - pos_);
    static const struct {
      const char* name;
      char c;
    } kPredefined[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& entity : kPredefined) {
      if (ref == entity.name) {
        out += entity.c;
        Advance(ref.size() + 1);
        return true;
      }
    }
    if (ref.size() < 2 || ref[0] != '#') return Fail("the entity '&" + std::string(ref) + ";' is not read");
    const bool hex = ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty()) return Fail("an empty character reference");
    std::uint32_t code = 0;
    for (const char d : digits) {
      int value;
      if (d >= '0' && d <= '9') {
        value = d - '0';
      } else if (hex && d >= 'a' && d <= 'f') {
        value = d - 'a' + 10;
      } else if (hex && d >= 'A' && d <= 'F') {
        value = d - 'A' + 10;
      } else {
        return Fail("a character reference with a bad digit");
      }
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
      if (code > 0x10FFFF) return Fail("a character reference out of range");
    }
    if (!IsXmlChar(code)) return Fail("a character reference to a character XML does not allow");
    AppendUtf8(out, code);
    Advance(ref.size() + 1);
    return true;
  }

  bool AttributeValue(std::string& value) {
    const char quote = Peek();
    if (quote != '"' && quote != '\'') return Fail("an attribute value without quotes");
    Advance();
    for (;;) {
      if (AtEnd()) return Fail("an attribute value is not closed (the file is cut short?)");
      const char c = Peek();
      if (c == quote) {
        Advance();
        return true;
      }
      if (c == '<') return Fail("a '<' inside an attribute value");
      if (c == '&') {
        if (!Reference(value)) return false;
        continue;
      }
      if (c == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') Advance();
      if (IsSpace(c)) {
        // Line breaks and TABs in a value read as spaces.
        value += ' ';
        Advance();
        continue;
      }
      const std::size_t run = RunWithout(quote == '"' ? "\"<&\t\n\r" : "'<&\t\n\r");
      value.append(text_.substr(pos_, run));
      pos_ += run;  // no line break in the run
    }
  }

  bool Element(XmlElement& element, int depth) {
    if (depth > kXmlMaxDepth) return Fail("elements nested deeper than " + std::to_string(kXmlMaxDepth));
    if (++elements_ > kXmlMaxElements)
      return Fail("more than " + std::to_string(kXmlMaxElements) + " elements");
    element.line = line_;
    Advance();  // '<'
    if (!Name(element.name)) return false;
    element.attributes.reserve(2);  // the drum map's elements have two
    for (;;) {
      const bool spaced = !AtEnd() && IsSpace(Peek());
      SkipSpace();
      if (AtEnd()) return Fail("a start tag is not closed (the file is cut short?)");
      if (LooksAt("/>")) {
        Advance(2);
        return true;
      }
      if (Peek() == '>') {
        Advance();
        break;
      }
      if (!spaced) return Fail("attributes must be separated by blanks");
      std::string name;
      std::string value;
      if (!Name(name)) return false;
      SkipSpace();
      if (Peek() != '=') return Fail("an attribute without '='");
      Advance();
      SkipSpace();
      if (!AttributeValue(value)) return false;
      if (element.Attribute(name) != nullptr) return Fail("the attribute '" + name + "' appears twice");
      element.attributes.emplace_back(std::move(name), std::move(value));
    }
    return Content(element, depth);
  }

  bool Content(XmlElement& element, int depth) {
    for (;;) {
      if (AtEnd()) return Fail("the element '" + element.name + "' is not closed (the file is cut short?)");
      const char c = Peek();
      if (c == '&') {
        if (!Reference(element.text)) return false;
      } else if (c == '\r') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') Advance();
        element.text += '\n';
        Advance();
      } else if (c != '<') {
        const std::size_t run = RunWithout("<&\r");
        element.text.append(text_.substr(pos_, run));
        Advance(run);
      } else if (pos_ + 1 < text_.size() && IsNameStart(text_[pos_ + 1])) {
        element.children.emplace_back();
        if (!Element(element.children.back(), depth + 1)) return false;
      } else if (LooksAt("</")) {
        Advance(2);
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(Peek())) ++pos_;  // a name holds no line break
        const std::string_view name = text_.substr(start, pos_ - start);
        if (name.empty()) return Fail("a name was expected");
        if (name != element.name)
          return Fail("'</" + std::string(name) + ">' closes '<" + element.name + ">'");
        SkipSpace();
        if (Peek() != '>') return Fail("an end tag is not closed");
        Advance();
        return true;
      } else if (LooksAt("<!--")) {
        if (!Comment()) return false;
      } else if (LooksAt("<![CDATA[")) {
        Advance(9);
        const std::size_t end = text_.find("]]>", pos_);
        if (end == std::string_view::npos) return Fail("a CDATA section is not closed");
        element.text.append(text_.substr(pos_, end - pos_));
        Advance(end - pos_ + 3);
      } else if (LooksAt("<?")) {
        if (!ProcessingInstruction()) return false;
      } else if (LooksAt("<!")) {
        return Fail("a declaration inside an element");
      } else {
        return Fail("a name was expected");
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  std::size_t elements_ = 0;
  std::string reason_;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool ParseXml(std::string_view bytes, XmlText text, XmlElement& root, std::string& reason) {
  root = XmlElement();
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    reason = "the file is UTF-16 text, which is not read; save it as UTF-8";
    return false;
  }
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  // Characters XML does not allow: NUL and the other control characters
  // but TAB and line breaks, in UTF-8 also U+FFFE and U+FFFF; and text that
  // is not UTF-8 where UTF-8 is wanted. Each is named with its line.
  const bool utf8 = text == XmlText::kUtf8;
  const bool validUtf8 = !utf8 || IsValidUtf8(bytes);
  int line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\n') {
      if (!validUtf8 && !IsValidUtf8(bytes.substr(lineStart, i - lineStart))) break;
      ++line;
      lineStart = i + 1;
    } else if (c < 0x20 && c != '\t' && c != '\r') {
      reason =
          "XML line " + std::to_string(line) +
          (c == 0 ? ": a NUL byte (is it a text file?)" : ": a control character, which XML does not allow");
      return false;
    } else if (c == 0xEF && utf8 && i + 2 < bytes.size() && bytes[i + 1] == '\xBF' &&
               (bytes[i + 2] == '\xBE' || bytes[i + 2] == '\xBF')) {
      reason = "XML line " + std::to_string(line) + ": U+FFFE or U+FFFF, which XML does not allow";
      return false;
    }
  }
  if (!validUtf8) {
    reason = "XML line " + std::to_string(line) + ": not valid UTF-8";
    return false;
  }
  return Parser(bytes).Document(root, reason);
}
