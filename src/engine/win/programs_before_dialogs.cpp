#include "engine/win/programs_before_dialogs.h"

#include <vector>

#include "database/condition_object.h"
#include "install/win/component_program.h"
#include "install/win/install_run.h"
#include "platform/win/message_box.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"
#include "script/references.h"

namespace cv {

namespace {

// The run-app step and the code of `before_dialogs` as plug-ins receive them.
constexpr std::int32_t kRunAppStep = static_cast<std::int32_t>(InstallStep::RunApps);
constexpr std::int32_t kBeforeDialogsCode = 4;

TcvPackage* MainPackage(const TcvMainDatabase& database) {
  for (int i = 0; i < database.Packages->Count(); ++i) {
    if (database.Packages->Package(i)->Main) return database.Packages->Package(i);
  }
  return database.Packages->Count() > 0 ? database.Packages->Package(0) : nullptr;
}

// One entry; false when it failed the run.
bool RunEntry(TcvMainDatabase& database, const bool& resumePending, const TcvComponent& component,
              int index, const TcvRunApp& item) {
  const auto resolve = [&](const std::string& text) {
    return ExpandReferences(&database, 0, text, true, true, false);
  };
  // A plug-in may change variables in between: each message gets the texts
  // as they stand when it is sent.
  const auto values = [&] {
    return std::vector<MessageParamValue>{
        kRunAppStep,          resolve(item.CmdLine), resolve(item.Arg), resolve(item.WorkDir),
        static_cast<std::int32_t>(item.ShowCmd), resolve(item.Msg), kBeforeDialogsCode};
  };
  if (SendMessageById(0, EV_BEFOREPROCESSITEM, NewParamsBlock(values()), true, false, 0) != 0) {
    return true;
  }
  const bool ok =
      RunComponentProgram(database, resumePending, ActiveWindowOwner(), component.ID(), index, item,
                          {resolve(item.CmdLine), resolve(item.Arg), resolve(item.WorkDir)});
  if (resumePending) return true;
  SendMessageById(0, EV_AFTERPROCESSITEM, NewParamsBlock(values()), true, false, 0);
  return ok;
}

}  // namespace

bool RunProgramsBeforeDialogs(TcvMainDatabase& database, const bool& resumePending) {
  const TcvPackage* package = MainPackage(database);
  if (package == nullptr) return true;
  const TcvComponents& components = *package->Components;
  for (int c = 0; c < components.Count(); ++c) {
    const TcvComponent& component = *components.Component(c);
    for (int i = 0; i < component.RunApps->Count(); ++i) {
      const TcvRunApp& item = *component.RunApps->ItemAs<TcvRunApp>(i);
      if (AlreadyDoneBeforeResume(database, component.ID(), i)) continue;
      if (item.WhenStart != TcvWhenStart::before_dialogs || !IsEnabled(item)) continue;
      if (!RunEntry(database, resumePending, component, i, item)) return false;
      if (resumePending) return true;
    }
    EndResumeInComponent(database, component.ID());
  }
  return true;
}

}  // namespace cv
