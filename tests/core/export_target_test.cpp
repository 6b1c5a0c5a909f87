// drummap-export at the target path: every failed write names the path and
// the real reason on one line, "-o -" writes to standard output, and the
// real program run as an unprivileged user honours the permissions.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli/drummap_export.h"
#include "system_text.h"
#include "file_bytes.h"
#include "run_main.h"
#include "temp_dir.h"
#include "writers/write_seams.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

using Result = test::MainResult;

Result Export(std::vector<std::string> args, std::ostream* out = nullptr) {
  return test::RunMain(RunDrumMapExport, "drummap-export", std::move(args), out);
}

const std::string kOldContent = "the drum map that was here before";

std::string Kit() { return test::SourcePath("examples/kits/acoustic.txt"); }
std::string Golden(const char* name) {
  return test::ReadBytes(test::SourcePath(std::string("tests/golden/") + name));
}

TEST(ExportTarget, FailuresTellTheRealReason){const struct {const char * what;
// Prepares the target in `dir`; returns it.
std::function<std::string(const test::TempDir& dir)> make;
std::string reason;
long long diskFullAfter = -1;  // bytes, through the write seam
}  // namespace
cases[] = {
    {"missing folder", [](const test::TempDir& dir) { return dir.File("nowhere/map.xml"); },
#ifdef _WIN32
     "cannot create a file in its folder: " + WindowsText(ERROR_PATH_NOT_FOUND)},
#else
     "cannot create a file in its folder: " + SystemText(ENOENT)},
#endif
    // -o names the folder around it; the file there (the kit's default
    // name) is a folder.
    {"folder",
     [](const test::TempDir& dir) {
       fs::create_directory(dir.File("Untitled.drm"));
       return dir.File("Untitled.drm");
     },
     "Is a directory"},
    {"read-only file",
     [](const test::TempDir& dir) {
       test::WriteBytes(dir.File("map.xml"), kOldContent);
       fs::permissions(dir.File("map.xml"),
                       fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                       fs::perm_options::remove);
       return dir.File("map.xml");
     },
     "the file is read-only"},
    {"full disk",
     [](const test::TempDir& dir) {
       test::WriteBytes(dir.File("map.xml"), kOldContent);
       return dir.File("map.xml");
     },
     SystemText(ENOSPC), 1000},
#ifndef _WIN32
    {"FIFO",
     [](const test::TempDir& dir) {
       EXPECT_EQ(::mkfifo(dir.File("map.xml").c_str(), 0644), 0);
       return dir.File("map.xml");
     },
     "not a regular file"},
#endif
};
for (const auto& c : cases) {
  SCOPED_TRACE(c.what);
  test::TempDir dir;
  const std::string target = c.make(dir);
  const std::vector<std::string> before = dir.List();
  Result r;
  {
    const ScopedWriteFault fault(c.diskFullAfter);
    r = Export(
        {"-o", fs::is_directory(target) ? (fs::path(target).parent_path() / "").string() : target, Kit()});
  }
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(r.err, "drummap-export: " + target + ": " + c.reason + "\n");
  EXPECT_EQ(dir.List(), before);
  if (fs::is_regular_file(target)) EXPECT_EQ(test::ReadBytes(target), kOldContent);
}
}

#ifdef _WIN32
TEST(ExportTarget, FileHeldOpenIsReportedAsSuch) {
  test::TempDir dir;
  const std::string target = dir.File("map.xml");
  test::WriteBytes(target, kOldContent);
  const HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Result r = Export({"-o", target, Kit()});
  CloseHandle(held);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "drummap-export: " + target + ": " + WindowsText(ERROR_SHARING_VIOLATION) + "\n");
  EXPECT_EQ(test::ReadBytes(target), kOldContent);
}
#endif

