// What both writers do with what they find at the target path: links are
// written through, special files and files the user may not write are left
// alone with the reason, and a replaced file keeps its permissions or
// attributes. Every row runs in a fresh folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "system_text.h"
#include "every_writer.h"
#include "export_state_setup.h"
#include "file_bytes.h"
#include "temp_dir.h"
#include "writers/write_failure.h"
#include "writers/write_seams.h"
#include "writers/binary_drum_map.h"
#include "writers/xml_drum_map.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

using test::Writer;

const std::string kOldContent = "the drum map that was here before";

bool UnderWine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// A fresh folder in which a test makes symbolic links. Wine shows a Unix
// link as the file it names and makes none itself (its CreateSymbolicLinkA
// succeeds without making anything), so there the Unix `ln` makes them and
// `rm` removes them before the files they name: Wine cannot see a link whose
// file is gone, and removing the folder would then never end. Wine does not
// wait for a Unix program, so both wait until the change shows.
class LinkFolder : public test::TempDir {
 public:
  LinkFolder() = default;
  ~LinkFolder() {
#ifdef _WIN32
    for (auto link = unixLinks_.rbegin(); link != unixLinks_.rend(); ++link) {
      RunUnix("/bin/rm -f \"" + *link + "\"");
      WaitUntil(*link, false);
    }
#endif
  }

  // Makes a link at `link` (relative to the folder) holding `text`. False
  // where no link can be made, or where the link is not seen.
  bool MakeLink(const std::string& link, const std::string& text) {
#ifdef _WIN32
    std::string path = File(link), windowsText = text;
    for (std::string* name : {&path, &windowsText})
      for (char& c : *name)
        if (c == '/') c = '\\';
    if (CreateSymbolicLinkA(path.c_str(), windowsText.c_str(), 2 /* unprivileged */) &&
        GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
      return true;
    if (!UnderWine()) return false;
    RunUnix("/bin/ln -s \"" + text + "\" \"" + link + "\"");
    if (!WaitUntil(link, true)) return false;
    unixLinks_.push_back(link);
    return true;
#else
    return ::symlink(text.c_str(), File(link).c_str()) == 0;
#endif
  }

 private:
#ifdef _WIN32
  // Runs a Unix program in the folder. Wine splits the command line as
  // Windows does: arguments in double quotes.
  void RunUnix(std::string command) const {
    const std::string program = "Z:" + command.substr(0, command.find(' '));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        path().string().c_str(), &startup, &process))
      return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  // Waits up to ten seconds until `name` is there (or gone).
  bool WaitUntil(const std::string& name, bool there) const {
    for (int i = 0; i < 1000; ++i) {
      if ((GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES) == there) return true;
      Sleep(10);
    }
    return false;
  }
  std::vector<std::string> unixLinks_;
#endif
};

