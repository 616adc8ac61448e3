#include "engine/win/picture_window.h"

#include <cstring>

#include "engine/presetup_rules.h"
#include "engine/win/main_window.h"
#include "platform/file_io.h"

namespace cv {
namespace {

constexpr char kPictureProperty[] = "CorvPicture";
constexpr char kDismissedProperty[] = "CorvDismissed";

LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC target = BeginPaint(window, &paint);
      const auto* picture = static_cast<const Picture*>(GetPropA(window, kPictureProperty));
      if (picture && picture->Handle()) {
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ previous = SelectObject(source, picture->Handle());
        BitBlt(target, 0, 0, picture->Size().cx, picture->Size().cy, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetPropA(window, kDismissedProperty, reinterpret_cast<HANDLE>(1));
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        SetPropA(window, kDismissedProperty, reinterpret_cast<HANDLE>(1));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemovePropA(window, kPictureProperty);
      RemovePropA(window, kDismissedProperty);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The presetup window: its picture covers the whole window, so erasing the
// background first would only flicker.
LRESULT CALLBACK CoveringPictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  return PictureProcedure(window, message, wParam, lParam);
}

}  // namespace

HRGN LoadRegion(const std::string& path, std::uint32_t offset, std::uint32_t size) {
  std::string data;
  // Shorter than its own header: Windows would read past the buffer.
  if (!ReadFileRange(path, offset, size, data) || data.size() != size || size < sizeof(RGNDATAHEADER)) {
    return nullptr;
  }
  RGNDATAHEADER header;
  std::memcpy(&header, data.data(), sizeof header);
  const std::uint64_t needed = sizeof(RGNDATAHEADER) + static_cast<std::uint64_t>(header.nCount) * sizeof(RECT);
  if (header.dwSize != sizeof(RGNDATAHEADER) || needed > size) return nullptr;
  return ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(data.data()));
}

HRGN LoadRegionFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) return nullptr;
  if (attributes.nFileSizeHigh != 0) return nullptr;
  return LoadRegion(path, 0, attributes.nFileSizeLow);
}

bool Picture::Load(const std::string& path) {
  Reset();
  // The system's loader trusts the headers; a picture whose headers claim
  // more pixels than its file holds is shown as none.
  constexpr std::size_t kLargestHeaders = 14 + 124;
  std::string headers;
  std::uint64_t fileSize = 0;
  if (!ReadFileRange(path, 0, kLargestHeaders, headers, &fileSize) || !IsSoundBitmap(headers, fileSize)) {
    return false;
  }
  bitmap_ = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bitmap_) return false;
  BITMAP info = {};
  GetObjectA(bitmap_, sizeof info, &info);
  size_ = {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
  return true;
}

void Picture::Reset() {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  size_ = {};
}

bool PictureDismissed(HWND window) { return GetPropA(window, kDismissedProperty) != nullptr; }

HWND CreatePictureWindow(const char* title, const Picture& picture, POINT position, HWND owner,
                         PictureBackground background) {
  HWND window = CreateWindowExA(0, kMainWindowClass, title, WS_POPUP, position.x, position.y,
                                picture.Size().cx, picture.Size().cy, owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) return nullptr;
  SetPropA(window, kPictureProperty, const_cast<Picture*>(&picture));
  const WNDPROC procedure =
      background == PictureBackground::Covered ? &CoveringPictureProcedure : &PictureProcedure;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  return window;
}

}  // namespace cv
