// The running programs on Linux, from /proc: a process's program file, or the program that its
// command line names, Wine's Windows paths mapped through the prefix's drive letters.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include "util/path.h"
#include "util/places.h"

namespace mirelda {
namespace {

std::string Canonical(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? resolved : path;
}

// The text of a /proc file; what could be read of it when its process ends meanwhile (the read
// then fails with ESRCH), which is then no longer running.
std::string ReadProcFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "";
  std::string text;
  char chunk[4096];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(got));
  close(fd);
  return text;
}

std::string LinkTarget(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t size = readlink(path.c_str(), target, sizeof target);
  return size > 0 ? std::string(target, static_cast<size_t>(size)) : "";
}

// The fields of a NUL-separated /proc file (cmdline, environ).
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\0', start), text.size());
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

// The Wine prefix whose drive letters a process's Windows paths refer to.
std::string PrefixOf(const std::string& pid) {
  for (const std::string& variable : Fields(ReadProcFile("/proc/" + pid + "/environ"))) {
    if (variable.starts_with("WINEPREFIX=") && variable.size() > 11) return variable.substr(11);
  }
  const char* own = std::getenv("WINEPREFIX");
  return own && *own ? own : HomeFolder() + "/.wine";
}

// "C:\Program Files\L\live2ch.exe" => "<prefix>/drive_c/Program Files/L/live2ch.exe"; a path
// that is not a Windows drive path is kept as it is.
std::string LinuxPathOf(const std::string& argument, const std::string& pid) {
  const bool windows = argument.size() > 3 && argument[1] == ':' && argument[2] == '\\' &&
                       std::isalpha(static_cast<unsigned char>(argument[0]));
  if (!windows) return argument;
  const std::string drive = PrefixOf(pid) + "/dosdevices/" + ToLowerAscii(argument.substr(0, 2));
  std::string path = Canonical(drive);
  for (size_t i = 2; i < argument.size(); ++i) {
    const char c = argument[i] == '\\' ? '/' : argument[i];
    if (c != '/' || path.empty() || path.back() != '/') path.push_back(c);
  }
  return path;
}

// The programs a process's command line names: its first word, and the program that Wine's
// loader was asked to start.
std::vector<std::string> NamedPrograms(const std::string& pid) {
  std::vector<std::string> words = Fields(ReadProcFile("/proc/" + pid + "/cmdline"));
  if (words.empty()) return {};
  const std::string first = GetFileNamePart(words[0]);
  if (!first.starts_with("wine") || words.size() < 2) words.resize(1);
  return words;
}

bool SamePath(const std::string& a, const std::string& b) {
  return ToLowerAscii(a) == ToLowerAscii(b);
}

}  // namespace

bool IsProgramRunning(const std::string& program) {
  const std::string wanted = Canonical(program);
  const std::string own = std::to_string(getpid());
  const std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) return false;
  while (const dirent* entry = readdir(proc.get())) {
    const std::string pid = entry->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos || pid == own) continue;
    if (SamePath(LinkTarget("/proc/" + pid + "/exe"), wanted)) return true;
    for (const std::string& named : NamedPrograms(pid)) {
      const std::string path = LinuxPathOf(named, pid);
      if (path.starts_with('/') && (SamePath(path, wanted) || SamePath(Canonical(path), wanted))) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace mirelda
