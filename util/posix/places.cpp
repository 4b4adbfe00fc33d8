// Where programs usually are on POSIX: a Wine prefix's Windows places and the home folder.
#include "util/places.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace mirelda {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string UserName() {
  if (const std::string user = Environment("USER"); !user.empty()) return user;
  const passwd* entry = getpwuid(getuid());
  return entry ? entry->pw_name : "";
}

}  // namespace

std::string HomeFolder() {
  if (const std::string home = Environment("HOME"); !home.empty()) return home;
  const passwd* entry = getpwuid(getuid());
  return entry ? entry->pw_dir : "";
}

std::vector<std::string> UsualPlaces() {
  const std::string home = HomeFolder();
  std::string prefix = Environment("WINEPREFIX");
  if (prefix.empty()) prefix = home + "/.wine";
  const std::string drive = prefix + "/drive_c";
  const std::string profile = drive + "/users/" + UserName();
  const std::string store = profile + "/AppData/Local/VirtualStore";
  return {drive,
          drive + "/Program Files",
          drive + "/Program Files (x86)",
          profile + "/Desktop",
          profile + "/Documents",
          profile + "/Downloads",
          store + "/Program Files",
          store + "/Program Files (x86)",
          home};
}

// Wine keeps no VirtualStore: its programs write where they were installed.
std::string VirtualStoreOf(const std::string&) { return ""; }

bool RunsElevated() { return geteuid() == 0; }

}  // namespace mirelda