// The names in a folder, sorted.
std::vector<std::string> List(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

#ifndef _WIN32
struct stat Lstat(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::string LinkText(const std::string& path) {
  std::error_code error;
  return fs::read_symlink(path, error).string();
}
#endif

// One kind of thing at the target path.
struct TargetKind {
  const char* what;
  // Makes it in `dir` and returns the path the writer is given; sets `skip`
  // to the reason where it cannot be made here.
  std::function<std::string(LinkFolder& dir, std::string& skip)> make;
  // Null: the write succeeds. Otherwise the reason it gives, in full.
  std::function<std::string(const test::TempDir& dir)> failure;
  // What must hold afterwards, besides "no temporary file left".
  std::function<void(const test::TempDir& dir)> check;
};

// The old file is there and unchanged.
void Unchanged(const std::string& path) { EXPECT_EQ(test::ReadBytes(path), kOldContent); }
// A complete new drum map replaced it.
void Written(const std::string& path) {
  const std::string bytes = test::ReadBytes(path);
  EXPECT_NE(bytes, kOldContent);
  EXPECT_GE(bytes.size(), 3000u);
}

std::vector<TargetKind> TargetKinds() {
  std::vector<TargetKind> kinds = {
      {"regular file",
       [](LinkFolder& dir, std::string&) {
         test::WriteBytes(dir.File("map.drm"), kOldContent);
         return dir.File("map.drm");
       },
       nullptr, [](const test::TempDir& dir) { Written(dir.File("map.drm")); }},
      {"link",
       [](LinkFolder& dir, std::string& skip) {
         test::WriteBytes(dir.File("real.drm"), kOldContent);
         if (!dir.MakeLink("link.drm", "real.drm")) skip = "no symbolic links here";
         return dir.File("link.drm");
       },
       nullptr,
       [](const test::TempDir& dir) {
         // The file it names was replaced and the link still leads there.
         Written(dir.File("real.drm"));
         EXPECT_TRUE(test::ReadBytes(dir.File("link.drm")) == test::ReadBytes(dir.File("real.drm")));
#ifndef _WIN32
         EXPECT_EQ(LinkText(dir.File("link.drm")), "real.drm");
#endif
       }},
      {"chain of relative links across folders",
       [](LinkFolder& dir, std::string& skip) {
         fs::create_directories(dir.path() / "links");
         fs::create_directories(dir.path() / "maps" / "kits");
         test::WriteBytes(dir.File("maps/kits/real.drm"), kOldContent);
         if (!dir.MakeLink("maps/middle.drm", "kits/real.drm") ||
             !dir.MakeLink("links/first.drm", "../maps/middle.drm"))
           skip = "no symbolic links here";
         return dir.File("links/first.drm");
       },
       nullptr,
       [](const test::TempDir& dir) {
         Written(dir.File("maps/kits/real.drm"));
         EXPECT_EQ(test::ReadBytes(dir.File("links/first.drm")),
                   test::ReadBytes(dir.File("maps/kits/real.drm")));
         EXPECT_EQ(List(dir.path() / "links"), std::vector<std::string>{"first.drm"});
         EXPECT_EQ(List(dir.path() / "maps/kits"), std::vector<std::string>{"real.drm"});
       }},
      {"dangling link",
       [](LinkFolder& dir, std::string& skip) {
         fs::create_directories(dir.path() / "maps");
         // Wine does not show a Unix link whose file is missing at all.
         if (UnderWine())
           skip = "Wine shows no dangling link";
         else if (!dir.MakeLink("link.drm", "maps/new.drm"))
           skip = "no symbolic links here";
         return dir.File("link.drm");
       },
       nullptr,
       [](const test::TempDir& dir) {
         Written(dir.File("maps/new.drm"));
         EXPECT_EQ(List(dir.path() / "maps"), std::vector<std::string>{"new.drm"});
#ifndef _WIN32
         EXPECT_EQ(LinkText(dir.File("link.drm")), "maps/new.drm");
#endif
       }},
      {"folder",
       [](LinkFolder& dir, std::string&) {
         fs::create_directory(dir.File("map.drm"));
         return dir.File("map.drm");
       },
       [](const test::TempDir&) { return std::string("Is a directory"); },
       [](const test::TempDir& dir) { EXPECT_TRUE(fs::is_directory(dir.File("map.drm"))); }},
      {"read-only file",
       [](LinkFolder& dir, std::string&) {
         test::WriteBytes(dir.File("map.drm"), kOldContent);
         fs::permissions(dir.File("map.drm"),
                         fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
         return dir.File("map.drm");
       },
       [](const test::TempDir&) { return std::string("the file is read-only"); },
       [](const test::TempDir& dir) { Unchanged(dir.File("map.drm")); }},
      {"missing folder", [](LinkFolder& dir, std::string&) { return dir.File("no such folder/map.drm"); },
       [](const test::TempDir&) {
#ifdef _WIN32
         return "cannot create a file in its folder: " + WindowsText(ERROR_PATH_NOT_FOUND);
#else
         return "cannot create a file in its folder: " + SystemText(ENOENT);
#endif
       },
       nullptr},
  };
#ifdef _WIN32
  kinds.push_back({"hidden file",
                   [](LinkFolder& dir, std::string& skip) {
                     const std::string target = dir.File("map.drm");
                     test::WriteBytes(target, kOldContent);
                     SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE |
                                                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
                     if ((GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0)
                       skip = "hidden files are not kept";
                     return target;
                   },
                   nullptr,
                   [](const test::TempDir& dir) {
                     Written(dir.File("map.drm"));
                     // Everything of the three that the file system keeps (Wine keeps
                     // hidden and archive) comes back.
                     const DWORD kept =
                         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
                     test::TempDir probe;
                     const std::string same = probe.File("same.drm");
                     test::WriteBytes(same, kOldContent);
                     SetFileAttributesA(same.c_str(), kept);
                     EXPECT_EQ(GetFileAttributesA(dir.File("map.drm").c_str()) & kept,
                               GetFileAttributesA(same.c_str()) & kept);
                   }});
#else
  kinds.push_back(
      {"FIFO",
       [](LinkFolder& dir, std::string&) {
         EXPECT_EQ(::mkfifo(dir.File("map.drm").c_str(), 0644), 0);
         return dir.File("map.drm");
       },
       [](const test::TempDir&) { return std::string("not a regular file"); },
       [](const test::TempDir& dir) { EXPECT_TRUE(S_ISFIFO(Lstat(dir.File("map.drm")).st_mode)); }});
  kinds.push_back(
      {"link to a FIFO",
       [](LinkFolder& dir, std::string&) {
         EXPECT_EQ(::mkfifo(dir.File("pipe").c_str(), 0644), 0);
         EXPECT_TRUE(dir.MakeLink("map.drm", "pipe"));
         return dir.File("map.drm");
       },
       [](const test::TempDir& dir) { return "link to " + dir.File("pipe") + ": not a regular file"; },
       [](const test::TempDir& dir) {
         EXPECT_TRUE(S_ISFIFO(Lstat(dir.File("pipe")).st_mode));
         EXPECT_EQ(LinkText(dir.File("map.drm")), "pipe");
       }});
  kinds.push_back({"character device (made here, like /dev/null)",
                   [](LinkFolder& dir, std::string& skip) {
                     if (::mknod(dir.File("map.drm").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                       skip = "mknod: " + SystemText(errno);
                     return dir.File("map.drm");
                   },
                   [](const test::TempDir&) { return std::string("not a regular file"); },
                   [](const test::TempDir& dir) {
                     const struct stat info = Lstat(dir.File("map.drm"));
                     EXPECT_TRUE(S_ISCHR(info.st_mode));
                     EXPECT_EQ(info.st_rdev, makedev(1, 3));
                   }});
  kinds.push_back(
      {"socket",
       [](LinkFolder& dir, std::string& skip) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         const std::string path = dir.File("map.drm");
         if (path.size() >= sizeof address.sun_path) {
           skip = "the folder's path is too long for a socket";
           return path;
         }
         std::strcpy(address.sun_path, path.c_str());
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
         ::close(fd);
         return path;
       },
       [](const test::TempDir&) { return std::string("not a regular file"); },
       [](const test::TempDir& dir) { EXPECT_TRUE(S_ISSOCK(Lstat(dir.File("map.drm")).st_mode)); }});
  kinds.push_back({"link loop",
                   [](LinkFolder& dir, std::string&) {
                     EXPECT_TRUE(dir.MakeLink("a.drm", "b.drm"));
                     EXPECT_TRUE(dir.MakeLink("b.drm", "a.drm"));
                     return dir.File("a.drm");
                   },
                   [](const test::TempDir&) { return SystemText(ELOOP); },
                   [](const test::TempDir& dir) {
                     EXPECT_EQ(LinkText(dir.File("a.drm")), "b.drm");
                     EXPECT_EQ(LinkText(dir.File("b.drm")), "a.drm");
                   }});
  kinds.push_back({"0600 file",
                   [](LinkFolder& dir, std::string&) {
                     test::WriteBytes(dir.File("map.drm"), kOldContent);
                     ::chmod(dir.File("map.drm").c_str(), 0600);
                     return dir.File("map.drm");
                   },
                   nullptr,
                   [](const test::TempDir& dir) {
                     Written(dir.File("map.drm"));
                     EXPECT_EQ(Lstat(dir.File("map.drm")).st_mode & 07777, 0600u);
                   }});
  kinds.push_back({"0640 file of another owner and group",
                   [](LinkFolder& dir, std::string& skip) {
                     const passwd* nobody = ::getpwnam("nobody");
                     test::WriteBytes(dir.File("map.drm"), kOldContent);
                     if (::geteuid() != 0 || nobody == nullptr) {
                       skip = "only root can give a file away";
                       return dir.File("map.drm");
                     }
                     EXPECT_EQ(::chown(dir.File("map.drm").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
                     ::chmod(dir.File("map.drm").c_str(), 0640);
                     return dir.File("map.drm");
                   },
                   nullptr,
                   [](const test::TempDir& dir) {
                     Written(dir.File("map.drm"));
                     const passwd* nobody = ::getpwnam("nobody");
                     const struct stat info = Lstat(dir.File("map.drm"));
                     EXPECT_EQ(info.st_mode & 07777, 0640u);
                     EXPECT_EQ(info.st_uid, nobody->pw_uid);
                     EXPECT_EQ(info.st_gid, nobody->pw_gid);
                   }});
#endif
  return kinds;
}

class TargetPath : public ::testing::TestWithParam<Writer> {};

TEST_P(TargetPath, EachKindOfTarget) {
  std::vector<std::string> skipped;
  for (const TargetKind& kind : TargetKinds()) {
    SCOPED_TRACE(kind.what);
    LinkFolder dir;
    std::string skip;
    const std::string target = kind.make(dir, skip);
    if (!skip.empty()) {
      skipped.push_back(std::string(kind.what) + " (" + skip + ")");
      continue;
    }
    const std::vector<std::string> before = dir.List();
    test::ResetForExport(target);
    test::NamePad(0, "Kick");
    const bool written = GetParam().write();
    if (kind.failure) {
      EXPECT_FALSE(written);
      EXPECT_EQ(LastWriteFailure(), kind.failure(dir));
    } else {
      EXPECT_TRUE(written) << LastWriteFailure();
      EXPECT_EQ(LastWriteFailure(), "");
    }
    if (kind.check) kind.check(dir);
    // Nothing was left beside it (rows with subfolders check those).
    EXPECT_EQ(dir.List(), before);
  }
  for (const std::string& row : skipped) std::cout << "[   NOTE   ] row not run: " << row << "\n";
}

// The temporary file is ".NAME.drummap-XXXXXX.tmp" in the folder of the file
// that is replaced, never beside a link that leads there; on POSIX it is
// never readable by more users than the old file.
TEST_P(TargetPath, TemporaryFileIsNamedAndPlacedBesideTheFinalFile) {
  const std::regex temporary(R"(\.map\.drm\.drummap-[a-z0-9]{6}\.tmp)");
  for (const bool throughLink : {false, true}) {
    SCOPED_TRACE(throughLink ? "through a link from another folder" : "plain file");
    LinkFolder dir;
    fs::create_directories(dir.path() / "links");
    fs::create_directories(dir.path() / "maps");
    test::WriteBytes(dir.File("maps/map.drm"), kOldContent);
#ifndef _WIN32
    ::chmod(dir.File("maps/map.drm").c_str(), 0600);
#endif
    std::string target = dir.File("maps/map.drm");
    if (throughLink) {
      if (!dir.MakeLink("links/other.drm", "../maps/map.drm")) GTEST_SKIP() << "no symbolic links here";
      target = dir.File("links/other.drm");
    }
    test::ResetForExport(target);
    bool seen = false;
    {
      const ScopedWriteFault fault(0, [&] {
        seen = true;
        const std::vector<std::string> maps = List(dir.path() / "maps");
        ASSERT_EQ(maps.size(), 2u) << ::testing::PrintToString(maps);
        EXPECT_EQ(maps[1], "map.drm");
        EXPECT_TRUE(std::regex_match(maps[0], temporary)) << maps[0];
        EXPECT_EQ(List(dir.path() / "links").size(), throughLink ? 1u : 0u);
#ifndef _WIN32
        EXPECT_EQ(Lstat(dir.File("maps/" + maps[0])).st_mode & 07777, 0600u);
#endif
      });
      EXPECT_FALSE(GetParam().write());
    }
    EXPECT_TRUE(seen);
    // Under Wine the Unix link looks like a file: no note of it.
    const std::string failure = LastWriteFailure();
    const std::string reason = SystemText(ENOSPC);
    ASSERT_GE(failure.size(), reason.size());
    EXPECT_EQ(failure.substr(failure.size() - reason.size()), reason);
#ifndef _WIN32
    // The final file's path as the links lead there, without "..".
    EXPECT_EQ(failure, throughLink ? "link to " + dir.File("maps/map.drm") + ": " + reason : reason);
#endif
    Unchanged(dir.File("maps/map.drm"));
    EXPECT_EQ(List(dir.path() / "maps"), std::vector<std::string>{"map.drm"});
  }
}

// The two drum maps, whose files are large enough to be told apart from
// what a test leaves at the target; every writer goes through the same file.
INSTANTIATE_TEST_SUITE_P(BothDrumMaps, TargetPath,
                         ::testing::Values(test::EveryWriter()[0], test::EveryWriter()[1]), test::WriterName);

}  // namespace
