#include "packages.h"

namespace lingqiao::sim {

PackageList::PackageList() {
  struct Seed {
    const char* name;
    const char* label;
  };
  // The launcher's order; the first two are what scripts tap most.
  const Seed system[] = {
      {"com.android.settings", "设置"},   {"com.android.browser", "浏览器"},
      {"com.android.camera2", "相机"},    {"com.android.gallery3d", "图库"},
      {"com.android.dialer", "电话"},     {"com.android.mms", "信息"},
      {"com.android.contacts", "联系人"}, {"com.android.calculator2", "计算器"},
      {"android", ""},                    {"com.android.launcher3", ""},
      {"com.android.systemui", ""},       {"com.android.providers.settings", ""},
      {"com.android.shell", ""},          {"com.android.inputmethod.latin", ""},
  };
  for (const Seed& seed : system) {
    packages_[seed.name] = PackageInfo{seed.name, seed.label, true};
    systemOrder_.push_back(seed.name);
  }
  packages_[std::string(kKeyboardPackage)] = PackageInfo{std::string(kKeyboardPackage), "", false};
}

const PackageInfo* PackageList::Find(std::string_view name) const {
  const auto it = packages_.find(name);
  return it == packages_.end() ? nullptr : &it->second;
}

void PackageList::Install(std::string_view name) {
  if (IsInstalled(name)) return;
  // An input method has no launcher icon; other installed apps show their package name.
  std::string label = name == kKeyboardPackage ? "" : std::string(name);
  packages_[std::string(name)] = PackageInfo{std::string(name), std::move(label), false};
}

bool PackageList::Uninstall(std::string_view name) {
  const auto it = packages_.find(name);
  if (it == packages_.end() || it->second.system) return false;
  packages_.erase(it);
  return true;
}

std::vector<const PackageInfo*> PackageList::LauncherApps() const {
  std::vector<const PackageInfo*> out;
  for (const std::string& name : systemOrder_) {
    const PackageInfo* info = Find(name);
    if (!info->label.empty()) out.push_back(info);
  }
  for (const auto& [name, info] : packages_) {
    if (!info.system && !info.label.empty()) out.push_back(&info);
  }
  return out;
}

std::vector<std::string> PackageList::Names() const {
  std::vector<std::string> out;
  for (const auto& [name, info] : packages_) out.push_back(name);
  return out;
}

}  // namespace lingqiao::sim
