// The target path under attack (POSIX): links planted by other users in
// shared folders, a folder swapped for a link while the file is written,
// access ACLs and long chains of relative links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/drummap_export.h"
#include "system_text.h"
#include "file_bytes.h"
#include "run_main.h"
#include "temp_dir.h"
#include "writers/atomic_file.h"
#include "writers/write_failure.h"
#include "writers/write_seams.h"

#ifndef RENAME_EXCHANGE
#define RENAME_EXCHANGE (1 << 1)
#endif

namespace fs = std::filesystem;

namespace {

const std::string kOldContent = "the drum map that was here before";

struct stat Lstat(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

// The temporary files an AtomicFile leaves in `folder`.
int TemporaryFilesIn(const std::string& folder) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().filename().string().find(".drummap-") != std::string::npos) ++count;
  return count;
}

uid_t Nobody() {
  const passwd* nobody = ::getpwnam("nobody");
  return nobody != nullptr ? nobody->pw_uid : static_cast<uid_t>(65534);
}

// The kernel's fs.protected_symlinks rule, whatever the machine's setting:
// a link in a world-writable sticky folder is followed only when it belongs
// to the caller or to the folder's owner. Refused: exit 1, one line, the
// file it points at untouched and nothing made.
TEST(SharedFolder, LinksPlantedByOthersAreNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
  const uid_t me = ::geteuid(), other = Nobody();
  const struct {
    const char* what;
    mode_t folderMode;
    uid_t folderOwner;
    uid_t linkOwner;
    bool linkIsFolder;  // the link is a folder on the way: shared/sub/map.xml
    bool followed;
  } cases[] = {
      {"another user's link in a 1777 folder", 01777, me, other, false, false},
      {"another user's link to a folder, in a 1777 folder", 01777, me, other, true, false},
      {"own link in a 1777 folder", 01777, me, me, false, true},
      {"the folder owner's link in a 1777 folder", 01777, other, other, false, true},
      {"another user's link in a 0777 folder (not sticky)", 0777, me, other, false, true},
      {"another user's link in a 1775 folder (not world-writable)", 01775, me, other, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string shared = dir.File("shared");
    fs::create_directories(dir.path() / "mine");
    fs::create_directory(shared);
    const std::string victim = dir.File("mine/map.xml");
    test::WriteBytes(victim, kOldContent);
    ::chmod(victim.c_str(), 0600);
    const std::string link = c.linkIsFolder ? shared + "/sub" : shared + "/map.xml";
    ASSERT_EQ(::symlink(c.linkIsFolder ? dir.File("mine").c_str() : victim.c_str(), link.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
    const std::string target = c.linkIsFolder ? shared + "/sub/map.xml" : shared + "/map.xml";

    const test::MainResult r = test::RunMain(RunDrumMapExport, "drummap-export",
                                             {"-o", target, test::SourcePath("examples/kits/acoustic.txt")});
    if (c.followed) {
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_TRUE(test::ReadBytes(victim) == test::ReadBytes(test::SourcePath("tests/golden/acoustic.xml")));
    } else {
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, "drummap-export: " + target + ": not following the link " + link +
                           ": it is in a world-writable sticky folder and belongs to neither this user nor "
                           "the folder's owner\n");
      EXPECT_EQ(test::ReadBytes(victim), kOldContent);
      EXPECT_EQ(Lstat(victim).st_mode & 07777, 0600u);
    }
    EXPECT_TRUE(r.out.empty() != c.followed);
    EXPECT_EQ(TemporaryFilesIn(dir.File("mine")) + TemporaryFilesIn(shared), 0);
  }
}

// Another user's folder holds their file (0644, theirs); this user's folder
// holds a 0600 file. At each step of a write to theirs, the test swaps their
// folder for a link to this user's: the write stays in the folder that was
// checked, and neither file changes owner or mode.
TEST(SharedFolder, FolderSwappedForALinkMidWriteChangesNothing) {
  const bool root = ::geteuid() == 0;
  const struct {
    const char* what;
    FileStep step;
  } cases[] = {
      {"after the check", FileStep::kResolved},
      {"after the create", FileStep::kCreated},
      {"before the rename", FileStep::kBeforeReplace},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    fs::create_directories(dir.path() / "theirs");
    fs::create_directories(dir.path() / "mine");
    const std::string theirs = dir.File("theirs/map.drm"), mine = dir.File("mine/map.drm");
    test::WriteBytes(theirs, kOldContent);
    test::WriteBytes(mine, kOldContent);
    ::chmod(theirs.c_str(), 0644);
    ::chmod(mine.c_str(), 0600);
    if (root) ASSERT_EQ(::chown(theirs.c_str(), Nobody(), static_cast<gid_t>(-1)), 0);
    const struct stat theirsBefore = Lstat(theirs), mineBefore = Lstat(mine);

    bool swapped = false;
    {
      const ScopedFileStepHook swap(c.step, [&] {
        swapped = ::rename(dir.File("theirs").c_str(), dir.File("moved").c_str()) == 0 &&
                  ::symlink("mine", dir.File("theirs").c_str()) == 0;
      });
      EXPECT_TRUE(WriteWholeFile(dir.File("theirs/map.drm").c_str(), "new")) << LastWriteFailure();
    }
    ASSERT_TRUE(swapped);
    const struct stat moved = Lstat(dir.File("moved/map.drm")), mineAfter = Lstat(mine);
    EXPECT_EQ(test::ReadBytes(dir.File("moved/map.drm")), "new");
    EXPECT_EQ(moved.st_mode & 07777, theirsBefore.st_mode & 07777);
    EXPECT_EQ(moved.st_uid, theirsBefore.st_uid);
    EXPECT_EQ(test::ReadBytes(mine), kOldContent);
    EXPECT_EQ(mineAfter.st_mode & 07777, mineBefore.st_mode & 07777);
    EXPECT_EQ(mineAfter.st_uid, mineBefore.st_uid);
    EXPECT_EQ(TemporaryFilesIn(dir.File("moved")) + TemporaryFilesIn(dir.File("mine")), 0);
  }
}

// The same attack by a second process that swaps the folder and a link with
// renameat2(RENAME_EXCHANGE) as fast as it can, for at most 300 writes and
// 20 seconds. After each write (the swapper stopped) neither file may have
// changed owner or mode, and no temporary file may be left.
TEST(SharedFolder, RaceWithAFolderSwappedByAnotherProcess) {
  const bool root = ::geteuid() == 0;
  test::TempDir dir;
  fs::create_directories(dir.path() / "mine");
  fs::create_directories(dir.path() / "swap");
  const std::string mine = dir.File("mine/map.drm");
  // "swap/a" and "swap/b" trade places: one is their folder, the other a link
  // to this user's.
  fs::create_directory(dir.path() / "swap/a");
  ASSERT_EQ(::symlink("../mine", dir.File("swap/b").c_str()), 0);
  const auto theirFolder = [&] {
    return dir.File(S_ISDIR(Lstat(dir.File("swap/a")).st_mode) ? "swap/a" : "swap/b");
  };
  const auto reset = [&] {
    const std::string theirs = theirFolder() + "/map.drm";
    test::WriteBytes(theirs, kOldContent);
    ::chmod(theirs.c_str(), 0644);
    if (root) ::chown(theirs.c_str(), Nobody(), static_cast<gid_t>(-1));
    test::WriteBytes(mine, kOldContent);
    ::chmod(mine.c_str(), 0600);
  };
  reset();

  const std::string a = dir.File("swap/a"), b = dir.File("swap/b");
  const pid_t swapper = ::fork();
  ASSERT_GE(swapper, 0);
  if (swapper == 0) {
    for (;;) ::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
  }
  const auto start = std::chrono::steady_clock::now();
  int runs = 0, transfers = 0, temporaryFiles = 0;
  while (runs < 300 && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
    ++runs;
    WriteWholeFile(dir.File("swap/a/map.drm").c_str(), "new");  // may fail: the path is moving
    ::kill(swapper, SIGSTOP);
    int status = 0;
    ::waitpid(swapper, &status, WUNTRACED);
    const std::string theirs = theirFolder() + "/map.drm";
    const struct stat theirInfo = Lstat(theirs), myInfo = Lstat(mine);
    const bool theirsKept = (theirInfo.st_mode & 07777) == 0644 && (!root || theirInfo.st_uid == Nobody());
    const bool mineKept = (myInfo.st_mode & 07777) == 0600 && myInfo.st_uid == ::geteuid();
    transfers += (theirsKept ? 0 : 1) + (mineKept ? 0 : 1);
    const int left = TemporaryFilesIn(theirFolder()) + TemporaryFilesIn(dir.File("mine"));
    temporaryFiles += left;
    if (!theirsKept || !mineKept || left > 0) {
      for (const std::string& folder : {theirFolder(), dir.File("mine")})
        for (const auto& entry : fs::directory_iterator(folder))
          if (entry.path().filename().string().find(".drummap-") != std::string::npos)
            fs::remove(entry.path());
      reset();
    }
    ::kill(swapper, SIGCONT);
  }
  ::kill(swapper, SIGKILL);
  ::waitpid(swapper, nullptr, 0);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[   NOTE   ] " << runs << " writes in " << seconds << " s: " << transfers
            << " files changed owner or mode, " << temporaryFiles << " temporary files left\n";
  EXPECT_EQ(transfers, 0);
  EXPECT_EQ(temporaryFiles, 0);
}

// The owner's access ACL comes back with the new file, so its group bits (the
// ACL's mask) are never widened; a file without one gets none, not even the
// folder's default.
TEST(SharedFolder, AccessAclIsKept) {
  const auto setfacl = [](const std::string& args) { return std::system(("setfacl " + args).c_str()) == 0; };
  const auto acl = [](const std::string& path) {
    char buffer[1024];
    const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_access", buffer, sizeof buffer);
    return size < 0 ? std::string("(none: ") + SystemText(errno) + ")"
                    : std::string(buffer, static_cast<std::size_t>(size));
  };
  test::TempDir dir;
  const std::string probe = dir.File("probe");
  test::WriteBytes(probe, "");
  if (!setfacl("-m u:nobody:r '" + probe + "' 2>/dev/null"))
    GTEST_SKIP() << "setfacl is missing, or this file system keeps no ACLs";

  const struct {
    const char* what;
    std::string setup;  // setfacl's arguments; FILE and DIR stand for the two
  } cases[] = {
      {"0600 file, u:nobody:r", "-m u:nobody:r FILE"},
      {"0640 file, u:nobody:rw, mask r", "-m u:nobody:rw,g::r,m::r FILE"},
      {"file without an ACL in a folder with a default ACL", "-d -m u:nobody:rw DIR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir run;
    const std::string file = run.File("map.drm");
    test::WriteBytes(file, kOldContent);
    ::chmod(file.c_str(), 0600);
    std::string args = c.setup;
    for (const auto& [word, path] : {std::pair<std::string, std::string>{"FILE", file}, {"DIR", run.path()}})
      if (const std::size_t at = args.find(word); at != std::string::npos)
        args.replace(at, 4, "'" + path + "'");
    ASSERT_TRUE(setfacl(args));
    const std::string before = acl(file);
    const mode_t modeBefore = Lstat(file).st_mode & 07777;
    ASSERT_TRUE(WriteWholeFile(file.c_str(), "new")) << LastWriteFailure();
    EXPECT_EQ(test::ReadBytes(file), "new");
    EXPECT_EQ(acl(file), before);
    EXPECT_EQ(Lstat(file).st_mode & 07777, modeBefore);
    EXPECT_EQ(TemporaryFilesIn(run.path().string()), 0);
  }
}

// A chain of relative links is written through as far as the kernel follows
// it (40 links), even when the link texts joined would be longer than a path
// may be: each link here is "../<a folder of 100 bytes>/l".
TEST(SharedFolder, LongChainsOfRelativeLinksAreFollowedAsTheKernelDoes) {
  for (const int links : {1, 39, 40, 41}) {
    SCOPED_TRACE(std::to_string(links) + " links");
    test::TempDir dir;
    const auto folder = [](int k) {
      std::string name = "folder" + std::to_string(k);
      return name + std::string(100 - name.size(), 'x');
    };
    fs::create_directory(dir.path() / "end");
    test::WriteBytes(dir.File("end/map.drm"), kOldContent);
    for (int k = 0; k < links; ++k) {
      fs::create_directory(dir.path() / folder(k));
      const std::string text = k + 1 < links ? "../" + folder(k + 1) + "/l" : "../end/map.drm";
      ASSERT_EQ(::symlink(text.c_str(), dir.File(folder(k) + "/l").c_str()), 0);
    }
    const std::string target = dir.File(folder(0) + "/l");
    const int kernel = ::open(target.c_str(), O_RDONLY);
    const bool kernelFollows = kernel >= 0;
    if (kernel >= 0) ::close(kernel);
    EXPECT_EQ(kernelFollows, links <= 40);

    const bool written = WriteWholeFile(target.c_str(), "new");
    EXPECT_EQ(written, kernelFollows) << LastWriteFailure();
    EXPECT_EQ(test::ReadBytes(dir.File("end/map.drm")), written ? "new" : kOldContent);
    if (written) EXPECT_EQ(LastWriteFailure(), "");
    if (!written) EXPECT_EQ(LastWriteFailure(), SystemText(ELOOP));
    EXPECT_EQ(TemporaryFilesIn(dir.File("end")), 0);
  }
}

}  // namespace