// A path's control bytes reach the terminal as text, never as bytes that
// move the cursor or change colours.
TEST(ExportTarget, ControlBytesInThePathAreShownEscaped) {
  test::TempDir dir;
  const std::string target = dir.File("red\x1b[31m\tline\nbreak\x7f/map.xml");
  const Result r = Export({"-o", target, Kit()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(dir.File("red\\x1b[31m\\x09line\\x0abreak\\x7f/map.xml: ")), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
}

TEST(ExportTarget, DashWritesTheMapToStandardOutput) {
  const struct {
    std::vector<std::string> options;
    const char* expected;
  } cases[] = {
      {{}, "acoustic.xml"},
      {{"--format", "binary"}, "acoustic.drm"},
  };
  test::TempDir dir;
  const fs::path previous = fs::current_path();
  fs::current_path(dir.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-o", "-", Kit()});
    const Result r = Export(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    EXPECT_TRUE(r.out == Golden(c.expected));
    EXPECT_TRUE(dir.List().empty());
  }
  fs::current_path(previous);
}

TEST(ExportTarget, StandardOutputThatCannotBeWrittenIsAFailure) {
  std::ostream closed(nullptr);  // as a stream whose every write fails
  const Result r = Export({"-o", "-", Kit()}, &closed);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("drummap-export: standard output: ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
}

// The real program: on Windows standard output must not turn LF into CR LF.
TEST(ExportTarget, ProgramPutsTheExactBytesOnStandardOutput) {
  for (const char* format : {"xml", "binary"}) {
    SCOPED_TRACE(format);
    const ProgramResult r = RunProgram({ExportProgram(), "--format", format, "-o", "-", Kit()});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out == Golden(std::string(format) == "xml" ? "acoustic.xml" : "acoustic.drm"));
  }
}

#ifndef _WIN32

// Root ignores permission bits, so these rows run the real program as
// "nobody" (through setpriv) on files that root prepares for it.
TEST(ExportTarget, PermissionsAreHonouredForAnUnprivilegedUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to prepare files owned by another user";
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no user 'nobody'";
  const uid_t uid = nobody->pw_uid;
  const group* nogroup = ::getgrnam("nogroup");
  const gid_t gid = nogroup != nullptr ? nogroup->gr_gid : nobody->pw_gid;

  test::TempDir dir;
  // The program and the kit where nobody can reach them.
  const std::string program = dir.File("drummap-export");
  fs::copy_file(ExportProgram(), program);
  ::chmod(program.c_str(), 0755);
  const std::string kit = dir.File("kit.txt");
  fs::copy_file(Kit(), kit);
  ::chmod(kit.c_str(), 0644);
  ::chmod(dir.path().c_str(), 0755);
  const std::vector<std::string> asNobody = {"setpriv", "--reuid=" + std::to_string(uid),
                                             "--regid=" + std::to_string(gid), "--clear-groups", "--"};
  {
    std::vector<std::string> probe = asNobody;
    probe.push_back("true");
    const ProgramResult r = RunProgram(probe);
    if (!r.started || r.exitCode != 0) GTEST_SKIP() << "setpriv cannot change to nobody: " << r.err;
  }

  enum Owner { kRoot, kNobody };
  const struct {
    const char* what;
    Owner folderOwner;
    mode_t folderMode;
    bool fileExists;
    Owner fileOwner;
    mode_t fileMode;
    std::string reason;  // empty: written
  } cases[] = {
      {"root's file in a folder nobody may write", kRoot, 0777, true, kRoot, 0644, SystemText(EACCES)},
      {"new file in a folder nobody may not write", kRoot, 0755, false, kRoot, 0,
       "cannot create a file in its folder: " + SystemText(EACCES)},
      {"writable file in a folder nobody may not write", kRoot, 0755, true, kRoot, 0666,
       "cannot create a file in its folder: " + SystemText(EACCES)},
      {"nobody's own 0640 file", kNobody, 0755, true, kNobody, 0640, ""},
      {"new file in nobody's folder", kNobody, 0755, false, kNobody, 0, ""},
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = dir.File("row" + std::to_string(row++));
    fs::create_directory(folder);
    const std::string target = folder + "/map.xml";
    if (c.fileExists) {
      test::WriteBytes(target, kOldContent);
      ::chmod(target.c_str(), c.fileMode);
      if (c.fileOwner == kNobody) ASSERT_EQ(::chown(target.c_str(), uid, gid), 0);
    }
    ::chmod(folder.c_str(), c.folderMode);
    if (c.folderOwner == kNobody) ASSERT_EQ(::chown(folder.c_str(), uid, gid), 0);

    std::vector<std::string> args = asNobody;
    args.insert(args.end(), {program, "-o", target, kit});
    const ProgramResult r = RunProgram(args);
    ASSERT_TRUE(r.started);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
    if (c.reason.empty()) {
      EXPECT_EQ(r.exitCode, 0) << r.err;
      struct stat info {};
      ASSERT_EQ(::stat(target.c_str(), &info), 0);
      EXPECT_TRUE(test::ReadBytes(target) == Golden("acoustic.xml"));
      EXPECT_EQ(info.st_uid, uid);
      if (c.fileExists) EXPECT_EQ(info.st_mode & 07777, c.fileMode);
    } else {
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_EQ(r.err, "drummap-export: " + target + ": " + c.reason + "\n");
      if (c.fileExists) EXPECT_EQ(test::ReadBytes(target), kOldContent);
    }
    EXPECT_EQ(left, c.fileExists || c.reason.empty() ? std::vector<std::string>{"map.xml"}
                                                     : std::vector<std::string>{});
  }
}

// The real program with its standard output on a full device or closed:
// exit status 1 and the reason on standard error, for the written path,
// --help and --version alike.
TEST(ExportTarget, ProgramFailsWhenStandardOutputCannotBeWritten) {
  test::TempDir dir;
  const struct {
    const char* what;
    const char* redirect;
    std::string reason;
  } outputs[] = {
      {"full", ">/dev/full", SystemText(ENOSPC)},
      {"closed", ">&-", SystemText(EBADF)},
  };
  const std::vector<std::string> requests[] = {
      {"--help"}, {"--version"}, {"-o", dir.File("map.xml"), Kit()}, {"-o", "-", Kit()}};
  for (const auto& output : outputs) {
    for (const auto& request : requests) {
      SCOPED_TRACE(std::string(output.what) + " " + ::testing::PrintToString(request));
      std::vector<std::string> args = {"sh", "-c", std::string("\"$0\" \"$@\" ") + output.redirect,
                                       ExportProgram()};
      args.insert(args.end(), request.begin(), request.end());
      const ProgramResult r = RunProgram(args);
      ASSERT_TRUE(r.started);
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_EQ(r.err, "drummap-export: standard output: " + output.reason + "\n");
    }
  }
}

// A write over the file-size limit (ulimit -f) fails like a full disk: the
// system's reason, exit status 1, the old file kept and no temporary file;
// SIGXFSZ does not end the process.
TEST(ExportTarget, FileSizeLimitIsAFailedWrite) {
  const ProgramResult probe = RunProgram({"prlimit", "--fsize=4096", "true"});
  if (!probe.started || probe.exitCode != 0) GTEST_SKIP() << "no prlimit here: " << probe.err;
  for (const char* format : {"xml", "binary", "midnam"}) {
    SCOPED_TRACE(format);
    test::TempDir dir;
    const std::string target = dir.File("map.out");
    test::WriteBytes(target, kOldContent);
    const ProgramResult r =
        RunProgram({"prlimit", "--fsize=1000", ExportProgram(), "--format", format, "-o", target, Kit()});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "drummap-export: " + target + ": " + SystemText(EFBIG) + "\n");
    EXPECT_EQ(test::ReadBytes(target), kOldContent);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"map.out"});
  }
}

