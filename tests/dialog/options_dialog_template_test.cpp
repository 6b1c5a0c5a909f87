// The compiled dialog template and version information, read back from the
// program's own resources, where the resource compiler may have added or
// changed bits.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "drummap_version.h"
#include "ui/options_dialog.h"

namespace {

struct Control {
  std::string text;
  std::int32_t id;
  std::string className;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
};

struct Template {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string menu, windowClass, title;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charset = 0;
  std::string typeface;
  std::vector<Control> controls;
};

// Reads the little-endian fields of an extended dialog template.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : data_(data) {}
  template <typename T>
  T Read() {
    T value;
    std::memcpy(&value, data_ + offset_, sizeof value);
    offset_ += sizeof value;
    return value;
  }
  std::string ReadText() {
    std::string text;
    for (WORD c = Read<WORD>(); c != 0; c = Read<WORD>()) text += static_cast<char>(c);
    return text;
  }
  // A name or an ordinal (0xFFFF, then the number); ordinals of the
  // predefined classes are given their names.
  std::string ReadNameOrOrdinal() {
    const WORD first = Read<WORD>();
    if (first == 0) return "";
    if (first == 0xFFFF) {
      const WORD ordinal = Read<WORD>();
      switch (ordinal) {
        case 0x80:
          return "BUTTON";
        case 0x81:
          return "EDIT";
        case 0x82:
          return "STATIC";
        case 0x85:
          return "COMBOBOX";
        default:
          return "#" + std::to_string(ordinal);
      }
    }
    offset_ -= sizeof(WORD);
    return ReadText();
  }
  void AlignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }

 private:
  const BYTE* data_;
  std::size_t offset_ = 0;
};

// The options dialog in the English (United Kingdom) resources of this program.
::testing::AssertionResult LoadOptionsTemplate(Template& out) {
  HRSRC resource = FindResourceExA(nullptr, RT_DIALOG, MAKEINTRESOURCEA(kOptionsDialogId),
                                   MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
  if (resource == nullptr) return ::testing::AssertionFailure() << "no English (UK) dialog 107";
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource)));
  TemplateReader reader(data);
  if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF)
    return ::testing::AssertionFailure() << "not an extended dialog template";
  reader.Read<DWORD>();  // help id
  out.exStyle = reader.Read<DWORD>();
  out.style = reader.Read<DWORD>();
  const WORD count = reader.Read<WORD>();
  out.x = reader.Read<short>();
  out.y = reader.Read<short>();
  out.cx = reader.Read<short>();
  out.cy = reader.Read<short>();
  out.menu = reader.ReadNameOrOrdinal();
  out.windowClass = reader.ReadNameOrOrdinal();
  out.title = reader.ReadText();
  if (out.style & DS_SETFONT) {
    out.pointSize = reader.Read<WORD>();
    out.weight = reader.Read<WORD>();
    out.italic = reader.Read<BYTE>();
    out.charset = reader.Read<BYTE>();
    out.typeface = reader.ReadText();
  }
  for (WORD i = 0; i < count; ++i) {
    reader.AlignToDword();
    Control control;
    reader.Read<DWORD>();  // help id
    control.exStyle = reader.Read<DWORD>();
    control.style = reader.Read<DWORD>();
    control.x = reader.Read<short>();
    control.y = reader.Read<short>();
    control.cx = reader.Read<short>();
    control.cy = reader.Read<short>();
    control.id = reader.Read<std::int32_t>();
    control.className = reader.ReadNameOrOrdinal();
    control.text = reader.ReadNameOrOrdinal();
    const WORD extra = reader.Read<WORD>();
    for (WORD b = 0; b < extra; ++b) reader.Read<BYTE>();
    out.controls.push_back(control);
  }
  return ::testing::AssertionSuccess();
}

TEST(OptionsDialogTemplate, HasTheWindowOfTheOptionsDialog) {
  Template dialog;
  ASSERT_TRUE(LoadOptionsTemplate(dialog));
  EXPECT_EQ(dialog.style, 0x94C00AC0u);  // no WS_SYSMENU: no close box
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 248);
  EXPECT_EQ(dialog.cy, 118);
  EXPECT_EQ(dialog.menu, "");
  EXPECT_EQ(dialog.windowClass, "");
  EXPECT_EQ(dialog.title, "Korvat(tm) Drum Map Export Options");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.weight, 0);
  EXPECT_EQ(dialog.italic, 0);
  EXPECT_EQ(dialog.charset, DEFAULT_CHARSET);
  EXPECT_EQ(dialog.typeface, "MS Sans Serif");
}

TEST(OptionsDialogTemplate, HasTheControlsInTabOrder) {
  // An empty expected text with id -1 stands for the trademark notice, whose
  // wording is free; it only has to name the sequencer.
  const Control expected[] = {
      {"SAVE AS...", 1, "BUTTON", 0x50010001, 0x20000, 7, 86, 112, 14},
      {"...", 1013, "BUTTON", 0x50010000, 0x200, 228, 13, 15, 12},
      {"", 1014, "EDIT", 0x50810880, 0, 7, 13, 217, 12},
      {"Please select a default directory to store the drum maps", -1, "STATIC", 0x50020000, 0, 7, 3, 208, 8},
      {"Select a drum map format to save as", -1, "STATIC", 0x50020000, 0, 7, 69, 118, 9},
      {"", 1018, "COMBOBOX", 0x50210003, 0, 125, 66, 118, 66},
      {"", -1, "STATIC", 0x50020000, 0, 7, 108, 207, 8},
      {"CLOSE", 3, "BUTTON", 0x50010000, 0, 125, 86, 118, 14},
      {"", 1015, "EDIT", 0x50810080, 0, 94, 31, 149, 12},
      {"Choose a drum map name", -1, "STATIC", 0x50020000, 0, 7, 35, 85, 8},
      {"Add note names to drum map", 1017, "BUTTON", 0x50010003, 0, 125, 49, 108, 10},
      {"Move empty pads to end", 1026, "BUTTON", 0x50010003, 0, 7, 49, 94, 10},
      {"?", 1027, "BUTTON", 0x50010000, 0, 228, 106, 15, 10},
  };
  Template dialog;
  ASSERT_TRUE(LoadOptionsTemplate(dialog));
  ASSERT_EQ(dialog.controls.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE("control " + std::to_string(i));
    const Control& want = expected[i];
    const Control& got = dialog.controls[i];
    if (want.id == -1 && want.text.empty()) {
      EXPECT_NE(got.text.find("Korvat"), std::string::npos) << got.text;
    } else {
      EXPECT_EQ(got.text, want.text);
    }
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.className, want.className);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, want.exStyle);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
  }
}

TEST(VersionInformation, NamesTheProductAndVersion) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  // The project's version, which the generated header carries.
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(DRUMMAP_VERSION_MINOR, DRUMMAP_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, DRUMMAP_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(DRUMMAP_VERSION_MINOR, DRUMMAP_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  const struct {
    const char* name;
    const char* value;  // null: any text
  } strings[] = {
      {"ProductName", "Korvat DrumMap Export"},
      {"ProductVersion", DRUMMAP_VERSION_TEXT},
      {"FileVersion", DRUMMAP_VERSION_TEXT},
      {"FileDescription", nullptr},
  };
  for (const auto& row : strings) {
    SCOPED_TRACE(row.name);
    char* value = nullptr;
    const std::string query = std::string("\\StringFileInfo\\080904E4\\") + row.name;
    ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
    if (row.value != nullptr) {
      EXPECT_STREQ(value, row.value);
    } else {
      EXPECT_GT(std::strlen(value), 0u);
    }
  }
}

}  // namespace
