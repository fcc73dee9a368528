#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "device/file_system.h"
#include "text/encoding.h"

namespace lingqiao {

// Paths are GBK inside the system and UTF-8 on this platform's file system.
static std::string Native(const std::string& gbk) { return GbkToNative(gbk); }

char PathSeparator() { return '/'; }

std::string ProgramFolder() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return NativeToGbk(slash == 0 ? "/" : path.substr(0, slash));
}

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  if (folder.back() != '/') folder.push_back('/');
  return NativeToGbk(folder);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(Native(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool DeleteFileAt(const std::string& path) {
  return std::remove(Native(path).c_str()) == 0 || !FileExists(path);
}

std::string MakeUniqueFolder(const std::string& parent, std::string_view prefix) {
  std::string tmpl = Native(parent) + std::string(prefix) + "XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) return {};
  return NativeToGbk(buf.data()) + "/";
}

void RemoveFolder(const std::string& folder) {
  const std::string native = Native(folder);
  if (DIR* dir = opendir(native.c_str())) {
    while (dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") unlink((native + "/" + name).c_str());
    }
    closedir(dir);
  }
  rmdir(native.c_str());
}

bool SetCurrentFolder(const std::string& folder) { return chdir(Native(folder).c_str()) == 0; }

bool SetEnvironmentValue(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), Native(value).c_str(), 1) == 0;
}

}  // namespace lingqiao
