// One simulated device: everything that outlives a connection, since adb reconnects to the same
// device after a drop.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "memory_files.h"
#include "packages.h"
#include "scene.h"

namespace lingqiao::sim {

// What the device was made to do, for the journal.
struct Effect {
  enum class Kind { kTap, kSwipe, kKey, kText, kStart, kInstall, kClear, kUninstall };
  Kind kind = Kind::kTap;
  std::vector<long> numbers;  // tap x y; swipe x1 y1 x2 y2 ms; key code
  std::string text;           // text, component or package
};

struct Device {
  explicit Device(int port);

  int port;
  MemoryFiles files;
  PackageList packages;
  std::map<std::string, std::string, std::less<>> properties;
  Scene scene;
  std::string sizeOverride;  // "WxH" after `wm size WxH`
};

// "device::ro.product.name=...;features=": the CNXN banner. Empty features make adb use shell
// version 1, sync version 1 and push install.
std::string DeviceBanner(const Device& device);

}  // namespace lingqiao::sim
