#include "platform/win/shell_link.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/win/com_objects.h"

namespace cv {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (pointer_) pointer_->Release();
  }
  Interface* operator->() const { return pointer_; }
  Interface* get() const { return pointer_; }
  void** out() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

bool SetFields(IShellLinkA& link, const ShellLinkFields& fields) {
  return SUCCEEDED(link.SetPath(fields.Target.c_str())) &&
         SUCCEEDED(link.SetArguments(fields.Arguments.c_str())) &&
         SUCCEEDED(link.SetWorkingDirectory(fields.WorkingFolder.c_str())) &&
         SUCCEEDED(link.SetShowCmd(fields.ShowCommand)) &&
         SUCCEEDED(link.SetHotkey(fields.Hotkey)) &&
         SUCCEEDED(link.SetDescription(fields.Description.c_str())) &&
         SUCCEEDED(link.SetIconLocation(fields.IconFile.c_str(), fields.IconIndex));
}

std::wstring WidePath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> wide(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
  return std::wstring(wide.data());
}

}  // namespace

bool SaveShellLink(const std::string& linkFile, const ShellLinkFields& fields) {
  const ComScope com;
  ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.out())) ||
      !link.get() || !SetFields(*link.get(), fields)) {
    return false;
  }
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.out())) || !file.get()) return false;
  const std::wstring path = WidePath(linkFile);
  return !path.empty() && SUCCEEDED(file->Save(path.c_str(), TRUE));
}

void NotifyShellItemChanged(const std::string& path) {
  SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHA | SHCNF_FLUSH, path.c_str(), nullptr);
}

}  // namespace cv
