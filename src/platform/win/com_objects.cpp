#include "platform/win/com_objects.h"

#include <objbase.h>

namespace cv {

ComScope::ComScope() {
  // S_FALSE (already initialised the same way) needs its uninitialise too; a
  // thread of the other apartment kind (RPC_E_CHANGED_MODE) uses COM as it is.
  initialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

ComScope::~ComScope() {
  if (initialised_) CoUninitialize();
}

bool CanCreateInProcessObject(const CLSID& classId, const IID& interfaceId) {
  const ComScope com;
  IUnknown* object = nullptr;
  const HRESULT created = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId,
                                           reinterpret_cast<void**>(&object));
  if (object) object->Release();
  return SUCCEEDED(created) && object != nullptr;
}

}  // namespace cv
