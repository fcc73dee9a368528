#include "scene.h"

#include <algorithm>
#include <iterator>

#include "utf8_text.h"

namespace lingqiao::sim {
namespace {

constexpr std::string_view kLauncherPackage = "com.android.launcher3";
constexpr int kIconColumns = 4;
constexpr int kIconCellWidth = 170;
constexpr int kIconCellHeight = 190;
constexpr int kIconLeft = 20;
constexpr int kIconTop = 120;
constexpr int kIconRowGap = 20;
constexpr Rect kTitleBar{0, kStatusBarHeight, kScreenWidth, 152};
constexpr int kListItemHeight = 110;

const uint32_t kIconColours[] = {0x607d8b, 0x1e88e5, 0x43a047, 0xfb8c00,
                                 0x00897b, 0xe53935, 0x8e24aa, 0x6d4c41};

Element TextView(std::string text, std::string_view package, Rect bounds, ElementStyle style) {
  Element e;
  e.text = std::move(text);
  e.className = "android.widget.TextView";
  e.packageName = std::string(package);
  e.bounds = bounds;
  e.style = style;
  return e;
}

void AddHome(std::vector<Element>& out, const PackageList& packages) {
  int index = 0;
  for (const PackageInfo* app : packages.LauncherApps()) {
    const int column = index % kIconColumns;
    const int row = index / kIconColumns;
    const int left = kIconLeft + column * kIconCellWidth;
    const int top = kIconTop + row * (kIconCellHeight + kIconRowGap);
    if (top + kIconCellHeight > kScreenHeight) break;
    Element icon = TextView(app->label, kLauncherPackage,
                            Rect{left, top, left + kIconCellWidth, top + kIconCellHeight},
                            ElementStyle::kIcon);
    icon.clickable = true;
    icon.focusable = true;
    icon.action = ElementAction::kOpenApp;
    icon.target = app->name;
    icon.colour = kIconColours[index % std::size(kIconColours)];
    out.push_back(std::move(icon));
    ++index;
  }
}

void AddTitle(std::vector<Element>& out, std::string title, std::string_view package) {
  Element e = TextView(std::move(title), package, Rect{32, kTitleBar.top, 688, kTitleBar.bottom},
                       ElementStyle::kTitle);
  e.resourceId = "android:id/title";
  out.push_back(std::move(e));
}

void AddSettings(std::vector<Element>& out) {
  AddTitle(out, "设置", kSettingsPackage);
  const char* items[] = {"WLAN", "蓝牙", "显示", "声音", "应用", "存储", "电池", "关于手机"};
  int top = kTitleBar.bottom;
  for (const char* item : items) {
    Element e = TextView(item, kSettingsPackage, Rect{0, top, kScreenWidth, top + kListItemHeight},
                         ElementStyle::kListItem);
    e.resourceId = "android:id/title";
    e.clickable = true;
    out.push_back(std::move(e));
    top += kListItemHeight;
  }
}

void AddBrowser(std::vector<Element>& out, const std::string& fieldText, bool focused,
                const std::string& message) {
  Element field;
  field.text = fieldText;
  field.hint = "搜索或输入网址";
  field.resourceId = "com.android.browser:id/url";
  field.className = "android.widget.EditText";
  field.packageName = std::string(kBrowserPackage);
  field.bounds = Rect{16, 56, 560, 136};
  field.style = ElementStyle::kEditField;
  field.action = ElementAction::kFocusField;
  field.clickable = true;
  field.focusable = true;
  field.focused = focused;
  out.push_back(std::move(field));

  Element go = TextView("前往", kBrowserPackage, Rect{576, 56, 704, 136}, ElementStyle::kButton);
  go.className = "android.widget.Button";
  go.resourceId = "com.android.browser:id/go";
  go.action = ElementAction::kGo;
  go.clickable = true;
  go.focusable = true;
  out.push_back(std::move(go));

  out.push_back(TextView(message.empty() ? "欢迎使用浏览器" : message, kBrowserPackage,
                         Rect{40, 600, 680, 680}, ElementStyle::kBodyText));
}

void AddApp(std::vector<Element>& out, const PackageList& packages, std::string_view package) {
  const std::string label = AppLabel(packages, package);
  AddTitle(out, label, package);
  out.push_back(TextView(label, package, Rect{40, 600, 680, 680}, ElementStyle::kBodyText));
}

// Removes the last UTF-8 character, as the delete key does.
void DeleteLastCharacter(std::string& text) {
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text.back());
    text.pop_back();
    if ((c & 0xc0) != 0x80) break;
  }
}

}  // namespace

