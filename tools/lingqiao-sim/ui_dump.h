// The screen as `uiautomator dump` describes it: UTF-8 XML, one <node> per element on its own
// line with text= before bounds= (scripts find a text with a pattern that needs both on one line
// and in that order), the file ending in "</hierarchy>".
#pragma once

#include <string>
#include <string_view>

#include "packages.h"
#include "scene.h"

namespace lingqiao::sim {

std::string DumpUi(const Scene& scene, const PackageList& packages);

// Escapes & < > " ' for an attribute value.
std::string XmlAttribute(std::string_view text);

}  // namespace lingqiao::sim
