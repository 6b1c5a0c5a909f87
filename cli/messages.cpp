#include "cli/messages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "writers/utf8_conversion.h"

std::string Printable(const std::string& text) {
  std::string shown;
  const auto escape = [&shown](unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    shown += escaped;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8CharacterLength(text, i);
    if (byte < 0x20 || byte == 0x7F || (length == 0 && byte <= 0x9F)) {
      escape(byte);
    } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      escape(byte);
      escape(static_cast<unsigned char>(text[++i]));
    } else if (length > 1) {
      shown.append(text, i, length);
      i += length - 1;
    } else {
      shown += text[i];
    }
  }
  return shown;
}

int Failure(std::ostream& err, const std::string& path, const std::string& reason) {
  err << "drummap-export: " << Printable(path + ": " + reason) << "\n";
  return 1;
}

void Warning(std::ostream& err, const std::string& path, const std::string& warning) {
  err << "drummap-export: warning: " << Printable(path + ": " + warning) << "\n";
}

int PutOnStandardOutput(std::ostream& out, std::ostream& err, const std::string& text) {
  errno = 0;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (out) return 0;
  return Failure(err, "standard output", errno != 0 ? std::strerror(errno) : "write error");
}
