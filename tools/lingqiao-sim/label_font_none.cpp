// The build without FreeType: the screen shows shapes only.
#include "label_font.h"

namespace lingqiao::sim {

struct LabelFont::Faces {};

LabelFont::LabelFont(const std::vector<std::string>&) {}
LabelFont::~LabelFont() = default;
bool LabelFont::Loaded() const { return false; }
int LabelFont::Measure(std::string_view, int) const { return 0; }
void LabelFont::Draw(Canvas&, std::string_view, int, Rect, int, uint32_t) const {}

}  // namespace lingqiao::sim
