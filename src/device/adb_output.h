// Pure readers of what adb and the device tools print, and of the files they pull.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

// A PNG is whole once its last 12 bytes are the IEND chunk.
bool IsWholePng(std::string_view bytes);
// A UI dump is whole once it ends with "</hierarchy>" (white space after it allowed).
bool IsWholeUiDump(std::string_view bytes);

// The pattern that finds the bounds of the first node whose text is `text` (inserted as it is,
// so pattern characters in it act as such).
std::string TextBoundsPattern(std::string_view text);
// The pattern that takes "[l,t][r,b]" apart.
extern const char kBoundsPattern[];

struct TapPoint {
  int x;
  int y;
};
// The point that taps a node: half the width and height back from the right and bottom edge,
// each half truncated toward zero, so an odd size lies half a pixel toward those edges.
TapPoint CentreOfBounds(int left, int top, int right, int bottom);

// The answer of "wm size" after the console's echo line: width and height as they stand after
// "Physical size:" (the width keeps its leading blank). False when the label is missing or the
// rest does not split into two pieces at "x".
bool ParseScreenSize(std::string_view output, std::string& width, std::string& height);

}  // namespace lingqiao
