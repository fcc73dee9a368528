// A client over the recording console and the clock that does not wait, with adb's names set
// as after a successful server start and the emulator at 127.0.0.1:6555.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/adb_client.h"
#include "device/clock.h"
#include "device/recording_console.h"

namespace lingqiao::testing {

inline constexpr char kAddress[] = "127.0.0.1:6555";

struct RecordedClient {
  explicit RecordedClient(RecordingConsole::Answerer answer = nullptr,
                          std::string address = kAddress);

  // Lines written since the last Clear.
  std::vector<std::string> Lines() const { return console->Lines(); }
  void Clear() { console->ClearLines(); }

  // The head of device lines: "adb -s " + address.
  std::string Device() const;
  // The head of the lines that start with adb's file name (pull, clear data).
  std::string DeviceByFileName() const;
  std::string ConnectLine() const;

  std::shared_ptr<CountingClock> clock;
  RecordingConsole* console;  // owned by adb
  std::unique_ptr<AdbClient> adb;
};

// Answers the server start's version line, as a working adb does.
std::string AnswerVersion(const std::string& line);

}  // namespace lingqiao::testing
