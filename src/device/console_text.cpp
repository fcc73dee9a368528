#include "device/console_text.h"

#include <vector>

#include "device/file_system.h"

namespace lingqiao {
namespace {

size_t LastSeparator(std::string_view path) {
#ifdef _WIN32
  return path.find_last_of("\\/");
#else
  return path.rfind('/');
#endif
}

}  // namespace

std::string FileNameOf(std::string_view path, bool withExtension) {
  const size_t sep = LastSeparator(path);
  std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
  if (!withExtension) {
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
  }
  return std::string(name);
}

std::string FolderOf(std::string_view path) {
  const size_t sep = path.rfind(PathSeparator());
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string RemoveLine(std::string_view text, int n) {
  std::string work(text);
  if (work.find("\r\n") == std::string::npos) work += "\r\n";
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos; (pos = work.find("\r\n", start)) != std::string::npos; start = pos + 2) {
    lines.push_back(work.substr(start, pos - start));
  }
  if (start < work.size()) lines.push_back(work.substr(start));
  if (n >= 1 && static_cast<size_t>(n) <= lines.size()) lines.erase(lines.begin() + (n - 1));
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

int CountLines(std::string_view text) {
  int n = 1;
  for (char c : text) n += c == '\n';
  return n;
}

std::string TrimConsoleLines(std::string_view text) {
  std::string out = RemoveLine(text, 1);
  out = RemoveLine(out, CountLines(out));
  out = RemoveLine(out, CountLines(out));
  return out;
}

}  // namespace lingqiao
