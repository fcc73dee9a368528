#include <gtest/gtest.h>
#include <png.h>

#include <regex>

#include "scene.h"
#include "screen_png.h"
#include "ui_dump.h"

namespace lingqiao::sim {
namespace {

const Element* FindText(const std::vector<Element>& elements, std::string_view text) {
  for (const Element& e : elements) {
    if (e.text == text) return &e;
  }
  return nullptr;
}

// Taps the centre of the element with that text, as a script's text tap does.
void TapText(Scene& scene, const PackageList& packages, std::string_view text) {
  const std::vector<Element> elements = scene.Elements(packages);
  const Element* e = FindText(elements, text);
  ASSERT_NE(e, nullptr) << text;
  scene.Tap((e->bounds.left + e->bounds.right) / 2, (e->bounds.top + e->bounds.bottom) / 2, packages);
}

TEST(HitTest, TakesTheTopmostClickableElementUnderThePoint) {
  Element below;
  below.bounds = Rect{0, 0, 100, 100};
  below.clickable = true;
  below.text = "below";
  Element above = below;
  above.text = "above";
  Element label;
  label.bounds = below.bounds;
  const std::vector<Element> elements = {below, above, label};
  ASSERT_NE(HitTest(elements, 50, 50), nullptr);
  EXPECT_EQ(HitTest(elements, 50, 50)->text, "above");
  EXPECT_EQ(HitTest(elements, 100, 50), nullptr);  // right and bottom edges are outside
  EXPECT_EQ(HitTest(elements, 99, 99)->text, "above");
}

TEST(Scene, HomeShowsTheSettingsAndBrowserIcons) {
  Scene scene;
  PackageList packages;
  const std::vector<Element> home = scene.Elements(packages);
  const Element* settings = FindText(home, "设置");
  const Element* browser = FindText(home, "浏览器");
  ASSERT_NE(settings, nullptr);
  ASSERT_NE(browser, nullptr);
  // The coordinates the demo script uses.
  EXPECT_TRUE(settings->bounds.Contains(105, 215));
  EXPECT_TRUE(browser->bounds.Contains(275, 215));
}

TEST(Scene, TapOpensBackReturnsHomeGoesHome) {
  Scene scene;
  PackageList packages;
  TapText(scene, packages, "设置");
  EXPECT_EQ(scene.Current().kind, PageKind::kSettings);
  scene.Key(kKeyBack);
  EXPECT_EQ(scene.Current().kind, PageKind::kHome);
  scene.Key(kKeyBack);
  EXPECT_EQ(scene.Current().kind, PageKind::kHome);
  TapText(scene, packages, "浏览器");
  EXPECT_EQ(scene.Current().kind, PageKind::kBrowser);
  scene.Key(kKeyHome);
  EXPECT_EQ(scene.Current().kind, PageKind::kHome);
}

TEST(Scene, TypedTextLandsInTheFocusedFieldOnly) {
  Scene scene;
  PackageList packages;
  scene.Type("lost");  // home has no field
  TapText(scene, packages, "浏览器");
  scene.Type("hello ");
  scene.Type("你好");
  EXPECT_EQ(scene.FieldText(), "hello 你好");
  scene.Key(kKeyDelete);
  EXPECT_EQ(scene.FieldText(), "hello 你");
  scene.Type("\xc4\xe3");  // GBK for 你, as a Windows client would send it
  EXPECT_EQ(scene.FieldText(), "hello 你\ufffd\ufffd");
  scene.Key(kKeyDelete);
  scene.Key(kKeyDelete);
  const std::vector<Element> page = scene.Elements(packages);
  ASSERT_NE(FindText(page, "hello 你"), nullptr);
  EXPECT_TRUE(FindText(page, "hello 你")->focused);
  TapText(scene, packages, "前往");
  EXPECT_NE(FindText(scene.Elements(packages), "正在打开：hello 你"), nullptr);
  scene.Type("more");  // the field lost its focus
  EXPECT_EQ(scene.FieldText(), "hello 你");
  // Clearing the app's data empties its field and closes it.
  scene.Close(kBrowserPackage);
  EXPECT_EQ(scene.Current().kind, PageKind::kHome);
  EXPECT_EQ(scene.FieldText(), "");
}

TEST(Scene, InstalledAppsGetAnIconThatOpensThem) {
  Scene scene;
  PackageList packages;
  packages.Install("com.example.demo");
  TapText(scene, packages, "com.example.demo");
  EXPECT_EQ(scene.Current().kind, PageKind::kApp);
  EXPECT_EQ(scene.Current().packageName, "com.example.demo");
}

TEST(UiDump, EveryNodeHasTextBeforeBoundsOnItsOwnLine) {
  Scene scene;
  PackageList packages;
  const std::string xml = DumpUi(scene, packages);
  EXPECT_EQ(xml.rfind("<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>", 0), 0u);
  EXPECT_EQ(xml.substr(xml.size() - 12), "</hierarchy>");
  // The client's pattern: text="TEXT".*?bounds="(.*?)" with . not crossing lines.
  const std::regex pattern("text=\"设置\".*?bounds=\"(.*?)\"");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(xml, match, pattern));
  EXPECT_EQ(match[1].str(), "[20,120][190,310]");
  for (std::size_t at = xml.find("<node"); at != std::string::npos; at = xml.find("<node", at + 1)) {
    const std::string line = xml.substr(at, xml.find('\n', at) - at);
    EXPECT_LT(line.find(" text=\""), line.find(" bounds=\"")) << line;
  }
}

TEST(UiDump, AttributeValuesAreEscaped) {
  EXPECT_EQ(XmlAttribute("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d&apos;");
  Scene scene;
  PackageList packages;
  scene.Open(kBrowserPackage);
  scene.Type("x\"y");
  EXPECT_NE(DumpUi(scene, packages).find("text=\"x&quot;y\""), std::string::npos);
}

struct DecodedPng {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  std::vector<png_byte> rgb;
};

DecodedPng Decode(const std::string& bytes) {
  DecodedPng out;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return out;
  image.format = PNG_FORMAT_RGB;
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) return DecodedPng{};
  out.width = image.width;
  out.height = image.height;
  return out;
}

uint32_t PixelAt(const DecodedPng& png, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * png.width + x) * 3;
  return (uint32_t{png.rgb[at]} << 16) | (uint32_t{png.rgb[at + 1]} << 8) | png.rgb[at + 2];
}

