#pragma once
// Pictures for the presetup's tests: plain bitmap files and the settings a
// splash picture carries after its bitmap.

#include <windows.h>

#include <cstdint>
#include <string>

namespace cv::test {

// A 24-bit bitmap file of one colour, with `appended` bytes after it.
inline std::string BitmapFile(int width, int height, COLORREF colour, const std::string& appended = "") {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(static_cast<std::size_t>(stride), '\0');
  for (int x = 0; x < width; ++x) {
    row[x * 3] = static_cast<char>(GetBValue(colour));
    row[x * 3 + 1] = static_cast<char>(GetGValue(colour));
    row[x * 3 + 2] = static_cast<char>(GetRValue(colour));
  }
  for (int y = 0; y < height; ++y) bytes += row;
  return bytes + appended;
}

inline std::string SplashTail(std::uint32_t seconds, std::uint32_t opacity) {
  std::string bytes;
  for (std::uint32_t value : {seconds, opacity}) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return bytes;
}

}  // namespace cv::test
