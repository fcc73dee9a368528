#include "journal.h"

#include "utf8_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lingqiao::sim {
namespace {

void AppendEscape(std::string& out, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "\\u%04x", value);
  out += text;
}

const char* EffectName(Effect::Kind kind) {
  switch (kind) {
    case Effect::Kind::kTap: return "tap";
    case Effect::Kind::kSwipe: return "swipe";
    case Effect::Kind::kKey: return "key";
    case Effect::Kind::kText: return "text";
    case Effect::Kind::kStart: return "start";
    case Effect::Kind::kInstall: return "install";
    case Effect::Kind::kClear: return "clear";
    case Effect::Kind::kUninstall: return "uninstall";
  }
  return "effect";
}

}  // namespace

std::string JsonQuoted(std::string_view bytes) {
  std::string out = "\"";
  while (!bytes.empty()) {
    const unsigned char c = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      AppendEscape(out, c);
      bytes.remove_prefix(1);
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      AppendEscape(out, c);
    } else {
      out.append(bytes.substr(0, length));
    }
    bytes.remove_prefix(length);
  }
  out += '"';
  return out;
}

std::string JournalServiceLine(int port, std::string_view service) {
  return "{\"port\":" + std::to_string(port) + ",\"service\":" + JsonQuoted(service) + "}";
}

std::string JournalEffectLine(int port, const Effect& effect) {
  std::string out = "{\"port\":" + std::to_string(port) + ",\"" + EffectName(effect.kind) + "\":";
  switch (effect.kind) {
    case Effect::Kind::kTap:
    case Effect::Kind::kSwipe: {
      out += '[';
      for (std::size_t i = 0; i < effect.numbers.size(); ++i) {
        if (i > 0) out += ',';
        out += std::to_string(effect.numbers[i]);
      }
      out += ']';
      break;
    }
    case Effect::Kind::kKey:
      out += std::to_string(effect.numbers.empty() ? 0 : effect.numbers[0]);
      break;
    default:
      out += JsonQuoted(effect.text);
      break;
  }
  return out + "}";
}

Journal::~Journal() {
  if (fd_ >= 0) ::close(fd_);
}

bool Journal::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  return true;
}

void Journal::Write(std::string_view line) {
  if (fd_ < 0) return;
  std::string whole(line);
  whole += '\n';
  std::string_view rest = whole;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd_, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a full disk loses journal lines, not the device
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace lingqiao::sim
