#include "device.h"

namespace lingqiao::sim {

Device::Device(int port) : port(port) {
  properties = {
      {"ro.product.name", "lingqiao_sim"},
      {"ro.product.model", "Lingqiao Sim"},
      {"ro.product.device", "lingqiao"},
      {"ro.product.brand", "lingqiao"},
      {"ro.product.manufacturer", "lingqiao"},
      {"ro.product.cpu.abi", "x86"},
      {"ro.build.version.release", "5.1.1"},
      {"ro.build.version.sdk", "22"},
      {"ro.build.type", "userdebug"},
      {"ro.secure", "0"},
      {"ro.debuggable", "1"},
      {"ro.serialno", "127.0.0.1:" + std::to_string(port)},
      {"ro.sf.lcd_density", "320"},
      {"persist.sys.language", "zh"},
      {"persist.sys.country", "CN"},
      {"sys.boot_completed", "1"},
  };
}

std::string DeviceBanner(const Device& device) {
  std::string banner = "device::";
  for (const char* key : {"ro.product.name", "ro.product.model", "ro.product.device"}) {
    const auto it = device.properties.find(key);
    std::string value = it == device.properties.end() ? "" : it->second;
    // The host splits the banner at ';' and at the first '=', and rejects ':' in values.
    for (char& c : value) {
      if (c == ';' || c == ':') c = '_';
    }
    banner += std::string(key) + "=" + value + ";";
  }
  banner += "features=";
  return banner;
}

}  // namespace lingqiao::sim
