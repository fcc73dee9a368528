#include "screen_canvas.h"

#include <algorithm>

namespace lingqiao::sim {
namespace {

uint8_t Channel(uint32_t colour, int shift) { return static_cast<uint8_t>((colour >> shift) & 0xff); }

uint32_t Mix(uint32_t a, uint32_t b, int num, int den) {
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) {
    const int ca = Channel(a, shift);
    const int cb = Channel(b, shift);
    out |= static_cast<uint32_t>(ca + (cb - ca) * num / den) << shift;
  }
  return out;
}

}  // namespace

Canvas::Canvas(int width, int height, uint32_t colour)
    : width_(width), height_(height), rgb_(static_cast<std::size_t>(width) * height * 3) {
  Fill(Rect{0, 0, width, height}, colour);
}

uint32_t Canvas::Pixel(int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  return (uint32_t{rgb_[at]} << 16) | (uint32_t{rgb_[at + 1]} << 8) | rgb_[at + 2];
}

void Canvas::Fill(Rect rect, uint32_t colour) {
  const int left = std::max(rect.left, 0);
  const int right = std::min(rect.right, width_);
  const int top = std::max(rect.top, 0);
  const int bottom = std::min(rect.bottom, height_);
  for (int y = top; y < bottom; ++y) {
    uint8_t* p = rgb_.data() + (static_cast<std::size_t>(y) * width_ + left) * 3;
    for (int x = left; x < right; ++x) {
      *p++ = Channel(colour, 16);
      *p++ = Channel(colour, 8);
      *p++ = Channel(colour, 0);
    }
  }
}

void Canvas::FillRounded(Rect rect, int radius, uint32_t colour) {
  radius = std::min({radius, (rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2});
  for (int y = rect.top; y < rect.bottom; ++y) {
    // How far the row's ends are pulled in by the corner circles.
    int inset = 0;
    const int dy = y < rect.top + radius ? rect.top + radius - y
                   : y >= rect.bottom - radius ? y - (rect.bottom - radius - 1)
                                               : 0;
    if (dy > 0) {
      while (inset < radius && (radius - inset) * (radius - inset) + dy * dy > radius * radius) {
        ++inset;
      }
    }
    Fill(Rect{rect.left + inset, y, rect.right - inset, y + 1}, colour);
  }
}

void Canvas::FillGradient(Rect rect, uint32_t top, uint32_t bottom) {
  const int height = std::max(rect.bottom - rect.top, 1);
  for (int y = rect.top; y < rect.bottom; ++y) {
    Fill(Rect{rect.left, y, rect.right, y + 1}, Mix(top, bottom, y - rect.top, height));
  }
}

void Canvas::Blend(int x, int y, uint32_t colour, unsigned coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage == 0) return;
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  const uint32_t mixed = Mix(Pixel(x, y), colour, static_cast<int>(std::min(coverage, 255u)), 255);
  rgb_[at] = Channel(mixed, 16);
  rgb_[at + 1] = Channel(mixed, 8);
  rgb_[at + 2] = Channel(mixed, 0);
}

}  // namespace lingqiao::sim
