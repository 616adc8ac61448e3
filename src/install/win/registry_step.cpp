#include "install/win/registry_step.h"

#include <windows.h>

#include "install/win/action_list.h"
#include "platform/win/registry_path.h"

namespace cv {

namespace {

bool WriteItemValue(const std::string& key, const std::string& name, TcvRegType type,
                    const std::string& value) {
  switch (type) {
    case TcvRegType::int_: return RegWriteTyped(key, name, REG_DWORD, value);
    case TcvRegType::bin: return RegWriteBinaryHex(key, name, value);
    case TcvRegType::mstr: return RegWriteMultiString(key, name, value);
    case TcvRegType::str: break;
  }
  // A string written over an expandable one stays expandable: its readers
  // expand what it holds ("%ProgramFiles%\Acme"), and would get the
  // reference itself from a plain string.
  if (RegValueType(key, name) == REG_EXPAND_SZ) return RegWriteExpandString(key, name, value);
  return RegWriteString(key, name, value);
}

}  // namespace

ItemResult InstallRegistryItem(TInstallActions& list, const TcvReg& item,
                               const ResolveText& resolve, const ErrorBoxRoutine& showErrorBox) {
  const std::string key = resolve(item.Key);
  const std::string name = resolve(item.Param);
  const bool exists = RegValueExists(key, name);
  if (item.Action == TcvInstallAction::remove) {
    if (!name.empty()) {
      if (exists) RegDeleteValuePath(key, name);
    } else if (RegKeyExists(key)) {
      RegDeleteKeyPath(key, true);
    }
    return ItemResult::Done;
  }
  if (exists && item.Flags.Contains(TcvFlag::dont_overwrite)) return ItemResult::Skipped;
  const bool log = !item.Flags.Contains(TcvFlag::dont_log);
  AddKeyChain(list, key, log);
  auto& action = AddAction<TInstallReg>(list);
  action.Flags = item.Flags;
  action.Log = log;
  action.Key = key;
  action.Param = name;
  RecordRegistryValue(action);
  if (!WriteItemValue(key, name, item.ParamType, resolve(item.Value))) {
    showErrorBox("Error", "Error changing registry data.");
    return ItemResult::Failed;
  }
  return ItemResult::Done;
}

}  // namespace cv
