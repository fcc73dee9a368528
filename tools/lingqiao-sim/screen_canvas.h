// An RGB picture of the screen, drawn with a few flat shapes.
#pragma once

#include <cstdint>
#include <vector>

#include "scene.h"

namespace lingqiao::sim {

class Canvas {
 public:
  Canvas(int width, int height, uint32_t colour);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Rows of width * 3 bytes, top row first.
  const std::vector<uint8_t>& Rgb() const { return rgb_; }
  uint32_t Pixel(int x, int y) const;

  void Fill(Rect rect, uint32_t colour);
  void FillRounded(Rect rect, int radius, uint32_t colour);
  // Top colour fading into bottom colour over the rectangle's height.
  void FillGradient(Rect rect, uint32_t top, uint32_t bottom);
  // Mixes colour into one pixel with coverage 0..255; points outside the canvas are ignored.
  void Blend(int x, int y, uint32_t colour, unsigned coverage);

 private:
  int width_;
  int height_;
  std::vector<uint8_t> rgb_;
};

}  // namespace lingqiao::sim
