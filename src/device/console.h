// The hidden command interpreter as the adb client uses it: lines go in, whatever output
// has arrived comes out. Real: ConsoleCommand. Recording: RecordingConsole.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

class Console {
 public:
  virtual ~Console() = default;
  // Sends one line (GBK; CR LF is added). False when the interpreter is not running or the
  // bytes could not be handed over.
  virtual bool Write(std::string_view line) = 0;
  // All output waiting now, possibly empty; never waits for more. `pauseMs` is paused before
  // each 256-byte piece.
  virtual std::string Read(int pauseMs = 0) = 0;
  virtual bool IsRunning() = 0;
};

}  // namespace lingqiao
