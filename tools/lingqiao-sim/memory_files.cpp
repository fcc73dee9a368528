#include "memory_files.h"

#include <vector>

namespace lingqiao::sim {
namespace {

std::string ParentOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

}  // namespace

std::string NormalizePath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = path.find('/', at);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string out;
  for (std::string_view part : parts) {
    out += '/';
    out += part;
  }
  return out.empty() ? "/" : out;
}

MemoryFiles::MemoryFiles() {
  for (const char* dir : {"/", "/data", "/data/local", "/data/local/tmp", "/dev", "/mnt", "/proc",
                          "/sdcard", "/storage", "/system", "/system/app", "/system/bin"}) {
    directories_.insert(dir);
  }
}

const MemoryFile* MemoryFiles::Find(std::string_view path) const {
  const auto it = files_.find(NormalizePath(path));
  return it == files_.end() ? nullptr : &it->second;
}

void MemoryFiles::Write(std::string_view path, MemoryFile file) {
  const std::string name = NormalizePath(path);
  for (std::string dir = ParentOf(name); directories_.insert(dir).second && dir != "/";) {
    dir = ParentOf(dir);
  }
  files_[name] = std::move(file);
}

bool MemoryFiles::Remove(std::string_view path) { return files_.erase(NormalizePath(path)) > 0; }

void MemoryFiles::RemoveTree(std::string_view path) {
  const std::string dir = NormalizePath(path);
  if (dir == "/") {
    files_.clear();
    return;
  }
  const std::string prefix = dir + "/";
  auto below = [&](const std::string& name) { return name.compare(0, prefix.size(), prefix) == 0; };
  std::erase_if(files_, [&](const auto& entry) { return below(entry.first); });
  std::erase_if(directories_, [&](const std::string& name) { return below(name); });
  directories_.erase(dir);
}

bool MemoryFiles::IsDirectory(std::string_view path) const {
  return directories_.count(NormalizePath(path)) > 0;
}

std::vector<MemoryFiles::Entry> MemoryFiles::List(std::string_view directory) const {
  const std::string dir = NormalizePath(directory);
  const std::string prefix = dir == "/" ? "/" : dir + "/";
  std::map<std::string, Entry> entries;
  auto take = [&](const std::string& path, Entry entry) {
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return;
    const std::string rest = path.substr(prefix.size());
    if (rest.find('/') != std::string::npos) return;
    entry.name = rest;
    entries.emplace(rest, std::move(entry));
  };
  for (const auto& [path, file] : files_) {
    take(path, Entry{"", file.mode, static_cast<uint32_t>(file.bytes.size()), file.mtime});
  }
  for (const auto& path : directories_) take(path, Entry{"", kModeDirectory | 0755, 0, 0});
  std::vector<Entry> out;
  for (auto& [name, entry] : entries) out.push_back(std::move(entry));
  return out;
}

}  // namespace lingqiao::sim
