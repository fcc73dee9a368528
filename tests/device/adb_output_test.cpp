#include "device/adb_output.h"

#include <gtest/gtest.h>

#include "text/regex_object.h"
#include "text/text_helpers.h"

namespace lingqiao {
namespace {

const std::string kIend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);

TEST(AdbOutput, WholeFiles) {
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + "....data...." + kIend;
  EXPECT_TRUE(IsWholePng(png));
  EXPECT_FALSE(IsWholePng(png.substr(0, png.size() - 1)));
  EXPECT_FALSE(IsWholePng(""));
  EXPECT_FALSE(IsWholePng(png + "x"));
  EXPECT_TRUE(IsWholeUiDump("<?xml?><hierarchy rotation=\"0\"></hierarchy>"));
  EXPECT_TRUE(IsWholeUiDump("<hierarchy></hierarchy>\r\n  "));
  EXPECT_FALSE(IsWholeUiDump("<hierarchy><node text=\"a\" /></hier"));
  EXPECT_FALSE(IsWholeUiDump(""));
}

TEST(AdbOutput, CentreOfBounds) {
  struct Case {
    int l, t, r, b, x, y;
  } cases[] = {
      {0, 0, 101, 51, 51, 26},
      {10, 20, 30, 40, 20, 30},
      {0, 0, 0, 0, 0, 0},
      {5, 5, 6, 6, 6, 6},
      {100, 200, 99, 199, 99, 199},  // inverted bounds: halves truncate toward zero
  };
  for (const Case& c : cases) {
    const TapPoint p = CentreOfBounds(c.l, c.t, c.r, c.b);
    EXPECT_EQ(p.x, c.x) << c.l << "," << c.t << "," << c.r << "," << c.b;
    EXPECT_EQ(p.y, c.y);
  }
}

TEST(AdbOutput, ScreenSize) {
  std::string w = "old", h = "old";
  EXPECT_TRUE(ParseScreenSize("echo\r\nPhysical size: 720x1280\r\n\r\nC:\\>", w, h));
  EXPECT_EQ(w, " 720");
  EXPECT_EQ(h.substr(0, 4), "1280");
  EXPECT_FALSE(ParseScreenSize("echo\nPhysical size: 1080x1920", w, h)) << "LF only: all of it is the echo line";
  w = h = "old";
  EXPECT_FALSE(ParseScreenSize("echo\r\nerror: device offline\r\n", w, h));
  EXPECT_EQ(w, "old");
  EXPECT_FALSE(ParseScreenSize("echo\r\nPhysical size: 720", w, h));
  EXPECT_EQ(w, "old");
}

// A UI dump as uiautomator writes it, in GBK after the client's conversion.
std::string FindBounds(const std::string& dump, const std::string& text) {
  RegexObject regex;
  regex.Execute(TextBoundsPattern(text), dump);
  return regex.MatchCount() ? regex.SubMatchText(1, 1) : "<none>";
}

TEST(AdbOutput, TextPatternOverDumps) {
  const std::string dump = Utf8ToAnsi(
      "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?><hierarchy rotation=\"0\">"
      "<node index=\"0\" text=\"\xE8\xAE\xBE\xE7\xBD\xAE\" resource-id=\"\" class=\"android.widget.TextView\" "
      "bounds=\"[10,20][30,40]\" />"
      "<node index=\"1\" text=\"Browser\" class=\"android.widget.TextView\" bounds=\"[0,0][101,51]\" />"
      "<node index=\"2\" text=\"\xE8\xAE\xBE\xE7\xBD\xAE\" class=\"android.widget.Button\" "
      "bounds=\"[500,500][600,600]\" />"
      "<node index=\"3\" text=\"Browser history\" bounds=\"[1,1][2,2]\" />"
      "</hierarchy>");
  EXPECT_EQ(FindBounds(dump, "设置"), "[10,20][30,40]") << "the first of two nodes";
  EXPECT_EQ(FindBounds(dump, "browser"), "[0,0][101,51]") << "letter case does not matter";
  EXPECT_EQ(FindBounds(dump, "Brow"), "<none>") << "part of a node's text";
  EXPECT_EQ(FindBounds(dump, "history"), "<none>");
  EXPECT_EQ(FindBounds(dump, "不在"), "<none>");

  RegexObject bounds;
  bounds.Execute(kBoundsPattern, "[0,0][101,51]");
  ASSERT_EQ(bounds.SubMatchCount(), 4);
  EXPECT_EQ(bounds.SubMatchText(1, 3), "101");
  bounds.Execute(kBoundsPattern, "[0,0]");
  EXPECT_EQ(bounds.SubMatchCount(), 0);
}

}  // namespace
}  // namespace lingqiao
