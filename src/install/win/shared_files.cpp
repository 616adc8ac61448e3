#include "install/win/shared_files.h"

#include <windows.h>

#include "install/install_log.h"
#include "install/win/action_list.h"
#include "platform/win/registry_path.h"

namespace cv {

namespace {

constexpr char kSharedDllsKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

}  // namespace

bool CountSharedFile(TInstallActions& list, const std::string& path, bool existed) {
  if (LogHasKey(LogSection::SharedFiles, path)) return true;
  DWORD count = RegReadDword(kSharedDllsKey, path, 0);
  if (existed) {
    count = (count == 0 ? 1 : count) + 1;
  } else {
    count = 1;
  }
  // The raised count is a change of this run: a rollback gives the earlier
  // count back or takes the value away. The uninstaller goes by the log's
  // [SharedFiles] entry, so nothing of this is logged.
  const int first = list.Count();
  AddKeyChain(list, kSharedDllsKey, true);
  auto& earlier = AddAction<TInstallReg>(list);
  earlier.Key = kSharedDllsKey;
  earlier.Param = path;
  RecordRegistryValue(earlier);
  for (int i = first; i < list.Count(); ++i) list.Action(i)->Log = false;
  const bool ok = RegWriteDword(kSharedDllsKey, path, count);
  LogWrite(LogSection::SharedFiles, path, "");
  return ok;
}

}  // namespace cv
