#include "install/win/server_step.h"

#include <cstdint>

#include "install/win/install_run.h"
#include "install/win/installed_file_services.h"
#include "install/win/run_events.h"
#include "platform/format_text.h"
#include "platform/win/file_system.h"
#include "platform/win/message_box.h"
#include "plugins/message_store.h"

namespace cv {

bool RegisterServers(const TInstallActions& list) {
  const std::int32_t kind = static_cast<std::int32_t>(InstallStep::Servers);
  for (int i = 0; i < list.Count(); ++i) {
    const auto* file = dynamic_cast<const TInstallFile*>(list.Action(i));
    if (!file || !file->Flags.Contains(TcvFlag::reg_server)) continue;
    // A file the run removed (deleted, or to be deleted at the next start),
    // or one a plug-in kept from being written where none was, is not there
    // to be registered.
    if (file->Pending ? file->TmpFileName.empty() : !FileExists(file->FileName)) continue;
    if (SendRunEvent(EV_BEFOREPROCESSITEM, {kind, file->FileName, 0}) != 0) continue;
    if (!RegisterServerRoutine()(file->FileName)) {
      ShowErrorBox("Error", FormatText("Cannot register \"%s\".", {file->FileName}));
      return false;
    }
    SendRunEvent(EV_AFTERPROCESSITEM, {kind, file->FileName, 0});
  }
  return true;
}

}  // namespace cv
