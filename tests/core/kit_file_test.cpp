#include "cli/kit_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "system_text.h"
#include "file_bytes.h"
#include "temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#endif

namespace {

using namespace std::string_literals;

TEST(KitFile, Lines) {
  const struct {
    const char* what;
    std::string text;
    std::vector<std::pair<int, std::string>> names;  // pads that are not empty
  } cases[] = {
      {"empty file", "", {}},
      {"LF", "Kick\nSnare\n", {{0, "Kick"}, {1, "Snare"}}},
      {"CR LF, no final break", "Kick\r\n\r\nHat", {{0, "Kick"}, {2, "Hat"}}},
      {"blank line is an empty pad", "\n\nTom\n", {{2, "Tom"}}},
      {"spaces and 8-bit bytes kept", "  \xe9\xff\t\n", {{0, "  \xe9\xff\t"}}},
      {"lone CR stays in the name", "a\rb\n", {{0, "a\rb"}}},
      {"lone CR in a CR LF file stays in the name", "a\rb\r\nc\r\n", {{0, "a\rb"}, {1, "c"}}},
      {"CR only: one pad a line", "Kick\rSnare\r\rHat", {{0, "Kick"}, {1, "Snare"}, {3, "Hat"}}},
      {"CR only, final CR ends the last line", "Kick\r", {{0, "Kick"}}},
      {"UTF-8 byte-order mark skipped", "\xEF\xBB\xBFKick\nSnare", {{0, "Kick"}, {1, "Snare"}}},
      {"UTF-8 byte-order mark and CR only", "\xEF\xBB\xBFKick\rSnare\r", {{0, "Kick"}, {1, "Snare"}}},
      {"UTF-8 byte-order mark alone", "\xEF\xBB\xBF", {}},
      {"byte-order marks after the start are name bytes",
       "x\xEF\xBB\xBF\n\xFF\xFE\n",
       {{0, "x\xEF\xBB\xBF"}, {1, "\xFF\xFE"}}},
      {"1 MiB is still a kit", std::string(kKitFileMaxBytes, 'n'), {{0, std::string(kKitFileMaxBytes, 'n')}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> names;
    std::string reason;
    ASSERT_TRUE(ParseKitText(c.text, names, reason)) << reason;
    ASSERT_EQ(names.size(), 96u);
    std::vector<std::string> expected(96);
    for (const auto& [pad, name] : c.names) expected[pad] = name;
    EXPECT_EQ(names, expected);
  }
}

std::string Lines(int count, const std::string& lineEnd) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "pad" + std::to_string(i) + lineEnd;
  return text;
}

TEST(KitFile, NinetySixLinesAreAllowedAndMoreAreNot) {
  std::string text = Lines(96, "\n");
  std::vector<std::string> names;
  std::string reason;
  ASSERT_TRUE(ParseKitText(text, names, reason));
  EXPECT_EQ(names[95], "pad95");
  EXPECT_FALSE(ParseKitText(text + "x", names, reason));
  EXPECT_NE(reason.find("96"), std::string::npos);
}

// Editors and spreadsheets leave blank lines after the last name: after the
// 96th line only text is an error, whatever the line ends. Each text is read
// from a file too, since the reader stops early on its own.
TEST(KitFile, BlankLinesAfterTheLastPadAreIgnored) {
  const struct {
    const char* what;
    std::string text;
    bool accepted;
  } cases[] = {
      {"two empty LF lines", Lines(96, "\n") + "\n\n", true},
      {"two empty CR LF lines", Lines(96, "\r\n") + "\r\n\r\n", true},
      {"two empty CR-only lines", Lines(96, "\r") + "\r\r", true},
      {"spaces and tabs", Lines(96, "\n") + "  \n\t\n \n", true},
      {"many empty lines", Lines(96, "\n") + std::string(10000, '\n'), true},
      {"text after empty lines", Lines(96, "\n") + "\n\nx\n", false},
      {"text after empty CR-only lines", Lines(96, "\r") + "\r\rx", false},
      {"a 97th name", Lines(97, "\r\n"), false},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> names;
    std::string reason;
    EXPECT_EQ(ParseKitText(c.text, names, reason), c.accepted) << reason;
    test::WriteBytes(dir.File("kit.txt"), c.text);
    std::vector<std::string> read;
    std::string readError;
    EXPECT_EQ(ReadKitFile(dir.File("kit.txt").c_str(), read, readError), c.accepted) << readError;
    if (c.accepted) {
      EXPECT_EQ(names[95], "pad95");
      EXPECT_EQ(read, names);
    } else {
      EXPECT_EQ(reason, "more than 96 lines (one pad name a line)");
      EXPECT_EQ(readError, reason);
    }
  }
}

// Each refused text gives one line that says what is wrong; nothing is
// turned into some other kit.
TEST(KitFile, RefusedTexts) {
  const struct {
    const char* what;
    std::string text;
    std::vector<const char*> reason;  // each must be in the error
  } cases[] = {
      {"UTF-16 LE", "\xFF\xFEK\0i\0c\0k\0\n\0"s, {"UTF-16", "save it as UTF-8 or ANSI text"}},
      {"UTF-16 BE", "\xFE\xFF\0K\0i\0c\0k\0\n"s, {"UTF-16", "save it as UTF-8 or ANSI text"}},
      {"UTF-16 LE, nothing after the mark", "\xFF\xFE", {"UTF-16"}},
      {"UTF-8 mark, then UTF-16 LE", "\xEF\xBB\xBF\xFF\xFEK\0i\0"s, {"UTF-16", "save it as UTF-8"}},
      {"UTF-8 mark, then UTF-16 BE", "\xEF\xBB\xBF\xFE\xFF\0K\0i"s, {"UTF-16"}},
      {"UTF-32 LE", "\xFF\xFE\0\0K\0\0\0\n\0\0\0"s, {"UTF-32", "save it as UTF-8 or ANSI text"}},
      {"UTF-32 BE", "\0\0\xFE\xFF\0\0\0K"s, {"UTF-32"}},
      {"UTF-8 mark, then UTF-32 LE", "\xEF\xBB\xBF\xFF\xFE\0\0K\0\0\0"s, {"UTF-32"}},
      {"UTF-16 without a mark", "K\0i\0c\0k\0\n\0"s, {"line 1 ", "NUL"}},
      {"NUL in the first name", "Ki\0ck\n"s, {"line 1 ", "NUL"}},
      {"NUL in line 3 of a CR LF file", "a\r\nb\r\nc\0\r\n"s, {"line 3 ", "NUL"}},
      {"NUL in the last line, no final break", "a\n\0"s, {"line 2 ", "NUL"}},
      {"NUL in line 2 of a CR-only file", "a\rb\0\r"s, {"line 2 ", "NUL"}},
      {"NUL after a UTF-8 byte-order mark", "\xEF\xBB\xBF\0\n"s, {"line 1 ", "NUL"}},
      {"97 CR-only lines", Lines(97, "\r"), {"more than 96 lines"}},
      {"97 CR LF lines", Lines(97, "\r\n"), {"more than 96 lines"}},
      {"one byte over 1 MiB", std::string(kKitFileMaxBytes + 1, 'n'), {"1 MiB"}},
      {"1 MiB of line breaks and one more", std::string(kKitFileMaxBytes + 1, '\n'), {"1 MiB"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> names;
    std::string reason;
    EXPECT_FALSE(ParseKitText(c.text, names, reason));
    for (const char* part : c.reason) EXPECT_NE(reason.find(part), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
  }
}

TEST(KitFile, LongNameReturnedWhole) {
  std::vector<std::string> names;
  std::string reason;
  ASSERT_TRUE(ParseKitText(std::string(1000, 'n') + "\nnext", names, reason));
  EXPECT_EQ(names[0].size(), 1000u);
  EXPECT_EQ(names[1], "next");
}

// ReadKitFile stops reading early (at the byte limit, at a 97th line); it
// must still accept and refuse what ParseKitText does for the whole file,
// also where a stop falls on the edge of its read buffer (4096 bytes).
TEST(KitFile, ReadingAFileAnswersAsParsingIt) {
  const std::string lineBreakAtBufferEnd =
      Lines(95, "\n") + std::string(4095 - Lines(95, "\n").size(), 'y') + "\n";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"96 lines", Lines(96, "\n")},
      {"97 lines", Lines(97, "\n")},
      {"96 lines and an empty 97th", Lines(96, "\n") + "\n"},
      {"96th line break ends the read buffer", lineBreakAtBufferEnd},
      {"96th line break ends the read buffer, a 97th line", lineBreakAtBufferEnd + "z"},
      {"97 lines, then more than 1 MiB", Lines(97, "\n") + std::string(kKitFileMaxBytes, 'x')},
      {"CR only", "Kick\rSnare\r"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBFKick\n"},
      {"UTF-16", "\xFF\xFEK\0"s},
      {"NUL", "a\nb\0\n"s},
      {"1 MiB", std::string(kKitFileMaxBytes - 1, 'n') + "\n"},
      {"one byte over 1 MiB", std::string(kKitFileMaxBytes, 'n') + "\n"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteBytes(dir.File("kit.txt"), c.text);
    std::vector<std::string> read, parsed;
    std::string readError, parseError;
    const bool readOk = ReadKitFile(dir.File("kit.txt").c_str(), read, readError);
    ASSERT_EQ(readOk, ParseKitText(c.text, parsed, parseError)) << readError << " / " << parseError;
    if (readOk) EXPECT_EQ(read, parsed);
    EXPECT_EQ(readError.empty(), readOk);
  }
}

// A file far larger than any kit is refused after reading only the start
// of it. The file is sparse: it takes no space on disk.
TEST(KitFile, HugeFileIsRefused) {
  test::TempDir dir;
  const std::string path = dir.File("huge.txt");
  test::WriteBytes(path, "Kick\n");
  std::filesystem::resize_file(path, 64u << 20);
  std::vector<std::string> names;
  std::string reason;
  EXPECT_FALSE(ReadKitFile(path.c_str(), names, reason));
  EXPECT_NE(reason.find("1 MiB"), std::string::npos) << reason;
}

#ifndef _WIN32
// Feeds a FIFO with `pattern` over and over until the reader closes it (or
// 64 MiB went in); counts the bytes that went in.
class EndlessFifo {
 public:
  EndlessFifo(const std::string& path, std::string pattern) : path_(path), pattern_(std::move(pattern)) {
    if (mkfifo(path.c_str(), 0600) != 0) ADD_FAILURE() << "mkfifo " << path << ": errno " << errno;
    writer_ = std::thread([this] { Feed(); });
  }
  ~EndlessFifo() { Finish(); }
  EndlessFifo(const EndlessFifo&) = delete;
  EndlessFifo& operator=(const EndlessFifo&) = delete;

  // Waits until the reader has closed its end; the bytes that went in.
  std::size_t Finish() {
    if (writer_.joinable()) writer_.join();
    return written_;
  }

 private:
  void Feed() {
    // A write after the reader closed the FIFO fails with EPIPE instead of
    // raising SIGPIPE in this thread.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    // Open without blocking, so that a reader that never comes cannot hang
    // the test: the open succeeds once the reader has opened its end.
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 1000; ++tries) {
      fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (fd < 0) return;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string chunk;
    while (chunk.size() < 4096) chunk += pattern_;
    while (written_ < (64u << 20)) {
      const ssize_t n = write(fd, chunk.data(), chunk.size());
      if (n <= 0) break;
      written_ += static_cast<std::size_t>(n);
    }
    close(fd);
  }

  std::string path_;
  std::string pattern_;
  std::size_t written_ = 0;
  std::thread writer_;
};

// An endless input ends the read quickly: at the byte limit, or at the first
// text after the 96th line (endless blank lines run to the byte limit), and
// never reads much more than that.
TEST(KitFile, EndlessInputIsRefusedAfterABoundedRead) {
  const struct {
    const char* what;
    std::string pattern;
    const char* reason;
    std::size_t mostWritten;  // the limit, a pipe's buffer and a chunk at most
  } cases[] = {
      {"NUL bytes", "\0"s, "1 MiB", kKitFileMaxBytes + (1u << 20)},
      {"one endless line", "x", "1 MiB", kKitFileMaxBytes + (1u << 20)},
      {"endless CRs", "\r", "1 MiB", kKitFileMaxBytes + (1u << 20)},
      {"endless empty lines", "\n", "1 MiB", kKitFileMaxBytes + (1u << 20)},
      {"endless empty lines, then text", "\n\n\nx", "more than 96 lines", kKitFileMaxBytes / 4},
      {"endless pad names", "Kick\r\n", "more than 96 lines", kKitFileMaxBytes / 4},
  };
  test::TempDir dir;
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("fifo" + std::to_string(n++));
    EndlessFifo fifo(path, c.pattern);
    std::vector<std::string> names;
    std::string reason;
    EXPECT_FALSE(ReadKitFile(path.c_str(), names, reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_LT(fifo.Finish(), c.mostWritten);
  }
}
#endif

// A kit that cannot be read gives the system's reason, as a failed write
// does.
TEST(KitFile, ReadErrorsGiveTheSystemsReason) {
  test::TempDir dir;
  const struct {
    const char* what;
    std::string path;
    std::string reason;
  } cases[] = {
      {"missing file", dir.File("none.txt"), SystemText(ENOENT)},
      {"missing folder", dir.File("none/kit.txt"), SystemText(ENOENT)},
#ifndef _WIN32
      // POSIX opens a folder; the read then fails.
      {"folder", dir.path().string(), SystemText(EISDIR)},
      {"name too long", dir.File(std::string(300, 'k')), SystemText(ENAMETOOLONG)},
      {"file in place of a folder", test::SourcePath("examples/kits/acoustic.txt") + "/kit.txt",
       SystemText(ENOTDIR)},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> names;
    std::string reason;
    EXPECT_FALSE(ReadKitFile(c.path.c_str(), names, reason));
    EXPECT_EQ(reason, c.reason);
  }
#ifndef _WIN32
  // Root reads every file: the unreadable row needs another user.
  if (::geteuid() != 0) {
    test::WriteBytes(dir.File("secret.txt"), "Kick\n");
    ::chmod(dir.File("secret.txt").c_str(), 0);
    std::vector<std::string> names;
    std::string reason;
    EXPECT_FALSE(ReadKitFile(dir.File("secret.txt").c_str(), names, reason));
    EXPECT_EQ(reason, SystemText(EACCES));
  }
#endif
}

}  // namespace
