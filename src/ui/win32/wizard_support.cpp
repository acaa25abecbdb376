#include "ui/win32/wizard_support.h"

#include <objbase.h>

#include <vector>

#include "app/fennock_app.h"
#include "platform/win32/win32_platform.h"

// The flat GDI+ functions used here (gdiplus.dll), declared without the
// C++ wrapper headers.
extern "C" {
int WINAPI GdipLoadImageFromFile(const WCHAR* file, void** image);
int WINAPI GdipLoadImageFromStream(IStream* stream, void** image);
int WINAPI GdipDisposeImage(void* image);
int WINAPI GdipCreateFromHDC(HDC dc, void** graphics);
int WINAPI GdipDeleteGraphics(void* graphics);
int WINAPI GdipDrawImageRectI(void* graphics, void* image, INT x, INT y, INT width, INT height);
int WINAPI GdipCreateBitmapFromFile(const WCHAR* file, void** bitmap);
int WINAPI GdipBitmapGetPixel(void* bitmap, INT x, INT y, DWORD* argb);
int WINAPI GdipGetImageWidth(void* image, UINT* width);
int WINAPI GdipGetImageHeight(void* image, UINT* height);
}

namespace tovu {

const CommonControls& GetCommonControls() {
  static const CommonControls controls = [] {
    CommonControls c;
    HMODULE library = ::LoadLibraryW(L"comctl32.dll");
    if (library == nullptr) return c;
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")));
    if (init != nullptr) {
      INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
      init(&classes);
    }
    c.propertySheet = reinterpret_cast<decltype(c.propertySheet)>(
        reinterpret_cast<void*>(::GetProcAddress(library, "PropertySheetW")));
    c.createPage = reinterpret_cast<decltype(c.createPage)>(
        reinterpret_cast<void*>(::GetProcAddress(library, "CreatePropertySheetPageW")));
    c.destroyPage = reinterpret_cast<decltype(c.destroyPage)>(
        reinterpret_cast<void*>(::GetProcAddress(library, "DestroyPropertySheetPage")));
    return c;
  }();
  return controls;
}

ImageHandle LoadImageFromFile(const Text& path) {
  if (path.empty()) return 0;
  void* image = nullptr;
  if (GdipLoadImageFromFile(W(path), &image) != 0) return 0;
  return reinterpret_cast<ImageHandle>(image);
}

ImageHandle LoadPngResource(int id) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (found == nullptr) return 0;
  const DWORD size = ::SizeofResource(module, found);
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return 0;
  // The stream owns a copy, so the image outlives nothing it needs.
  HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (copy == nullptr) return 0;
  if (void* target = ::GlobalLock(copy)) {
    ::CopyMemory(target, bytes, size);
    ::GlobalUnlock(copy);
  }
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, &stream))) {
    ::GlobalFree(copy);
    return 0;
  }
  void* image = nullptr;
  const int status = GdipLoadImageFromStream(stream, &image);
  stream->Release();
  return status == 0 ? reinterpret_cast<ImageHandle>(image) : 0;
}

void FreeImageHandle(ImageHandle image) {
  if (image != 0) GdipDisposeImage(reinterpret_cast<void*>(image));
}

void DrawImageScaled(HDC dc, ImageHandle image, int x, int y, int width, int height) {
  if (image == 0 || dc == nullptr || width <= 0 || height <= 0) return;
  void* graphics = nullptr;
  if (GdipCreateFromHDC(dc, &graphics) != 0) return;
  GdipDrawImageRectI(graphics, reinterpret_cast<void*>(image), x, y, width, height);
  GdipDeleteGraphics(graphics);
}

bool PixelOfImageFile(const Text& path, int x, int y, COLORREF& colour) {
  void* bitmap = nullptr;
  if (path.empty() || GdipCreateBitmapFromFile(W(path), &bitmap) != 0 || bitmap == nullptr) return false;
  UINT width = 0, height = 0;
  GdipGetImageWidth(bitmap, &width);
  GdipGetImageHeight(bitmap, &height);
  DWORD argb = 0;
  const bool inside = x >= 0 && y >= 0 && static_cast<UINT>(x) < width && static_cast<UINT>(y) < height;
  const bool ok = inside && GdipBitmapGetPixel(bitmap, x, y, &argb) == 0;
  GdipDisposeImage(bitmap);
  if (!ok) return false;
  colour = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  return true;
}

void SetFrameIcons(HWND window) {
  constexpr int kIconId = 912;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (HICON big = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)))
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (HICON small = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                    ::GetSystemMetrics(SM_CXSMICON),
                                                    ::GetSystemMetrics(SM_CYSMICON), 0)))
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

HFONT CreateWizardFont(const FontDescription& font) {
  LOGFONTW lf{};
  lf.lfHeight = font.height;
  lf.lfWeight = font.weight;
  ::lstrcpynW(lf.lfFaceName, W(font.face), LF_FACESIZE);
  return ::CreateFontIndirectW(&lf);
}

void SetItemText(HWND parent, int id, const Text& text) {
  if (HWND item = ::GetDlgItem(parent, id)) ::SetWindowTextW(item, W(text));
}

Text GetWindowTextOf(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  ::GetWindowTextW(window, buffer.data(), length + 1);
  return FromW(buffer.data());
}

}  // namespace tovu
