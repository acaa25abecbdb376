// The face of the wizard's owner-drawn button, without any window: the
// look state (colours, flags and shape of the normal, hover and focused
// looks), the generated skin picture and the nine-slice composition of the
// face from it. Colours are 0x00BBGGRR values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovu {

using Rgb = uint32_t;

constexpr Rgb kButtonDefaultFace = 0xE6E6E6;
constexpr Rgb kButtonWhiteFace = 0xFFFFFF;
constexpr Rgb kButtonFocusHighlight = 0x9E6718;  // RGB 24, 103, 158
constexpr Rgb kButtonHoverHighlight = 0x49B5EF;  // RGB 239, 181, 73
constexpr Rgb kButtonEnabledText = 0x000000;
constexpr Rgb kButtonDisabledText = 0xFEFEFE;

// A picture of width x height pixels, row by row.
struct Pixmap {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  Pixmap() = default;
  Pixmap(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, Rgb c) { pixels[static_cast<size_t>(y) * width + x] = c; }
};

// The state of a button's face. Every change of what the face shows sets
// `dirty`; the drawer clears it when it has redrawn.
struct ButtonLook {
  Rgb textColour = kButtonEnabledText;
  Rgb background = kButtonDefaultFace;  // around the rounded face
  Rgb face = kButtonDefaultFace;        // rim ring (normal), gloss (hover/focus)
  Rgb highlight = kButtonFocusHighlight;  // rim ring while hovered or focused
  int enabledLook = 1;
  int focus = 0;
  int hover = 0;
  int tracking = 0;
  int whiteFace = 0;
  int dirty = 0;

  int cornerSize = 5;        // s
  double rimWidth = 2.0;     // b
  double radius = 10.0;      // a
  double innerFactor = 0.2;  // k
  double bevelStrength = 0.5;
  double glossFalloff = 0.5;  // g
  double lightX = 0.0;
  double lightY = -7.0;
  double lightRadius = 7.0;
  double lightStrength = 0.4;

  // 1: black text and coloured highlights; 0: text 0xFEFEFE, grey rims.
  void SetEnabledLook(int enabled);
  void SetBackground(Rgb colour);
  void SetHover(int value);
  // face 0 means the default face.
  void NormalLook(Rgb faceColour = 0);
  void HoverLook();
  void FocusedLook();
  // The look after the mouse left: focused when the focus flag is set,
  // else normal with a white face when the white-face flag is set.
  void MouseLeft();

  // The highlight the skin is drawn with: never coloured without the
  // enabled look, whatever way the hover flag was set.
  Rgb DrawnHighlight() const;
};

// R := ceil(b / 2 + a): the skin is (2R + 1) x (10R + 5) pixels with the
// face square in rows 2R + 1 .. 4R + 1 (centre at (R, 3R + 1)).
int SkinRadius(const ButtonLook& look);
Pixmap GenerateSkin(const ButtonLook& look);

// The face of a width x height button from the skin's square: the s x s
// corners, the one-pixel rows and columns at distance s stretched along
// the edges, and the square's pixel (s, s) over the centre.
Pixmap ComposeFace(const Pixmap& skin, int skinRadius, int cornerSize, int width, int height);

}  // namespace tovu