std::string AppLabel(const PackageList& packages, std::string_view packageName) {
  const PackageInfo* info = packages.Find(packageName);
  if (info != nullptr && !info->label.empty()) return info->label;
  return std::string(packageName);
}

const Element* HitTest(const std::vector<Element>& elements, int x, int y) {
  for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
    if (it->clickable && it->bounds.Contains(x, y)) return &*it;
  }
  return nullptr;
}

Scene::Scene() { stack_.push_back(Page{PageKind::kHome, std::string(kLauncherPackage)}); }

std::vector<Element> Scene::Elements(const PackageList& packages) const {
  std::vector<Element> out;
  const Page& page = Current();
  switch (page.kind) {
    case PageKind::kHome:
      AddHome(out, packages);
      break;
    case PageKind::kSettings:
      AddSettings(out);
      break;
    case PageKind::kBrowser:
      AddBrowser(out, fieldText_, fieldFocused_, browserMessage_);
      break;
    case PageKind::kApp:
      AddApp(out, packages, page.packageName);
      break;
  }
  return out;
}

void Scene::Tap(int x, int y, const PackageList& packages) {
  const std::vector<Element> elements = Elements(packages);
  const Element* hit = HitTest(elements, x, y);
  if (hit == nullptr) return;
  switch (hit->action) {
    case ElementAction::kOpenApp:
      Open(hit->target);
      break;
    case ElementAction::kFocusField:
      fieldFocused_ = true;
      break;
    case ElementAction::kGo:
      Go();
      break;
    case ElementAction::kNone:
      break;
  }
}

void Scene::Go() {
  fieldFocused_ = false;
  browserMessage_ = fieldText_.empty() ? "" : "正在打开：" + fieldText_;
}

void Scene::Key(int code) {
  switch (code) {
    case kKeyHome:
      stack_.resize(1);
      break;
    case kKeyBack:
      if (stack_.size() > 1) stack_.pop_back();
      break;
    case kKeyEnter:
      if (Current().kind == PageKind::kBrowser && fieldFocused_) Go();
      break;
    case kKeyDelete:
      if (Current().kind == PageKind::kBrowser && fieldFocused_) DeleteLastCharacter(fieldText_);
      break;
    default:
      break;
  }
}

void Scene::Type(std::string_view text) {
  if (Current().kind != PageKind::kBrowser || !fieldFocused_) return;
  // The app gets the text as Java decodes it: a byte that is not UTF-8 becomes U+FFFD.
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0) {
      fieldText_ += "\xef\xbf\xbd";
      text.remove_prefix(1);
    } else {
      fieldText_ += text.substr(0, length);
      text.remove_prefix(length);
    }
  }
}

void Scene::Open(std::string_view packageName) {
  if (packageName == kLauncherPackage) {
    stack_.resize(1);
    return;
  }
  PageKind kind = PageKind::kApp;
  if (packageName == kSettingsPackage) kind = PageKind::kSettings;
  if (packageName == kBrowserPackage) kind = PageKind::kBrowser;
  // An app that is open already comes to the front with the pages above it closed.
  const auto it = std::find_if(stack_.begin() + 1, stack_.end(),
                               [&](const Page& p) { return p.packageName == packageName; });
  if (it != stack_.end()) {
    stack_.erase(it + 1, stack_.end());
  } else {
    stack_.push_back(Page{kind, std::string(packageName)});
  }
  if (kind == PageKind::kBrowser) fieldFocused_ = true;
}

void Scene::Close(std::string_view packageName) {
  const auto it = std::find_if(stack_.begin() + 1, stack_.end(),
                               [&](const Page& p) { return p.packageName == packageName; });
  stack_.erase(it, stack_.end());
  if (packageName == kBrowserPackage) {
    fieldText_.clear();
    browserMessage_.clear();
    fieldFocused_ = false;
  }
}

}  // namespace lingqiao::sim
