#include "script_file.h"

#include "text/encoding.h"

namespace lingqiao {

PreparedScript PrepareScript(std::string_view bytes) {
  PreparedScript script;
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  std::string_view body = bytes;
  if (body.substr(0, kBom.size()) == kBom && IsValidUtf8(body.substr(kBom.size()))) {
    script.hadByteOrderMark = true;
    body.remove_prefix(kBom.size());
  }
  if (HasNonAscii(body) && IsValidUtf8(body)) {
    script.text = Utf8ToGbk(body);
    script.convertedFromUtf8 = true;
  } else {
    script.text = std::string(body);
  }
  for (size_t i = 0; i < script.text.size(); ++i) {
    if (script.text[i] != '\n') continue;
    if (i > 0 && script.text[i - 1] == '\r') {
      script.hasCrLf = true;
    } else {
      ++script.loneLineFeeds;
    }
  }
  return script;
}

}  // namespace lingqiao
