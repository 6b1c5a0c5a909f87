// drummap-export stopped by SIGINT, SIGTERM, SIGHUP or SIGQUIT in the middle
// of a write, or right after it made its temporary file: that file goes, the
// old file stays whole, and the process still ends by the signal. (SIGKILL
// cannot be caught and is not covered.)
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "temp_dir.h"

namespace {

const std::string kOldContent = "the drum map that was here before";

// The stalled program, started with its standard output on a pipe.
class StalledExport {
 public:
  explicit StalledExport(const std::vector<std::string>& args) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> all = {DRUMMAP_STALLED_EXPORT};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    out_ = out[0];
  }
  ~StalledExport() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }
  StalledExport(const StalledExport&) = delete;
  StalledExport& operator=(const StalledExport&) = delete;

  // True once it says it stalled (within ten seconds).
  bool WaitUntilStalled() {
    std::string said;
    while (said.find("stalled\n") == std::string::npos) {
      pollfd fd = {out_, POLLIN, 0};
      if (::poll(&fd, 1, 10000) <= 0) return false;
      char buffer[64];
      const ssize_t got = ::read(out_, buffer, sizeof buffer);
      if (got <= 0) return false;
      said.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
  }
  void Send(int signal) { ::kill(pid_, signal); }
  // Sends the signal and returns the process's wait status.
  int Stop(int signal) {
    Send(signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

TEST(InterruptedExport, TemporaryFileIsRemovedAndTheOldFileKept) {
  const struct {
    const char* what;
    int signal;
    std::vector<std::string> options;
    const char* bytesBeforeStall;
  } cases[] = {
      {"SIGTERM, XML half written", SIGTERM, {}, "20000"},
      {"SIGINT, XML at the first line", SIGINT, {}, "0"},
      {"SIGHUP, XML half written", SIGHUP, {}, "20000"},
      {"SIGTERM, binary", SIGTERM, {"--format", "binary"}, "0"},
      {"SIGINT, binary", SIGINT, {"--format", "binary"}, "0"},
      {"SIGQUIT, XML half written", SIGQUIT, {}, "20000"},
      // Right after the create, before the file is registered for clean-up.
      {"SIGINT, just created", SIGINT, {}, "created"},
      {"SIGTERM, just created", SIGTERM, {}, "created"},
      {"SIGHUP, just created", SIGHUP, {}, "created"},
      {"SIGQUIT, just created", SIGQUIT, {}, "created"},
      {"SIGTERM, binary, just created", SIGTERM, {"--format", "binary"}, "created"},
  };
  const std::regex temporary(R"(\.map\.drm\.drummap-[a-z0-9]{6}\.tmp)");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string target = dir.File("map.drm");
    test::WriteBytes(target, kOldContent);
    std::vector<std::string> args = {c.bytesBeforeStall};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"-o", target, test::SourcePath("examples/kits/acoustic.txt")});
    StalledExport run(args);
    ASSERT_TRUE(run.WaitUntilStalled());
    const std::vector<std::string> during = dir.List();
    ASSERT_EQ(during.size(), 2u) << ::testing::PrintToString(during);
    EXPECT_TRUE(std::regex_match(during[0], temporary)) << during[0];

    const int status = run.Stop(c.signal);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << "wait status " << status;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"map.drm"});
    EXPECT_EQ(test::ReadBytes(target), kOldContent);
  }
}

// Under nohup SIGHUP is ignored from the start: it must stay ignored. An
// ignored signal is dropped when sent, so the SIGTERM after it is the one
// that ends the run; a caught SIGHUP would be delivered first.
TEST(InterruptedExport, IgnoredSignalStaysIgnored) {
  test::TempDir dir;
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &previous), 0);  // inherited by the child
  StalledExport run({"0", "-o", dir.File("map.drm"), test::SourcePath("examples/kits/acoustic.txt")});
  ::sigaction(SIGHUP, &previous, nullptr);
  ASSERT_TRUE(run.WaitUntilStalled());
  run.Send(SIGHUP);
  const int status = run.Stop(SIGTERM);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "wait status " << status;
  EXPECT_TRUE(dir.List().empty());
}

}  // namespace
