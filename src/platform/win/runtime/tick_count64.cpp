// The threads runtime that is linked into the shipped programs measures its
// timeouts with GetTickCount64, which Windows offers only from Vista on; as
// an import it would keep the programs from starting on Windows XP at all.
// This object defines the import's address slot itself, so the linker takes
// it instead of the system library's entry: Windows' own function where it
// exists, else the 32-bit tick count (which wraps after 49.7 days; a timed
// wait running at that moment ends early, which the runtime's callers
// tolerate as a spurious wake-up).

#include <windows.h>

#include <atomic>

namespace {

using TickCountRoutine = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI TickCountFallback() { return GetTickCount(); }

ULONGLONG WINAPI CompatibleTickCount64() {
  // Looked up once; a race only looks it up twice.
  static std::atomic<TickCountRoutine> resolved{nullptr};
  TickCountRoutine routine = resolved.load(std::memory_order_acquire);
  if (!routine) {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    routine = kernel ? reinterpret_cast<TickCountRoutine>(
                           reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")))
                     : nullptr;
    if (!routine) routine = &TickCountFallback;
    resolved.store(routine, std::memory_order_release);
  }
  return routine();
}

}  // namespace

#if defined(__i386__)
#define CV_TICK_COUNT64_IMPORT "__imp__GetTickCount64@0"
#else
#define CV_TICK_COUNT64_IMPORT "__imp_GetTickCount64"
#endif

extern "C" {
extern TickCountRoutine cvTickCount64Import __asm__(CV_TICK_COUNT64_IMPORT);
TickCountRoutine cvTickCount64Import = &CompatibleTickCount64;
}
