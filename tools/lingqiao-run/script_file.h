// A script file's bytes made ready to run, with what the user should be told about them.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

struct PreparedScript {
  std::string text;                // GBK, as the main window would hand it to the runner
  bool hadByteOrderMark = false;   // a UTF-8 byte-order mark was taken off
  bool convertedFromUtf8 = false;  // the file was UTF-8 with non-ASCII characters
  int loneLineFeeds = 0;           // line feeds without a carriage return before them
  bool hasCrLf = false;
};

// Script files are GBK. A file that is valid UTF-8 and holds non-ASCII characters (with or
// without a byte-order mark) was written by another editor: read as GBK its command names
// would match nothing and every line would pass silently, so it is converted. Line ends are
// left alone: lone line feeds run as the main window runs them.
PreparedScript PrepareScript(std::string_view bytes);

}  // namespace lingqiao
