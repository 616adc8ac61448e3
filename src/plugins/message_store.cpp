#include "plugins/message_store.h"

#include <array>

#include "platform/case_map.h"

namespace cv {

namespace {

constexpr std::array<std::string_view, 22> kEventNames = {
    "EV_LOAD",
    "EV_UNLOAD",
    "EV_START",
    "EV_FINISH",
    "EV_SHOWDIALOGS",
    "EV_LANGUAGECHANGED",
    "EV_BEFOREINSTALL",
    "EV_AFTERINSTALL",
    "EV_BEFOREPROCESSITEMS",
    "EV_AFTERPROCESSITEMS",
    "EV_BEFOREPROCESSITEM",
    "EV_AFTERPROCESSITEM",
    "EV_INSTALLPROGRESS",
    "EV_FEATURESTATECHANGED",
    "EV_INSTALLTYPECHANGED",
    "EV_FILEVERSIONCONFLICT",
    "EV_GETPACKAGE",
    "EV_CHECKLAUNCHCONDITIONS",
    "EV_CALCFUNCTION",
    "EV_QUERYREBOOT",
    "EV_ABORTINSTALL",
    "EV_ROLLBACK",
};

constexpr std::array<std::string_view, 27> kCommandNames = {
    "CM_ABORTINSTALL",     "CM_SUSPENDINSTALL",    "CM_RESUMEINSTALL",   "CM_PARSETEXT",
    "CM_GETLANGUAGE",      "CM_SETLANGUAGE",       "CM_GETVARIABLE",     "CM_SETVARIABLE",
    "CM_GETFEATURE",       "CM_GETFEATURESTATE",   "CM_SETFEATURESTATE", "CM_GETINSTALLTYPE",
    "CM_SETINSTALLTYPE",   "CM_SETPASSWORD",       "CM_GETPCPARAM",      "CM_GETPCGROUPNAMES",
    "CM_GETPCPARAMNAMES",  "CM_GETPCCUSTOMCONFIG", "CM_CALCEXPRESSION",  "CM_CALCBOOLEXPRESSION",
    "CM_REGISTERFUNCTION", "CM_ADDLOGRECORD",      "CM_GETINSTALLICON",  "CM_ISPASSWORDVALID",
    "CM_CALCACTIONS",      "CM_GETFEATURESIZE",    "CM_GETSETUPSIZE",
};

static_assert(EV_LOAD + kEventNames.size() - 1 == EV_ROLLBACK);
static_assert(CM_ABORTINSTALL + kCommandNames.size() - 1 == CM_GETSETUPSIZE);

}  // namespace

TMessageStore::TMessageStore() {
  entries_.reserve(kEventNames.size() + kCommandNames.size());
  std::int32_t id = EV_LOAD;
  for (std::string_view name : kEventNames) entries_.push_back({std::string(name), id++});
  id = CM_ABORTINSTALL;
  for (std::string_view name : kCommandNames) entries_.push_back({std::string(name), id++});
}

std::int32_t TMessageStore::RegisterMessage(std::string_view name) {
  std::lock_guard lock(lock_);
  for (const Entry& entry : entries_) {
    if (SameTextNoCase(entry.Name, name)) return entry.Id;
  }
  entries_.push_back({std::string(name), ++counter_});
  return counter_;
}

std::string TMessageStore::MessageName(std::int32_t id) const {
  std::lock_guard lock(lock_);
  for (const Entry& entry : entries_) {
    if (entry.Id == id) return entry.Name;
  }
  return {};
}

TMessageStore& MessageStore() {
  static TMessageStore store;
  return store;
}

std::int32_t RegisterMessage(std::string_view name) { return MessageStore().RegisterMessage(name); }

std::string MessageName(std::int32_t id) { return MessageStore().MessageName(id); }

}  // namespace cv
