// The conversions of the export state's 8-bit text to UTF-8, and how
// drummap-export chooses one for a kit.
#include "writers/utf8_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/kit_file.h"
#include "export/export_state.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

// Every byte from 0x80 to 0xFF once.
std::string HighBytes() {
  std::string bytes;
  for (int c = 0x80; c <= 0xFF; ++c) bytes += static_cast<char>(c);
  return bytes;
}

// Windows-1252 as the platform converts it: Windows itself, or iconv, which
// knows the five undefined bytes not at all (they are left out here).
std::string PlatformWindows1252(unsigned char byte) {
#ifdef _WIN32
  const char in = static_cast<char>(byte);
  wchar_t wide[2] = {};
  if (MultiByteToWideChar(1252, 0, &in, 1, wide, 2) != 1) return "?";
  char utf8[8] = {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, 1, utf8, sizeof utf8, nullptr, nullptr);
  return std::string(utf8, length > 0 ? length : 0);
#else
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "?";
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inPtr = in;
  char* outPtr = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) return "";  // undefined in iconv's table
  return std::string(out, sizeof out - outLeft);
#endif
}

TEST(Windows1252ToUtf8, EveryByteAsThePlatformConvertsIt) {
  const std::string undefined = "\x81\x8D\x8F\x90\x9D";
  for (int c = 0x01; c <= 0xFF; ++c) {
    SCOPED_TRACE(c);
    const std::string byte(1, static_cast<char>(c));
    const std::string converted = Windows1252ToUtf8(byte);
    if (undefined.find(static_cast<char>(c)) != std::string::npos) {
      // The control character of the same number, as Windows gives it.
      EXPECT_EQ(converted, std::string("\xC2") + static_cast<char>(c));
#ifdef _WIN32
      EXPECT_EQ(converted, PlatformWindows1252(static_cast<unsigned char>(c)));
#endif
    } else {
      EXPECT_EQ(converted, PlatformWindows1252(static_cast<unsigned char>(c)));
    }
  }
}

TEST(Windows1252ToUtf8, WorkedValues) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"Kick", "Kick"},
      {"Caf\xe9", "Caf\xc3\xa9"},
      {"\x80", "\xe2\x82\xac"},                      // euro sign
      {"\x93Hi\x94", "\xe2\x80\x9cHi\xe2\x80\x9d"},  // curly quotes
      {"\x9f\xff", "\xc5\xb8\xc3\xbf"},              // Y and y with diaeresis
      {"\xa0", "\xc2\xa0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Windows1252ToUtf8(c.in), c.out);
  }
  EXPECT_TRUE(IsValidUtf8(Windows1252ToUtf8(HighBytes())));
}

TEST(IsValidUtf8, WellFormedAndMalformed) {
  const struct {
    const char* what;
    std::string text;
    bool valid;
  } cases[] = {
      {"empty", "", true},
      {"ASCII with controls", "a\t\x01\x7f", true},
      {"two bytes", "\xc3\xa9", true},
      {"three bytes", "\xe2\x82\xac", true},
      {"four bytes", "\xf0\x9f\xa5\x81", true},
      {"highest character", "\xf4\x8f\xbf\xbf", true},
      {"U+FFFF is well-formed", "\xef\xbf\xbf", true},
      {"lone continuation byte", "\x80", false},
      {"Latin-1 e acute", "Caf\xe9", false},
      {"overlong slash", "\xc0\xaf", false},
      {"overlong three bytes", "\xe0\x80\xaf", false},
      {"surrogate", "\xed\xa0\x80", false},
      {"above U+10FFFF", "\xf4\x90\x80\x80", false},
      {"F5 lead byte", "\xf5\x80\x80\x80", false},
      {"cut at the end", "ab\xe2\x82", false},
      {"second byte not a continuation", "\xc3(", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(IsValidUtf8(c.text), c.valid);
  }
}

TEST(Utf8AsIs, KeepsValidTextAndReadsAnyOtherAsWindows1252) {
  const std::string cutName = std::string(252, 'a') + "\xe2\x82";  // 254 bytes, the euro sign cut
  const std::string shortCut = std::string(100, 'a') + "\xe2\x82";
  const struct {
    const char* what;
    std::string in, out;
  } cases[] = {
      {"ASCII", "Kick", "Kick"},
      {"UTF-8", "Caf\xc3\xa9 \xf0\x9f\xa5\x81", "Caf\xc3\xa9 \xf0\x9f\xa5\x81"},
      {"Windows-1252", "Caf\xe9", "Caf\xc3\xa9"},
      {"pad name cut inside a character", cutName, std::string(252, 'a')},
      {"shorter text cut inside a character", shortCut, std::string(100, 'a') + "\xc3\xa2\xe2\x80\x9a"},
      {"malformed in the middle", "\xc3\xa9\xff", "\xc3\x83\xc2\xa9\xc3\xbf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string converted = Utf8AsIs(c.in);
    EXPECT_EQ(converted, c.out);
    EXPECT_TRUE(IsValidUtf8(converted));
  }
}

std::string Identity(std::string_view text) { return "<" + std::string(text) + ">"; }

TEST(ScopedUtf8Conversion, InstallsForItsScopeAndRestoresThePrevious) {
  EXPECT_EQ(ExportTextToUtf8("\xe9"), "\xc3\xa9") << "Windows-1252 while none is installed";
  {
    const ScopedUtf8Conversion outer(&Identity);
    EXPECT_EQ(ExportTextToUtf8("x"), "<x>");
    EXPECT_EQ(UserTextToUtf8("x"), "<x>") << "the map name's is the pad names' unless given";
    {
      const ScopedUtf8Conversion inner(&Windows1252ToUtf8, &Utf8AsIs);
      EXPECT_EQ(ExportTextToUtf8("\xc3\xa9"), "\xc3\x83\xc2\xa9");
      EXPECT_EQ(UserTextToUtf8("\xc3\xa9"), "\xc3\xa9");
    }
    EXPECT_EQ(ExportTextToUtf8("x"), "<x>");
    EXPECT_EQ(UserTextToUtf8("x"), "<x>");
  }
  EXPECT_EQ(ExportTextToUtf8("\xc3\xa9"), "\xc3\x83\xc2\xa9");
  EXPECT_EQ(UserTextToUtf8("\xc3\xa9"), "\xc3\x83\xc2\xa9");
}

// The whole kit decides: one name that is not UTF-8 makes every name
// Windows-1252, even one that would be valid UTF-8 on its own.
TEST(KitTextConversion, TheWholeKitDecides) {
  const struct {
    const char* what;
    std::vector<std::string> names;
    Utf8Conversion expected;
  } cases[] = {
      {"no names", std::vector<std::string>(kPadCount), &Utf8AsIs},
      {"ASCII", {"Kick", "", "Snare"}, &Utf8AsIs},
      {"UTF-8", {"Caf\xc3\xa9", "\xe2\x82\xac"}, &Utf8AsIs},
      {"one Windows-1252 name", {"Caf\xc3\xa9", "", "Caf\xe9"}, &Windows1252ToUtf8},
      {"Windows-1252 only", {"\x93Hi\x94"}, &Windows1252ToUtf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(KitTextConversion(c.names), c.expected);
  }
}

}  // namespace
