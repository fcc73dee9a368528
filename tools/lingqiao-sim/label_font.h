// Draws the scene's labels. Built with FreeType when the build has it; the font files are looked
// for at run time, and without any the screen is drawn without its labels (the UI dump still
// carries every text).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "screen_canvas.h"

namespace lingqiao::sim {

class LabelFont {
 public:
  // Opens every file of the list that is a usable font; a character is drawn with the first of
  // them that has it (a CJK font first, then one for Latin text).
  explicit LabelFont(const std::vector<std::string>& fontFiles);
  ~LabelFont();
  LabelFont(const LabelFont&) = delete;
  LabelFont& operator=(const LabelFont&) = delete;

  bool Loaded() const;

  // Width in pixels of the UTF-8 text at the given pixel size.
  int Measure(std::string_view text, int pixelSize) const;
  // Draws the text with its left end at x, centred vertically in box, clipped to box.
  void Draw(Canvas& canvas, std::string_view text, int x, Rect box, int pixelSize,
            uint32_t colour) const;

 private:
  struct Faces;
  std::unique_ptr<Faces> faces_;
};

}  // namespace lingqiao::sim
