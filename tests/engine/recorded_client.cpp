#include "recorded_client.h"

#include "engine/startup.h"

namespace lingqiao::testing {

std::string AnswerVersion(const std::string& line) {
  if (line.size() >= 8 && line.compare(line.size() - 8, 8, " version") == 0) {
    return "Android Debug Bridge version 1.0.41\r\nVersion 29.0.6-debian\r\n";
  }
  return {};
}

RecordedClient::RecordedClient(RecordingConsole::Answerer answer, std::string address)
    : clock(std::make_shared<CountingClock>(false)) {
  auto owned = std::make_unique<RecordingConsole>(AnswerVersion);
  console = owned.get();
  adb = std::make_unique<AdbClient>(std::move(owned), clock);
  adb->StartServer(DefaultAdbPath());
  adb->SetDeviceAddress(address);
  console->SetAnswerer(std::move(answer));
  console->ClearLines();
}

std::string RecordedClient::Device() const { return "adb -s " + adb->GetDeviceAddress(); }

std::string RecordedClient::DeviceByFileName() const {
  return adb->GetAdbFileName() + " -s " + adb->GetDeviceAddress();
}

std::string RecordedClient::ConnectLine() const {
  return "adb connect " + adb->GetDeviceAddress();
}

}  // namespace lingqiao::testing
