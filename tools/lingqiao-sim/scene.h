// What the simulated screen shows: a home screen of labelled icons, the settings page, a browser
// page with an address field, and a plain page for any other app. The picture (screen_png) and
// the UI dump (ui_dump) are both drawn from Elements(), so they always agree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "packages.h"

namespace lingqiao::sim {

inline constexpr int kScreenWidth = 720;
inline constexpr int kScreenHeight = 1280;
inline constexpr int kStatusBarHeight = 40;

inline constexpr int kKeyHome = 3;
inline constexpr int kKeyBack = 4;
inline constexpr int kKeyEnter = 66;
inline constexpr int kKeyDelete = 67;

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

enum class ElementStyle { kIcon, kTitle, kListItem, kEditField, kButton, kBodyText };
enum class ElementAction { kNone, kOpenApp, kFocusField, kGo };

struct Element {
  std::string text;
  std::string resourceId;
  std::string className;
  std::string packageName;
  Rect bounds;
  ElementStyle style = ElementStyle::kBodyText;
  ElementAction action = ElementAction::kNone;
  std::string target;  // kOpenApp: the package it opens
  std::string hint;    // kEditField: shown while the text is empty
  bool clickable = false;
  bool focusable = false;
  bool focused = false;
  uint32_t colour = 0;  // kIcon: the icon's colour, 0xRRGGBB
};

enum class PageKind { kHome, kSettings, kBrowser, kApp };

struct Page {
  PageKind kind = PageKind::kHome;
  std::string packageName;  // the app the page belongs to
};

// The topmost clickable element under the point, or nullptr.
const Element* HitTest(const std::vector<Element>& elements, int x, int y);

class Scene {
 public:
  Scene();

  const Page& Current() const { return stack_.back(); }
  std::vector<Element> Elements(const PackageList& packages) const;

  void Tap(int x, int y, const PackageList& packages);
  void Key(int code);
  // Types into the field that has the focus; without one the text goes nowhere.
  void Type(std::string_view text);
  // Brings the app's page to the front, as its launcher icon or `am start` does.
  void Open(std::string_view packageName);
  // The app's process is gone (data cleared, uninstalled): its pages close and its state resets.
  void Close(std::string_view packageName);

  const std::string& FieldText() const { return fieldText_; }

 private:
  void Go();

  std::vector<Page> stack_;  // stack_[0] is the home screen
  std::string fieldText_;
  bool fieldFocused_ = false;
  std::string browserMessage_;
};

// The label the launcher gives a package, or the package name.
std::string AppLabel(const PackageList& packages, std::string_view packageName);

}  // namespace lingqiao::sim
