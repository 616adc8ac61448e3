#include "engine/win/protected_files.h"

namespace cv {

namespace {
SfcIsFileProtectedFn gCheck = nullptr;
}

SfcIsFileProtectedFn ProtectedFileCheck() { return gCheck; }
void SetProtectedFileCheck(SfcIsFileProtectedFn check) { gCheck = check; }

}  // namespace cv
