// lingqiao-run's work: start adb through each device's own client in turn, then connect and
// run the script on every device at once, and sum up.
#pragma once

#include "engine/script_line.h"
#include "run_options.h"
#include "terminal.h"

namespace lingqiao {

struct HeadlessResult {
  int exitCode = 0;  // 0 all ran; 1 a line failed or a device did not connect; 2 adb; 130 stop
  // After a stop some device threads were still inside an adb operation and were let go:
  // the caller must end the process without tearing anything down.
  bool threadsLeftRunning = false;
};

HeadlessResult RunHeadless(const RunOptions& options, TextSink& sink, StopFlag& stop);

}  // namespace lingqiao
