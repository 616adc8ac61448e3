// Built-in functions on the registry and on installed runtimes.

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/com_objects.h"
#include "platform/win/registry_path.h"
#include "script/win/platform_handlers.h"

namespace cv::builtin {

namespace {

// The value types SetRegParam's type index selects, in index order.
constexpr DWORD kValueTypes[] = {REG_SZ, REG_DWORD, REG_BINARY, REG_MULTI_SZ};

// The .NET runtime host and the interface it is asked for: creatable only
// where a runtime is installed.
constexpr CLSID kRuntimeHostClass = {
    0xE5CB7A31, 0x7512, 0x11D2, {0x89, 0xCE, 0x00, 0x80, 0xC7, 0x92, 0xE5, 0xD8}};
constexpr IID kRuntimeHostInterface = {
    0x31BCFCE2, 0xDAFB, 0x11D2, {0x9F, 0x81, 0x00, 0xC0, 0x4F, 0x79, 0xA0, 0xA3}};

bool RuntimeInstalled() {
  return CanCreateInProcessObject(kRuntimeHostClass, kRuntimeHostInterface);
}

// The parts between dots, empty ones included.
std::vector<std::string> VersionParts(std::string_view version) {
  std::vector<std::string> parts;
  for (;;) {
    const std::size_t dot = version.find('.');
    parts.emplace_back(version.substr(0, dot));
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  return parts;
}

}  // namespace

CV_FUNCTION(RegKeyExistsFunction) {
  (void)context;
  result = TruthText(RegKeyExists(Arg(args, 0)));
}

CV_FUNCTION(RegParamExistsFunction) {
  (void)context;
  result = TruthText(RegValueExists(Arg(args, 0), Arg(args, 1)));
}

CV_FUNCTION(GetRegParamFunction) {
  (void)context;
  result = RegReadString(Arg(args, 0), Arg(args, 1), Arg(args, 2));
}

CV_FUNCTION(SetRegParamFunction) {
  (void)context;
  const std::int32_t index = std::clamp<std::int32_t>(ArgInt(args, 3), 0, 3);
  result = TruthText(RegWriteTyped(Arg(args, 0), Arg(args, 1),
                                   kValueTypes[static_cast<std::size_t>(index)], Arg(args, 2)));
}

CV_FUNCTION(NETFrameworkInstalledFunction) {
  (void)args;
  (void)context;
  result = TruthText(RuntimeInstalled());
}

CV_FUNCTION(NETFrameworkVersionInstalledFunction) {
  (void)context;
  const std::vector<std::string> parts = VersionParts(Arg(args, 0));
  bool installed = parts.size() >= 2 && RuntimeInstalled();
  // A build number names the release whose policy the runtime records.
  if (installed && parts.size() >= 3) {
    installed = RegValueExists(
        "HKLM\\SOFTWARE\\Microsoft\\.NETFramework\\policy\\v" + parts[0] + "." + parts[1],
        parts[2]);
  }
  result = TruthText(installed);
}

}  // namespace cv::builtin
