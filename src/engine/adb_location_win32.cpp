#include "engine/startup.h"

namespace lingqiao {

std::string_view AdbProgramFileName() { return "adb.exe"; }

}  // namespace lingqiao
