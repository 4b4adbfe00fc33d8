// Looking for the folders of Katjusha and Live2ch in the places where they are usually installed.
#include "util/program_folders.h"

#include <algorithm>
#include <map>

#include "util/path.h"

namespace mirelda {
namespace {

constexpr int kDepth = 2;

class Look {
 public:
  Look(FileSystem& fs, const LookBounds& bounds)
      : fs_(fs), bounds_(bounds), deadline_(std::chrono::steady_clock::now() + bounds.time) {}

  // Lists `folder` and, while `depth` allows, its subfolders; false once a bound is reached.
  bool Visit(const std::string& folder, int depth) {
    // One folder reached from two places is listed once, as deep as the deeper look needs.
    int& looked = looked_.try_emplace(ToLowerAscii(folder), -1).first->second;
    if (looked >= depth) return true;
    if (listed_ >= bounds_.folders || std::chrono::steady_clock::now() >= deadline_) return false;
    ++listed_;
    FolderEntries entries;
    if (fs_.ListFolder(folder, entries)) {
      looked = kDepth;
      return true;
    }
    if (looked < 0) Note(folder, entries.files);
    looked = depth;
    if (depth == 0) return true;
    std::sort(entries.folders.begin(), entries.folders.end(), ListingOrderLess);
    const std::string prefix = IsSeparator(folder.back()) ? folder : folder + kSep;
    for (const std::string& name : entries.folders) {
      if (!Visit(prefix + name, depth - 1)) return false;
    }
    return true;
  }

  ProgramFolders found;

 private:
  void Note(const std::string& folder, const std::vector<std::string>& files) {
    const auto holds = [&](std::string_view program) {
      return std::any_of(files.begin(), files.end(),
                         [&](const std::string& name) { return ToLowerAscii(name) == program; });
    };
    if (holds("katjusha.exe")) found.katjusha.push_back(folder);
    if (holds("live2ch.exe")) found.live2ch.push_back(folder);
  }

  FileSystem& fs_;
  const LookBounds& bounds_;
  const std::chrono::steady_clock::time_point deadline_;
  std::size_t listed_ = 0;
  std::map<std::string, int> looked_;  // folder, in lower case => depth it was listed to
};

// "C:\" stays a root; "/a/b/" => "/a/b".
std::string WithoutFinalSeparator(std::string folder) {
  while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != ':') {
    folder.pop_back();
  }
  return folder;
}

}  // namespace

ProgramFolders FindProgramFolders(FileSystem& fs, const std::vector<std::string>& places,
                                  const LookBounds& bounds) {
  Look look(fs, bounds);
  for (const std::string& place : places) {
    if (!place.empty() && !look.Visit(WithoutFinalSeparator(place), kDepth)) break;
  }
  return look.found;
}

}  // namespace mirelda
