#include "ui_dump.h"

namespace lingqiao::sim {
namespace {

const char* Bool(bool value) { return value ? "true" : "false"; }

std::string Bounds(const Rect& r) {
  return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "][" + std::to_string(r.right) +
         "," + std::to_string(r.bottom) + "]";
}

std::string NodeAttributes(int index, const Element& e) {
  std::string out = "index=\"" + std::to_string(index) + "\"";
  out += " text=\"" + XmlAttribute(e.text) + "\"";
  out += " resource-id=\"" + XmlAttribute(e.resourceId) + "\"";
  out += " class=\"" + XmlAttribute(e.className) + "\"";
  out += " package=\"" + XmlAttribute(e.packageName) + "\"";
  out += " content-desc=\"\"";
  out += " checkable=\"false\" checked=\"false\"";
  out += std::string(" clickable=\"") + Bool(e.clickable) + "\"";
  out += " enabled=\"true\"";
  out += std::string(" focusable=\"") + Bool(e.focusable) + "\"";
  out += std::string(" focused=\"") + Bool(e.focused) + "\"";
  out += " scrollable=\"false\" long-clickable=\"false\"";
  out += " password=\"false\" selected=\"false\"";
  out += " bounds=\"" + Bounds(e.bounds) + "\"";
  return out;
}

}  // namespace

std::string XmlAttribute(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '\n': out += "&#10;"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string DumpUi(const Scene& scene, const PackageList& packages) {
  Element root;
  root.className = "android.widget.FrameLayout";
  root.packageName = scene.Current().packageName;
  root.bounds = Rect{0, 0, kScreenWidth, kScreenHeight};

  std::string out = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>";
  out += "<hierarchy rotation=\"0\">\n";
  out += "<node " + NodeAttributes(0, root) + ">\n";
  int index = 0;
  for (const Element& e : scene.Elements(packages)) {
    out += "<node " + NodeAttributes(index++, e) + " />\n";
  }
  out += "</node>\n</hierarchy>";
  return out;
}

}  // namespace lingqiao::sim
