// The screen as `screencap` gives it: drawn from the scene's elements, as PNG or raw pixels.
#pragma once

#include <string>

#include "label_font.h"
#include "packages.h"
#include "scene.h"
#include "screen_canvas.h"

namespace lingqiao::sim {

Canvas DrawScreen(const Scene& scene, const PackageList& packages, const LabelFont& font);

// An 8-bit RGB PNG of the canvas, made with libpng. Empty when libpng fails.
std::string EncodePng(const Canvas& canvas);

// screencap's raw form: width, height and pixel format (1, RGBA_8888) as little-endian words,
// then the pixels.
std::string EncodeRawScreen(const Canvas& canvas);

}  // namespace lingqiao::sim
