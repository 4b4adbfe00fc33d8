// The backups that runs keep under the Live2ch folder.
#include "backup/backup_folder.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <tuple>

#include "util/path.h"

namespace mirelda {
namespace {

constexpr std::string_view kHeader = "mirelda-backup 1";

// Splits a manifest line "KIND\tREST" into its kind and the rest.
std::pair<std::string_view, std::string_view> SplitEntry(std::string_view line) {
  const size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return {line, {}};
  return {line.substr(0, tab), line.substr(tab + 1)};
}

// A stamp as a key that sorts by time and then by its number: "X" < "X-2" < "X-10".
std::tuple<std::string, long> StampKey(const std::string& name) {
  const size_t dash = name.find('-', name.find('-') + 1);
  if (dash == std::string::npos) return {name, 1};
  return {name.substr(0, dash), std::strtol(name.c_str() + dash + 1, nullptr, 10)};
}

bool LooksLikeStamp(const std::string& name) {
  // "YYYYMMDD-HHMMSS", then maybe "-N".
  if (name.size() < 15 || name[8] != '-') return false;
  for (size_t i = 0; i < 15; ++i) {
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return false;
  }
  return name.size() == 15 || (name[15] == '-' && name.size() > 16);
}

}  // namespace

std::string BackupRoot(const std::string& live2ch_folder) {
  std::string root = live2ch_folder;
  root.append(kBackupFolderName).push_back(kSep);
  return root;
}

std::string StampOf(std::time_t time) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

void ContentHash::Add(std::string_view bytes) {
  // FNV-1a: any change a person or a program makes to a file changes it.
  for (const char c : bytes) hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 1099511628211u;
  size_ += bytes.size();
}

std::string ContentHash::Text() const {
  char text[48];
  std::snprintf(text, sizeof text, "%016" PRIx64 ":%" PRIu64, hash_, size_);
  return text;
}

std::string ManifestHeader(const std::string& restores) {
  std::string text(kHeader);
  text.push_back('\n');
  if (!restores.empty()) text += ManifestLine("restores", restores);
  return text;
}

std::string ManifestLine(std::string_view kind, std::string_view value) {
  std::string line(kind);
  line.append("\t").append(value).push_back('\n');
  return line;
}

std::string CreatedLine(const Manifest::Created& file) {
  return ManifestLine("created", file.hash + "\t" + file.path);
}

std::string FormatManifest(const Manifest& manifest) {
  std::string text = ManifestHeader(manifest.restores);
  if (!manifest.restored_by.empty()) text += ManifestLine("restored-by", manifest.restored_by);
  for (const auto& file : manifest.created) text += CreatedLine(file);
  for (const std::string& path : manifest.created_folders) text += ManifestLine("folder", path);
  for (const std::string& path : manifest.replaced) text += ManifestLine("replaced", path);
  return text;
}

Manifest ParseManifest(std::string_view text) {
  Manifest manifest;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const auto [kind, rest] = SplitEntry(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (rest.empty()) continue;
    if (kind == "restores") {
      manifest.restores = rest;
    } else if (kind == "restored-by") {
      manifest.restored_by = rest;
    } else if (kind == "folder") {
      manifest.created_folders.emplace_back(rest);
    } else if (kind == "replaced") {
      manifest.replaced.emplace_back(rest);
    } else if (kind == "created") {
      const auto [hash, path] = SplitEntry(rest);
      if (!path.empty()) manifest.created.push_back({std::string(path), std::string(hash)});
    }
  }
  return manifest;
}

std::vector<std::string> ListStamps(FileSystem& fs, const std::string& backup_root) {
  FolderEntries entries;
  fs.ListFolder(backup_root, entries);
  std::vector<std::string> stamps;
  for (std::string& name : entries.folders) {
    if (LooksLikeStamp(name)) stamps.push_back(std::move(name));
  }
  std::sort(stamps.begin(), stamps.end(),
            [](const std::string& a, const std::string& b) { return StampKey(a) < StampKey(b); });
  return stamps;
}

}  // namespace mirelda
