// An in-process COM server that stands in for an installed .NET runtime in
// the tests of NETFrameworkInstalled: it serves whatever class it is
// registered for, but only with the interface the engine asks that class
// for, so a test passes only when both ids are the right ones.

#include <windows.h>
#include <objbase.h>

// COM objects are freed through Release, never through a pointer to their
// interface, which is why COM's interfaces have no virtual destructor.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

constexpr IID kAskedInterface = {
    0x31BCFCE2, 0xDAFB, 0x11D2, {0x9F, 0x81, 0x00, 0xC0, 0x4F, 0x79, 0xA0, 0xA3}};

LONG gObjects = 0;

class Object : public IUnknown {
 public:
  Object() { InterlockedIncrement(&gObjects); }
  virtual ~Object() { InterlockedDecrement(&gObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kAskedInterface)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  LONG references_ = 1;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Object* object = new Object;
    const HRESULT answer = object->QueryInterface(iid, out);
    object->Release();
    return answer;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory gFactory;

}  // namespace

// Exported under their plain names (the build strips the 32-bit call
// decoration), as COM looks them up.
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID, REFIID iid, void** out) {
  return gFactory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return gObjects == 0 ? S_OK : S_FALSE;
}