TEST(ScreenPng, ThePictureShowsWhereTheDumpSaysTheElementsAre) {
  Scene scene;
  PackageList packages;
  const LabelFont font{{}};
  const DecodedPng home = Decode(EncodePng(DrawScreen(scene, packages, font)));
  ASSERT_EQ(home.width, 720u);
  ASSERT_EQ(home.height, 1280u);
  // The icon square of the first cell is drawn in its own colour over the wallpaper.
  EXPECT_EQ(PixelAt(home, 80, 160), 0x607d8bu);
  EXPECT_NE(PixelAt(home, 10, 600), 0x607d8bu);

  scene.Open(kSettingsPackage);
  const DecodedPng settings = Decode(EncodePng(DrawScreen(scene, packages, font)));
  EXPECT_EQ(PixelAt(settings, 700, 100), 0x3f51b5u);  // title bar
  EXPECT_EQ(PixelAt(settings, 700, 600), 0xfafafau);  // list background
}

TEST(ScreenPng, RawFormHasASizeHeader) {
  const Canvas canvas(2, 1, 0x102030);
  EXPECT_EQ(EncodeRawScreen(canvas), std::string("\x02\0\0\0\x01\0\0\0\x01\0\0\0\x10\x20\x30\xff\x10\x20\x30\xff", 20));
}

}  // namespace
}  // namespace lingqiao::sim
