#include "device/adb_output.h"

#include "device/console_text.h"
#include "text/text_helpers.h"

namespace lingqiao {

const char kBoundsPattern[] = "\\[(.*?),(.*?)\\]\\[(.*?),(.*?)\\]";

bool IsWholePng(std::string_view bytes) {
  static constexpr char kIend[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D',
                                   '\xAE', 'B', '\x60', '\x82'};
  return bytes.size() >= 8 + sizeof kIend &&
         bytes.substr(bytes.size() - sizeof kIend) == std::string_view(kIend, sizeof kIend);
}

bool IsWholeUiDump(std::string_view bytes) {
  size_t end = bytes.size();
  while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t' || bytes[end - 1] == '\r' ||
                     bytes[end - 1] == '\n' || bytes[end - 1] == '\0'))
    --end;
  constexpr std::string_view kClose = "</hierarchy>";
  return end >= kClose.size() && bytes.substr(end - kClose.size(), kClose.size()) == kClose;
}

std::string TextBoundsPattern(std::string_view text) {
  std::string pattern = "text=\"文本内容\".*?bounds=\"(.*?)\"";
  const std::string placeholder = "文本内容";
  for (size_t pos = 0; (pos = pattern.find(placeholder, pos)) != std::string::npos;) {
    pattern.replace(pos, placeholder.size(), text);
    pos += text.size();
  }
  return pattern;
}

TapPoint CentreOfBounds(int left, int top, int right, int bottom) {
  const int halfWidth = static_cast<int>((static_cast<double>(right) - left) / 2);
  const int halfHeight = static_cast<int>((static_cast<double>(bottom) - top) / 2);
  return {right - halfWidth, bottom - halfHeight};
}

bool ParseScreenSize(std::string_view output, std::string& width, std::string& height) {
  const std::string rest = RemoveLine(output, 1);
  constexpr std::string_view kLabel = "Physical size:";
  if (rest.find(kLabel) == std::string::npos || rest.size() < kLabel.size()) return false;
  // Counted from the start of the text, not from where the label stands.
  const auto pieces = SplitText(rest.substr(kLabel.size()), "x");
  if (pieces.size() < 2) return false;
  width = pieces[0];
  height = pieces[1];
  return true;
}

}  // namespace lingqiao
