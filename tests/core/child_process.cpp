#include "child_process.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#else
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

std::string ExportProgram() {
#ifdef _WIN32
  return std::string("Z:") + DRUMMAP_EXPORT_PROGRAM;
#else
  return DRUMMAP_EXPORT_PROGRAM;
#endif
}

#ifdef _WIN32

namespace {

void ReadAll(HANDLE pipe, std::string& into) {
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) into.append(buffer, got);
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& args) {
  ProgramResult result;
  std::string command;
  for (const std::string& arg : args) command += (command.empty() ? "\"" : " \"") + arg + "\"";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) return result;
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  result.started = CreateProcessA(args[0].c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process) != 0;
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (result.started) {
    std::thread errors([&] { ReadAll(errRead, result.err); });
    ReadAll(outRead, result.out);
    errors.join();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

#else

ProgramResult RunProgram(const std::vector<std::string>& args) {
  ProgramResult result;
  int out[2], err[2];
  if (::pipe(out) != 0) return result;
  if (::pipe(err) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  result.started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&result.out, &result.err};
  for (int open = result.started ? 2 : 0; open > 0;) {
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  if (result.started && ::waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  return result;
}

#endif
