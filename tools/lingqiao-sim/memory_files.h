// The device's file system, kept in memory: what `adb push`/`pull`, screencap and uiautomator
// write and read. Directories exist implicitly above every file, as adbd creates them on SEND.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::sim {

inline constexpr uint32_t kModeRegularFile = 0100000;
inline constexpr uint32_t kModeDirectory = 0040000;

struct MemoryFile {
  std::string bytes;
  uint32_t mode = kModeRegularFile | 0644;
  uint32_t mtime = 0;
};

// An absolute path without repeated, trailing or "." parts; relative paths start at "/",
// the shell's working directory.
std::string NormalizePath(std::string_view path);

class MemoryFiles {
 public:
  MemoryFiles();

  const MemoryFile* Find(std::string_view path) const;
  void Write(std::string_view path, MemoryFile file);
  bool Remove(std::string_view path);
  // Removes a directory with everything below it.
  void RemoveTree(std::string_view path);
  bool IsDirectory(std::string_view path) const;

  struct Entry {
    std::string name;
    uint32_t mode = 0;
    uint32_t size = 0;
    uint32_t mtime = 0;
  };
  // The direct children of a directory, files and directories, sorted by name.
  std::vector<Entry> List(std::string_view directory) const;

 private:
  std::map<std::string, MemoryFile, std::less<>> files_;
  std::set<std::string, std::less<>> directories_;
};

}  // namespace lingqiao::sim
