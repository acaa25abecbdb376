// The frame's built-in pictures, read from Fennock.exe beside the test the
// way the frame's windows read them: the program icon 912 at the small and
// the big size, each bitmap at the size its place on a page has and on the
// background it is drawn on, and the welcome picture as a PNG resource that
// GDI+ decodes.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// The flat GDI+ functions the welcome picture goes through, declared here
// as the frame declares them.
struct GdiplusStartupInputFlat {
  UINT32 GdiplusVersion;
  void* DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;
};
extern "C" int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInputFlat* input, void* output);
extern "C" void WINAPI GdiplusShutdown(ULONG_PTR token);
extern "C" int WINAPI GdipCreateBitmapFromStream(IStream* stream, void** bitmap);
extern "C" int WINAPI GdipGetImageWidth(void* image, UINT* width);
extern "C" int WINAPI GdipGetImageHeight(void* image, UINT* height);
extern "C" int WINAPI GdipBitmapGetPixel(void* bitmap, INT x, INT y, DWORD* argb);
extern "C" int WINAPI GdipDisposeImage(void* image);

namespace {

constexpr COLORREF kPageGrey = RGB(240, 240, 240);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

std::wstring FrameBesideTheTest() {
  wchar_t buf[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring path(buf, n);
  return path.substr(0, path.rfind(L'\\') + 1) + L"Fennock.exe";
}

// The pixels of a bitmap or of a drawn icon, read through a memory DC.
class Pixels {
 public:
  explicit Pixels(HBITMAP bitmap) : dc_(::CreateCompatibleDC(nullptr)) {
    old_ = ::SelectObject(dc_, bitmap);
  }
  ~Pixels() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
  }
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;
  COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y) & 0xFFFFFF; }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class FramePictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    frame_ = ::LoadLibraryExW(FrameBesideTheTest().c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() {
    if (frame_) ::FreeLibrary(frame_);
    frame_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(frame_, nullptr) << "Fennock.exe not found beside the test: " << ::GetLastError(); }

  static HBITMAP LoadBitmapResource(int id) {
    return static_cast<HBITMAP>(::LoadImageW(frame_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }

  static HMODULE frame_;
};
HMODULE FramePictures::frame_ = nullptr;

// The icon directory holds an image of each size itself (none is scaled
// from another), and the icon drawn over magenta leaves its corners
// transparent and covers its middle.
TEST_F(FramePictures, ProgramIconHasTheSmallAndTheBigImage) {
  HRSRC group = ::FindResourceW(frame_, MAKEINTRESOURCEW(912), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(frame_, group)));
  ASSERT_NE(directory, nullptr);
  for (int size : {16, 32}) {
    SCOPED_TRACE(size);
    const int image_id = ::LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(image_id, 0);
    HRSRC image = ::FindResourceW(frame_, MAKEINTRESOURCEW(image_id), RT_ICON);
    ASSERT_NE(image, nullptr);
    const DWORD bytes = ::SizeofResource(frame_, image);
    ASSERT_GE(bytes, sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, ::LockResource(::LoadResource(frame_, image)), sizeof header);
    ASSERT_EQ(header.biSize, sizeof(BITMAPINFOHEADER)) << "the small images are DIBs";
    EXPECT_EQ(header.biWidth, size);
    EXPECT_EQ(header.biHeight, 2 * size) << "image and mask";

    HICON icon = static_cast<HICON>(::LoadImageW(frame_, MAKEINTRESOURCEW(912), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << ::GetLastError();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP target = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(target, nullptr);
    {
      Pixels pixels(target);
      HBRUSH magenta = ::CreateSolidBrush(kMagenta);
      RECT all = {0, 0, size, size};
      ::FillRect(pixels.dc(), &all, magenta);
      ::DeleteObject(magenta);
      ASSERT_TRUE(::DrawIconEx(pixels.dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
      EXPECT_EQ(pixels.At(0, 0), kMagenta) << "corner covered";
      EXPECT_EQ(pixels.At(size - 1, 0), kMagenta) << "corner covered";
      EXPECT_NE(pixels.At(size / 2, size / 2), kMagenta) << "middle transparent";
    }
    ::DeleteObject(target);
    ::DestroyIcon(icon);
  }
}

struct BitmapCase {
  int id;
  const char* role;
  int width;
  int height;
  COLORREF background;
};

// Each picture has its place's size and is drawn on the colour around it:
// the page's grey, or the image list's transparent magenta. Its middle
// shows something other than that background.
TEST_F(FramePictures, BitmapsHaveTheirSizeAndBackground) {
  const BitmapCase cases[] = {
      {144, "page icon", 48, 48, kPageGrey},
      {146, "success", 32, 32, kPageGrey},
      {147, "error", 32, 32, kPageGrey},
      {174, "information", 32, 32, kPageGrey},
      {149, "requirements warning", 16, 16, kPageGrey},
      {155, "question", 32, 32, kPageGrey},
      {168, "document not accepted", 14, 14, kMagenta},
      {169, "document accepted", 14, 14, kMagenta},
  };
  for (const BitmapCase& c : cases) {
    SCOPED_TRACE(std::string(c.role) + " " + std::to_string(c.id));
    HBITMAP bitmap = LoadBitmapResource(c.id);
    ASSERT_NE(bitmap, nullptr) << ::GetLastError();
    BITMAP info = {};
    ASSERT_EQ(::GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, c.width);
    EXPECT_EQ(info.bmHeight, c.height);
    {
      Pixels pixels(bitmap);
      EXPECT_EQ(pixels.At(0, 0), c.background);
      EXPECT_EQ(pixels.At(c.width - 1, c.height - 1), c.background);
      EXPECT_NE(pixels.At(c.width / 2, c.height / 2), c.background);
    }
    ::DeleteObject(bitmap);
  }
}

// The masked image list shows only what is not exactly magenta: a pixel
// mixed from magenta and the box (an anti-aliased edge) would show as a
// pink fringe. The two document pictures differ.
TEST_F(FramePictures, DocumentPicturesHaveCleanEdgesAndDiffer) {
  std::vector<COLORREF> seen[2];
  for (int k = 0; k < 2; ++k) {
    const int id = 168 + k;
    SCOPED_TRACE(id);
    HBITMAP bitmap = LoadBitmapResource(id);
    ASSERT_NE(bitmap, nullptr);
    {
      Pixels pixels(bitmap);
      for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 14; ++x) {
          const COLORREF c = pixels.At(x, y);
          seen[k].push_back(c);
          const bool pinkish = GetRValue(c) > 128 && GetBValue(c) > 128 && GetGValue(c) < 128;
          EXPECT_TRUE(c == kMagenta || !pinkish) << "pixel " << x << "," << y << " is 0x" << std::hex << c;
        }
      }
    }
    ::DeleteObject(bitmap);
  }
  EXPECT_NE(seen[0], seen[1]) << "accepted and not accepted look the same";
}

// The welcome picture is a resource of type "PNG" that GDI+ decodes to the
// size its header gives, and that is not one flat colour.
TEST_F(FramePictures, WelcomePictureIsAPngThatDecodes) {
  HRSRC found = ::FindResourceW(frame_, MAKEINTRESOURCEW(167), L"PNG");
  ASSERT_NE(found, nullptr) << ::GetLastError();
  const DWORD bytes = ::SizeofResource(frame_, found);
  ASSERT_GT(bytes, 33u) << "signature and header";
  const auto* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(frame_, found)));
  ASSERT_NE(data, nullptr);
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_EQ(std::memcmp(data, kSignature, sizeof kSignature), 0);
  ASSERT_EQ(std::memcmp(data + 12, "IHDR", 4), 0);
  auto big_endian = [&](int at) {
    return (UINT(data[at]) << 24) | (UINT(data[at + 1]) << 16) | (UINT(data[at + 2]) << 8) | UINT(data[at + 3]);
  };
  const UINT header_width = big_endian(16);
  const UINT header_height = big_endian(20);
  EXPECT_GT(header_width, 0u);
  EXPECT_GT(header_height, 0u);

  ULONG_PTR token = 0;
  GdiplusStartupInputFlat input = {1, nullptr, FALSE, FALSE};
  ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), 0);
  HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  ASSERT_NE(copy, nullptr);
  std::memcpy(::GlobalLock(copy), data, bytes);
  ::GlobalUnlock(copy);
  IStream* stream = nullptr;
  ASSERT_EQ(::CreateStreamOnHGlobal(copy, TRUE, &stream), S_OK);
  void* bitmap = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromStream(stream, &bitmap), 0);
  if (bitmap) {
    UINT width = 0, height = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    EXPECT_EQ(width, header_width);
    EXPECT_EQ(height, header_height);
    DWORD first = 0;
    GdipBitmapGetPixel(bitmap, 0, 0, &first);
    bool varied = false;
    for (UINT y = 0; y < height && !varied; y += 8) {
      for (UINT x = 0; x < width && !varied; x += 8) {
        DWORD argb = 0;
        GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &argb);
        varied = argb != first;
      }
    }
    EXPECT_TRUE(varied) << "one flat colour";
    GdipDisposeImage(bitmap);
  }
  stream->Release();
  GdiplusShutdown(token);
}

}  // namespace
