// Runs a program with its output on pipes, for the tests that drive lingqiao-run as a user
// does.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lingqiao::testing {

struct ChildResult {
  int exitCode = -1;  // 128 + signal when a signal ended it
  std::string out;
  std::string err;
  double seconds = 0;         // from the start to the child's end
  double signalSeconds = -1;  // from the start to the signal onOutput asked for
};

// `environment` entries ("NAME=value") are set in the child on top of ours. `onOutput` is
// called with everything read from standard output so far, each time more
// arrives; it may return a signal to send to the child (0 for none), sent once.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment = {}, int timeoutMs = 60000,
                     const std::function<int(const std::string&)>& onOutput = nullptr);

}  // namespace lingqiao::testing