// Real small file systems: a full tmpfs and a read-only one, mounted by root
// in a mount namespace of their own (gone when the shell ends).
TEST(ExportTarget, FullAndReadOnlyFileSystems) {
  test::TempDir dir;
  const std::string mounted = dir.File("fs");
  fs::create_directory(mounted);
  const ProgramResult probe = RunProgram({"unshare", "--mount", "--propagation", "private", "sh", "-c",
                                          "mount -t tmpfs -o size=4k tmpfs \"$1\"", "sh", mounted});
  if (!probe.started || probe.exitCode != 0) GTEST_SKIP() << "cannot mount a tmpfs here: " << probe.err;
  const auto run = [&](const std::string& script) {
    return RunProgram({"unshare", "--mount", "--propagation", "private", "sh", "-c",
                       "mount -t tmpfs -o size=4k tmpfs \"$1\" || exit 1\n"
                       "printf old > \"$1/map.xml\"\n" +
                           script,
                       "sh", mounted, ExportProgram(), Kit()});
  };
  const struct {
    const char* what;
    std::string script;
    std::string expected;
  } cases[] = {
      // The old file takes the one page there is.
      {"full, XML",
       "\"$2\" -o \"$1/map.xml\" \"$3\" 2>&1; echo \"exit $?\"; ls -A \"$1\"; cat \"$1/map.xml\"",
       "drummap-export: " + mounted + "/map.xml: " + SystemText(ENOSPC) + "\nexit 1\nmap.xml\nold"},
      {"full, binary",
       "\"$2\" --format binary -o \"$1/map.xml\" \"$3\" 2>&1; echo \"exit $?\"; ls -A \"$1\"; cat "
       "\"$1/map.xml\"",
       "drummap-export: " + mounted + "/map.xml: " + SystemText(ENOSPC) + "\nexit 1\nmap.xml\nold"},
      {"read-only, existing file",
       "mount -o remount,ro \"$1\" || exit 1\n\"$2\" -o \"$1/map.xml\" \"$3\" 2>&1; echo \"exit $?\"; cat "
       "\"$1/map.xml\"",
       "drummap-export: " + mounted + "/map.xml: " + SystemText(EROFS) + "\nexit 1\nold"},
      {"read-only, new file",
       "mount -o remount,ro \"$1\" || exit 1\n\"$2\" -o \"$1/new.xml\" \"$3\" 2>&1; echo \"exit $?\"; ls -A "
       "\"$1\"",
       "drummap-export: " + mounted + "/new.xml: cannot create a file in its folder: " + SystemText(EROFS) +
           "\nexit 1\nmap.xml\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramResult r = run(c.script);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
  }
}

#endif

}  // namespace
