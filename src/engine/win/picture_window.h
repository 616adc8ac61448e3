#pragma once
// Borderless windows that show a bitmap: the splash and the picture form of
// the presetup progress window. Both use the engine's window class, painted
// by a procedure of their own, and may take their shape from a region file.

#include <windows.h>

#include <cstdint>
#include <string>

namespace cv {

// The region stored in `path` (Windows' own region data, as GetRegionData
// gives it), read from `offset` for `size` bytes; null when the file is
// missing or the data is no region.
HRGN LoadRegion(const std::string& path, std::uint32_t offset, std::uint32_t size);
// The same for the whole file.
HRGN LoadRegionFile(const std::string& path);

// A bitmap loaded from a file; owns the handle.
class Picture {
 public:
  Picture() = default;
  ~Picture() { Reset(); }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  bool Load(const std::string& path);
  void Reset();
  HBITMAP Handle() const { return bitmap_; }
  SIZE Size() const { return size_; }

 private:
  HBITMAP bitmap_ = nullptr;
  SIZE size_{};
};

// Who answers WM_ERASEBKGND: the default procedure (Erased), or the window
// itself without erasing (Covered).
enum class PictureBackground { Erased, Covered };

// Creates a hidden WS_POPUP window of the engine's class titled `title`,
// at `position` with the picture's size, owned by `owner`, that paints
// `picture` (which must outlive it). Null when it cannot be created.
HWND CreatePictureWindow(const char* title, const Picture& picture, POINT position, HWND owner,
                         PictureBackground background);

// True once the user clicked the picture window or pressed Esc in it.
bool PictureDismissed(HWND window);

}  // namespace cv
