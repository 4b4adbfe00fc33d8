// A program that runs, asleep, from a path of the test's choosing.
#include "tests/running_program.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>

#include "util/win32/wide.h"
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/test_support.h"
#endif

namespace mirelda::test {

#ifdef _WIN32

RunningProgram::RunningProgram(const std::string& path, const std::map<std::string, std::string>&,
                               const std::string&) {
  std::filesystem::copy_file(MIRELDA_SLEEPER, path,
                             std::filesystem::copy_options::overwrite_existing);
  std::wstring command = L"\"" + Widen(path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Under Wine, on a loaded machine, a program copied a moment ago is now and then not started
  // at the first try.
  BOOL started = FALSE;
  for (int i = 0; i < 20 && !started; ++i) {
    started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process);
    if (!started) Sleep(100);
  }
  EXPECT_TRUE(started) << GetLastError();
  CloseHandle(process.hThread);
  id_ = reinterpret_cast<long long>(process.hProcess);
}

RunningProgram::~RunningProgram() {
  const auto process = reinterpret_cast<HANDLE>(id_);
  TerminateProcess(process, 0);
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
}

#else

RunningProgram::RunningProgram(const std::string& path,
                               const std::map<std::string, std::string>& environment,
                               const std::string& program) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    execl("/bin/bash", "bash", "-c", "exec -a \"$0\" \"$1\" 60", path.c_str(), program.c_str(),
          nullptr);
    _exit(127);
  }
  id_ = pid;
  // Running under its name once the shell has given way to it.
  const std::string cmdline = "/proc/" + std::to_string(pid) + "/cmdline";
  for (int i = 0; i < 500 && ReadBytes(cmdline).rfind(path + '\0', 0) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(ReadBytes(cmdline).rfind(path + '\0', 0), 0u) << path;
}

RunningProgram::~RunningProgram() {
  kill(static_cast<pid_t>(id_), SIGKILL);
  waitpid(static_cast<pid_t>(id_), nullptr, 0);
}

#endif

}  // namespace mirelda::test
