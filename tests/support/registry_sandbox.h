#pragma once
// A registry key of the test's own, HKCU\Software\CorvaneTest\<name><pid>,
// into which every root of the registry facade (HKLM, HKCU, HKCR, HKU) is
// redirected while the object lives; the key is removed before and after.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win/registry_path.h"

namespace cv::test {

class RegistrySandbox {
 public:
  explicit RegistrySandbox(const std::string& name)
      : subkey_("Software\\CorvaneTest\\" + name + std::to_string(GetCurrentProcessId())) {
    RegDeleteKeyPath("HKCU\\" + subkey_, true);
    redirect_.emplace(subkey_);
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;
  ~RegistrySandbox() {
    redirect_.reset();
    RegDeleteKeyPath("HKCU\\" + subkey_, true);
    // Only when no other test run still has a key there.
    RegDeleteKeyPath("HKCU\\Software\\CorvaneTest", false);
  }

  // The sandbox below the real HKEY_CURRENT_USER.
  const std::string& Subkey() const { return subkey_; }

 private:
  std::string subkey_;
  std::optional<RegistryRootRedirect> redirect_;
};

}  // namespace cv::test
