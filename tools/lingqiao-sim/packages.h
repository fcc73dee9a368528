// The packages installed on a simulated device. System packages come with the device and cannot
// be uninstalled; the launcher shows the ones that have a label.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::sim {

inline constexpr std::string_view kSettingsPackage = "com.android.settings";
inline constexpr std::string_view kBrowserPackage = "com.android.browser";
inline constexpr std::string_view kKeyboardPackage = "com.android.adbkeyboard";

struct PackageInfo {
  std::string name;
  std::string label;  // the launcher's text; empty: no icon on the home screen
  bool system = false;
};

class PackageList {
 public:
  // The device as it starts: system apps, and the ADB keyboard as an installed app.
  PackageList();

  const PackageInfo* Find(std::string_view name) const;
  bool IsInstalled(std::string_view name) const { return Find(name) != nullptr; }
  void Install(std::string_view name);
  // False for system packages and for names not installed.
  bool Uninstall(std::string_view name);

  // In the order the launcher shows them: system apps first, then installed ones by name.
  std::vector<const PackageInfo*> LauncherApps() const;
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, PackageInfo, std::less<>> packages_;
  std::vector<std::string> systemOrder_;
};

}  // namespace lingqiao::sim
