#include "screen_png.h"

#include <png.h>

#include <algorithm>

#include "utf8_text.h"

namespace lingqiao::sim {
namespace {

constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kTextDark = 0x212121;
constexpr uint32_t kTextGrey = 0x9e9e9e;
constexpr uint32_t kDivider = 0xe0e0e0;
constexpr uint32_t kAccent = 0x1e88e5;
constexpr uint32_t kTitleBar = 0x3f51b5;

void DrawCentredText(Canvas& canvas, const LabelFont& font, const std::string& text, Rect box,
                     int size, uint32_t colour) {
  const int width = font.Measure(text, size);
  const int x = box.left + std::max(0, (box.right - box.left - width) / 2);
  font.Draw(canvas, text, x, box, size, colour);
}

void DrawIcon(Canvas& canvas, const LabelFont& font, const Element& e) {
  const int centre = (e.bounds.left + e.bounds.right) / 2;
  const Rect square{centre - 56, e.bounds.top + 12, centre + 56, e.bounds.top + 124};
  canvas.FillRounded(Rect{square.left + 3, square.top + 5, square.right + 3, square.bottom + 5}, 26,
                     0x0d2538);
  canvas.FillRounded(square, 26, e.colour);
  // The label's first character large on the icon, as a stand-in for artwork.
  if (const std::size_t first = Utf8SequenceLength(e.text); first > 0) {
    DrawCentredText(canvas, font, e.text.substr(0, first), square, 60, kWhite);
  }
  DrawCentredText(canvas, font, e.text, Rect{e.bounds.left, e.bounds.top + 132, e.bounds.right, e.bounds.bottom},
                  28, kWhite);
}

void DrawElement(Canvas& canvas, const LabelFont& font, const Element& e) {
  switch (e.style) {
    case ElementStyle::kIcon:
      DrawIcon(canvas, font, e);
      break;
    case ElementStyle::kTitle:
      font.Draw(canvas, e.text, e.bounds.left, e.bounds, 40, kWhite);
      break;
    case ElementStyle::kListItem:
      font.Draw(canvas, e.text, e.bounds.left + 40, e.bounds, 34, kTextDark);
      canvas.Fill(Rect{e.bounds.left + 40, e.bounds.bottom - 2, e.bounds.right, e.bounds.bottom}, kDivider);
      break;
    case ElementStyle::kEditField: {
      canvas.FillRounded(e.bounds, 10, kWhite);
      if (e.focused) canvas.Fill(Rect{e.bounds.left + 8, e.bounds.bottom - 6, e.bounds.right - 8, e.bounds.bottom - 2}, kAccent);
      const Rect inner{e.bounds.left + 20, e.bounds.top, e.bounds.right - 20, e.bounds.bottom};
      const bool empty = e.text.empty();
      font.Draw(canvas, empty ? e.hint : e.text, inner.left, inner, 32, empty ? kTextGrey : kTextDark);
      if (e.focused) {
        const int caret = inner.left + (empty ? 0 : std::min(font.Measure(e.text, 32), inner.right - inner.left - 4)) + 2;
        canvas.Fill(Rect{caret, e.bounds.top + 20, caret + 3, e.bounds.bottom - 20}, kAccent);
      }
      break;
    }
    case ElementStyle::kButton:
      canvas.FillRounded(e.bounds, 10, kAccent);
      DrawCentredText(canvas, font, e.text, e.bounds, 32, kWhite);
      break;
    case ElementStyle::kBodyText:
      DrawCentredText(canvas, font, e.text, e.bounds, 36, kTextDark);
      break;
  }
}

void DrawBackground(Canvas& canvas, PageKind kind) {
  const Rect bar{0, kStatusBarHeight, kScreenWidth, 152};
  switch (kind) {
    case PageKind::kHome:
      canvas.FillGradient(Rect{0, 0, kScreenWidth, kScreenHeight}, 0x16324f, 0x2a7f8f);
      return;
    case PageKind::kBrowser:
      canvas.Fill(bar, 0xeceff1);
      canvas.Fill(Rect{0, bar.bottom, kScreenWidth, bar.bottom + 2}, kDivider);
      return;
    case PageKind::kSettings:
    case PageKind::kApp:
      canvas.Fill(bar, kTitleBar);
      return;
  }
}

void DrawStatusBar(Canvas& canvas, const LabelFont& font, PageKind kind) {
  const Rect bar{0, 0, kScreenWidth, kStatusBarHeight};
  canvas.Fill(bar, kind == PageKind::kHome ? 0x0f2438 : 0x283593);
  // A fixed clock keeps screenshots comparable from one run to the next.
  const int width = font.Measure("12:00", 26);
  font.Draw(canvas, "12:00", kScreenWidth - 24 - width, bar, 26, kWhite);
  canvas.Fill(Rect{kScreenWidth - 150, 12, kScreenWidth - 124, 28}, kWhite);  // battery
  canvas.Fill(Rect{kScreenWidth - 124, 17, kScreenWidth - 121, 23}, kWhite);
}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

}  // namespace

Canvas DrawScreen(const Scene& scene, const PackageList& packages, const LabelFont& font) {
  Canvas canvas(kScreenWidth, kScreenHeight, 0xfafafa);
  const PageKind kind = scene.Current().kind;
  DrawBackground(canvas, kind);
  for (const Element& e : scene.Elements(packages)) DrawElement(canvas, font, e);
  DrawStatusBar(canvas, font, kind);
  return canvas;
}

std::string EncodePng(const Canvas& canvas) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return out;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info == nullptr ? nullptr : &info);
    return std::string();
  }
  png_set_write_fn(png, &out, AppendPngBytes, FlushNothing);
  // The screen is flat colour: fast deflate with the Sub filter is small and cheap enough.
  png_set_compression_level(png, 3);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.Width()),
               static_cast<png_uint_32>(canvas.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  const std::size_t stride = static_cast<std::size_t>(canvas.Width()) * 3;
  for (int y = 0; y < canvas.Height(); ++y) {
    png_write_row(png, const_cast<png_bytep>(canvas.Rgb().data() + stride * y));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string EncodeRawScreen(const Canvas& canvas) {
  std::string out;
  auto put = [&](uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  };
  put(static_cast<uint32_t>(canvas.Width()));
  put(static_cast<uint32_t>(canvas.Height()));
  put(1);
  const std::vector<uint8_t>& rgb = canvas.Rgb();
  out.reserve(out.size() + rgb.size() / 3 * 4);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    out.push_back(static_cast<char>(rgb[i]));
    out.push_back(static_cast<char>(rgb[i + 1]));
    out.push_back(static_cast<char>(rgb[i + 2]));
    out.push_back(static_cast<char>(0xff));
  }
  return out;
}

}  // namespace lingqiao::sim
