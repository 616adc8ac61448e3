#include "platform/win/random_number.h"

#include <windows.h>
// After windows.h, which it needs.
#include <ntsecapi.h>

#include <atomic>

namespace cv {

std::uint32_t RandomNumber() {
  std::uint32_t number = 0;
  if (RtlGenRandom(&number, sizeof(number))) return number;
  // Without the random source: the moment and the process, made distinct
  // for each call of this process.
  static std::atomic<std::uint32_t> calls{0};
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<std::uint32_t>(now.QuadPart) ^ (GetCurrentProcessId() << 16) ^
         (calls.fetch_add(1) * 2654435761u);
}

}  // namespace cv
