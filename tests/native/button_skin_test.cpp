// The button's face: pixels of the generated skin in each look, the
// look transitions, and the nine-slice composition.
#include <gtest/gtest.h>

#include "ui/button_skin.h"

namespace tovu {
namespace {

// The skin pixel at offset (i, j) from the face's centre.
Rgb SkinAt(const Pixmap& skin, const ButtonLook& look, int i, int j) {
  const int R = SkinRadius(look);
  return skin.At(i + R, j + 3 * R + 1);
}

bool IsGrey(Rgb c) { return (c & 0xFF) == ((c >> 8) & 0xFF) && (c & 0xFF) == ((c >> 16) & 0xFF); }

TEST(ButtonSkin, PixelsOfEachLook) {
  const Rgb background = 0x1E140A;  // RGB 10, 20, 30
  struct Case {
    const char* name;
    void (*apply)(ButtonLook&);
    int i, j;
    Rgb expected;
  } cases[] = {
      // Normal (a 10, c 8, R 11): beyond the rim only the background; at distance 9 the
      // ring is whole (t = 0) and shows the face; the centre is inside the ring: black.
      {"normal outside", [](ButtonLook& l) { l.NormalLook(); }, -11, -11, background},
      {"normal rim", [](ButtonLook& l) { l.NormalLook(); }, 9, 0, 0xE6E6E6},
      {"normal rim, white face", [](ButtonLook& l) { l.NormalLook(0xFFFFFF); }, 0, -9, 0xFFFFFF},
      {"normal centre", [](ButtonLook& l) { l.NormalLook(); }, 0, 0, 0x000000},
      // At distance 10: half background, a quarter face (ring 0.5 x 0.5 x (1 - 1 x 0.5)).
      {"normal outer edge", [](ButtonLook& l) { l.NormalLook(); }, 10, 0, 0x48433E},
      // Hover (a 6, c 4.2, R 7): at distance 5 the ring is 0.99383 of the highlight
      // 0x49B5EF, no gloss; at the centre the gloss (1.2) saturates the face to white.
      {"hover outside", [](ButtonLook& l) { l.HoverLook(); }, 7, 7, background},
      {"hover rim", [](ButtonLook& l) { l.HoverLook(); }, 5, 0, 0x48B3ED},
      {"hover centre", [](ButtonLook& l) { l.HoverLook(); }, 0, 0, 0xFFFFFF},
      {"focused rim", [](ButtonLook& l) { l.FocusedLook(); }, 0, 5, 0x9D6617},
  };
  for (const Case& c : cases) {
    ButtonLook look;
    look.SetBackground(background);
    c.apply(look);
    const Pixmap skin = GenerateSkin(look);
    const int R = SkinRadius(look);
    EXPECT_EQ(skin.width, 2 * R + 1) << c.name;
    EXPECT_EQ(skin.height, 10 * R + 5) << c.name;
    EXPECT_EQ(SkinAt(skin, look, c.i, c.j), c.expected) << c.name << " got " << std::hex << SkinAt(skin, look, c.i, c.j);
  }
}

TEST(ButtonSkin, WithoutTheEnabledLookNothingIsColoured) {
  // Every way into a look that draws a highlight, after the enabled look was taken away.
  void (*ways[])(ButtonLook&) = {
      [](ButtonLook& l) { l.HoverLook(); },
      [](ButtonLook& l) { l.FocusedLook(); },
      [](ButtonLook& l) { l.SetHover(1); },  // the hover flag set without a look
      [](ButtonLook& l) {
        l.focus = 1;
        l.MouseLeft();
      },
  };
  for (auto way : ways) {
    ButtonLook look;
    look.SetEnabledLook(0);
    way(look);
    EXPECT_EQ(look.textColour, kButtonDisabledText);
    const Pixmap skin = GenerateSkin(look);
    for (Rgb c : skin.pixels) ASSERT_TRUE(IsGrey(c)) << std::hex << c;
  }
  // The same look with the enabled look is coloured.
  ButtonLook enabled;
  enabled.HoverLook();
  const Pixmap skin = GenerateSkin(enabled);
  bool coloured = false;
  for (Rgb c : skin.pixels) coloured = coloured || !IsGrey(c);
  EXPECT_TRUE(coloured);
}

TEST(ButtonSkin, LookTransitions) {
  ButtonLook look;
  look.dirty = 0;
  look.HoverLook();
  EXPECT_EQ(look.hover, 1);
  EXPECT_EQ(look.cornerSize, 6);
  EXPECT_EQ(look.highlight, kButtonHoverHighlight);
  EXPECT_EQ(look.dirty, 1);

  // Leaving: normal, default face unless the white-face flag is set.
  look.tracking = 1;
  look.MouseLeft();
  EXPECT_EQ(look.hover, 0);
  EXPECT_EQ(look.tracking, 0);
  EXPECT_EQ(look.face, kButtonDefaultFace);
  EXPECT_EQ(look.cornerSize, 5);
  EXPECT_EQ(look.radius, 10.0);
  look.whiteFace = 1;
  look.HoverLook();
  look.MouseLeft();
  EXPECT_EQ(look.face, kButtonWhiteFace);
  // With the focus flag it returns to the focused look.
  look.focus = 1;
  look.HoverLook();
  look.MouseLeft();
  EXPECT_EQ(look.hover, 1);
  EXPECT_EQ(look.highlight, kButtonFocusHighlight);

  look.dirty = 0;
  look.SetEnabledLook(1);
  EXPECT_EQ(look.textColour, kButtonEnabledText);
  EXPECT_EQ(look.dirty, 1);
}

TEST(ButtonSkin, NineSlices) {
  // A skin whose square pixels name their own coordinates.
  const int R = 7, s = 6, size = 2 * R + 1;
  Pixmap skin(size, 10 * R + 5);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) skin.Set(x, 2 * R + 1 + y, Rgb(x) | Rgb(y) << 8);
  const int W = 40, H = 30;
  const Pixmap face = ComposeFace(skin, R, s, W, H);
  ASSERT_EQ(face.width, W);
  ASSERT_EQ(face.height, H);
  struct {
    int x, y, sx, sy;
  } cases[] = {
      {0, 0, 0, 0},                          // corners taken whole
      {5, 5, 5, 5},
      {W - 1, 0, size - 1, 0},
      {W - 6, H - 6, size - 6, size - 6},
      {0, H - 1, 0, size - 1},
      {20, 0, s, 0},                         // top edge: the column at s
      {20, H - 1, s, size - 1},              // bottom edge
      {0, 15, 0, s},                         // left edge: the row at s
      {W - 1, 15, size - 1, s},              // right edge
      {s, s, s, s},                          // centre: the pixel (s, s)
      {20, 15, s, s},
      {W - s - 1, H - s - 1, s, s},
  };
  for (const auto& c : cases)
    EXPECT_EQ(face.At(c.x, c.y), Rgb(c.sx) | Rgb(c.sy) << 8) << c.x << "," << c.y;
}

}  // namespace
}  // namespace tovu
