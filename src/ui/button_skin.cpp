#include "ui/button_skin.h"

#include <algorithm>
#include <cmath>

namespace tovu {

namespace {

double Clamp(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

double Channel(Rgb c, int shift) { return static_cast<double>((c >> shift) & 0xFF); }

Rgb Pack(double r, double g, double b) {
  auto one = [](double v) {
    const double t = std::trunc(v);
    return static_cast<Rgb>(Clamp(t, 0.0, 255.0));
  };
  return one(r) | (one(g) << 8) | (one(b) << 16);
}

}  // namespace

void ButtonLook::SetEnabledLook(int enabled) {
  enabledLook = enabled;
  textColour = enabled == 1 ? kButtonEnabledText : kButtonDisabledText;
  dirty = 1;
}

void ButtonLook::SetBackground(Rgb colour) {
  background = colour;
  dirty = 1;
}

void ButtonLook::SetHover(int value) {
  hover = value;
  dirty = 1;
}

void ButtonLook::NormalLook(Rgb faceColour) {
  cornerSize = 5;
  radius = 10.0;
  innerFactor = 0.2;
  hover = 0;
  face = faceColour == 0 ? kButtonDefaultFace : faceColour;
  if (enabledLook == 0) highlight = kButtonDefaultFace;
  tracking = 0;
  dirty = 1;
}

void ButtonLook::HoverLook() {
  cornerSize = 6;
  radius = 6.0;
  innerFactor = 0.3;
  hover = 1;
  face = kButtonDefaultFace;
  highlight = enabledLook == 1 ? kButtonHoverHighlight : kButtonDefaultFace;
  dirty = 1;
}

void ButtonLook::FocusedLook() {
  cornerSize = 6;
  radius = 6.0;
  innerFactor = 0.3;
  hover = 1;
  face = kButtonDefaultFace;
  highlight = enabledLook == 1 ? kButtonFocusHighlight : kButtonDefaultFace;
  dirty = 1;
}

void ButtonLook::MouseLeft() {
  tracking = 0;
  if (focus)
    FocusedLook();
  else
    NormalLook(whiteFace ? kButtonWhiteFace : 0);
}

Rgb ButtonLook::DrawnHighlight() const { return enabledLook == 1 ? highlight : kButtonDefaultFace; }

int SkinRadius(const ButtonLook& look) {
  return static_cast<int>(std::ceil(look.rimWidth / 2.0 + look.radius));
}

Pixmap GenerateSkin(const ButtonLook& look) {
  const double a = look.radius;
  const double b = look.rimWidth > 0 ? look.rimWidth : 1.0;
  const double c = Clamp((1.0 - look.innerFactor) * a, 0.0, a);
  const double g = look.glossFalloff;
  const int R = SkinRadius(look);
  Pixmap skin(2 * R + 1, 10 * R + 5);
  const Rgb highlight = look.DrawnHighlight();

  for (int j = -R; j <= R; ++j) {
    for (int i = -R; i <= R; ++i) {
      const double d = std::sqrt(static_cast<double>(i * i + j * j));
      const double outer = Clamp((d - a) * 2.0 / b + 0.5, 0.0, 1.0);
      const double bevel = a != c ? (a + c - 2.0 * d) / (a - c) : 0.0;
      const double t = bevel * bevel;
      const double ring = Clamp((d - c) * 2.0 / b + 0.5, 0.0, 1.0) * Clamp(0.5 - (d - a) * 2.0 / b, 0.0, 1.0) *
                          (1.0 - t * look.bevelStrength);
      double rgb[3];
      for (int k = 0; k < 3; ++k) {
        const int shift = 8 * k;
        rgb[k] = Channel(look.background, shift) * outer;
      }
      if (!look.hover) {
        for (int k = 0; k < 3; ++k) rgb[k] += Channel(look.face, 8 * k) * ring;
      } else {
        const double dx = i - look.lightX;
        const double dy = j - look.lightY;
        const double L = std::sqrt(dx * dx + dy * dy);
        const double share = c > 0 ? (d / c) * (d / c) : 0.0;
        const double light = look.lightRadius > 0 ? Clamp(1.0 - g * L / look.lightRadius, -1.0, 1.0) : 0.0;
        const double gloss =
            Clamp(0.5 - (d - c) * 2.0 / b, 0.0, 1.0) * (1.0 - share * g) * (light * look.lightStrength + 1.0);
        for (int k = 0; k < 3; ++k)
          rgb[k] += Channel(highlight, 8 * k) * ring + Channel(look.face, 8 * k) * gloss;
      }
      skin.Set(i + R, j + 3 * R + 1, Pack(rgb[0], rgb[1], rgb[2]));
    }
  }
  return skin;
}

Pixmap ComposeFace(const Pixmap& skin, int skinRadius, int cornerSize, int width, int height) {
  Pixmap out(std::max(width, 0), std::max(height, 0));
  const int size = 2 * skinRadius + 1;  // the square's side
  const int top = 2 * skinRadius + 1;   // the square's first row in the skin
  const int s = std::clamp(cornerSize, 0, size / 2);
  // Source coordinate in the square of a target coordinate along one axis.
  auto source = [&](int v, int extent) {
    if (v < s) return v;
    if (v >= extent - s) return size - (extent - v);
    return s;
  };
  for (int y = 0; y < out.height; ++y) {
    const int sy = std::clamp(source(y, out.height), 0, size - 1);
    for (int x = 0; x < out.width; ++x) {
      const int sx = std::clamp(source(x, out.width), 0, size - 1);
      out.Set(x, y, skin.At(sx, top + sy));
    }
  }
  return out;
}

}  // namespace tovu
