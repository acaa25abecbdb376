// Small Win32 pieces the wizard's windows share: the common-controls
// functions (looked up at run time, so that the frame imports nothing
// from a library that a download folder could plant beside it), images
// drawn with GDI+ through its flat API, the wizard's fonts and colours.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdint>

#include "util/text.h"

namespace tovu {

struct FontDescription;

// Colour of every page's and the sheet's background.
constexpr COLORREF kWizardBackground = RGB(240, 240, 240);

// The common-controls library, loaded once (the progress bar, list view
// and property sheet classes registered).
struct CommonControls {
  decltype(&::PropertySheetW) propertySheet = nullptr;
  decltype(&::CreatePropertySheetPageW) createPage = nullptr;
  decltype(&::DestroyPropertySheetPage) destroyPage = nullptr;
  bool Loaded() const { return propertySheet != nullptr && createPage != nullptr; }
};
const CommonControls& GetCommonControls();

// A GDI+ image (GpImage*) as a handle; 0 for none.
using ImageHandle = uintptr_t;
ImageHandle LoadImageFromFile(const Text& path);
// The PNG resource of the executable (type "PNG").
ImageHandle LoadPngResource(int id);
void FreeImageHandle(ImageHandle image);
// Draws the image scaled into the rectangle; nothing for 0.
void DrawImageScaled(HDC dc, ImageHandle image, int x, int y, int width, int height);
// The colour of a pixel of an image file (as a COLORREF); false when the
// file cannot be decoded or the pixel lies outside.
bool PixelOfImageFile(const Text& path, int x, int y, COLORREF& colour);

// The frame's icon (resource 912) as the window's big and small icon.
void SetFrameIcons(HWND window);

// A font from the application's description (LOGFONT with the other
// fields zero).
HFONT CreateWizardFont(const FontDescription& font);

// Sets a control's text; no effect for a missing control.
void SetItemText(HWND parent, int id, const Text& text);
Text GetWindowTextOf(HWND window);

}  // namespace tovu
