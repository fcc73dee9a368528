#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "label_font.h"
#include "utf8_text.h"

namespace lingqiao::sim {

struct LabelFont::Faces {
  FT_Library library = nullptr;
  std::vector<FT_Face> faces;

  ~Faces() {
    for (FT_Face face : faces) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }

  // The face that has the character, and its glyph index; the first face's missing glyph when
  // none has it.
  std::pair<FT_Face, FT_UInt> Find(char32_t code) const {
    for (FT_Face face : faces) {
      if (const FT_UInt index = FT_Get_Char_Index(face, code); index != 0) return {face, index};
    }
    return {faces.front(), 0};
  }
};

LabelFont::LabelFont(const std::vector<std::string>& fontFiles) : faces_(std::make_unique<Faces>()) {
  if (FT_Init_FreeType(&faces_->library) != 0) {
    faces_->library = nullptr;
    return;
  }
  for (const std::string& file : fontFiles) {
    FT_Face face = nullptr;
    if (FT_New_Face(faces_->library, file.c_str(), 0, &face) != 0) continue;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
      FT_Done_Face(face);
      continue;
    }
    faces_->faces.push_back(face);
  }
}

LabelFont::~LabelFont() = default;

bool LabelFont::Loaded() const { return !faces_->faces.empty(); }

int LabelFont::Measure(std::string_view text, int pixelSize) const {
  if (!Loaded()) return 0;
  long width = 0;
  for (char32_t code : DecodeUtf8(text)) {
    const auto [face, index] = faces_->Find(code);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0) width += face->glyph->advance.x >> 6;
  }
  return static_cast<int>(width);
}

void LabelFont::Draw(Canvas& canvas, std::string_view text, int x, Rect box, int pixelSize,
                     uint32_t colour) const {
  if (!Loaded()) return;
  // The baseline sits so that an ideograph's usual extent (about 0.88 of the size above it and
  // 0.12 below) is centred in the box.
  const int baseline = box.top + (box.bottom - box.top) / 2 + pixelSize * 38 / 100;
  int penX = x;
  for (char32_t code : DecodeUtf8(text)) {
    const auto [face, index] = faces_->Find(code);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int left = penX + glyph->bitmap_left;
    const int top = baseline - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const int y = top + static_cast<int>(row);
      if (y < box.top || y >= box.bottom) continue;
      const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int px = left + static_cast<int>(col);
        if (px < box.left || px >= box.right) continue;
        canvas.Blend(px, y, colour, line[col]);
      }
    }
    penX += static_cast<int>(glyph->advance.x >> 6);
    if (penX >= box.right) break;
  }
}

}  // namespace lingqiao::sim
