#pragma once
// Message names and their ids. The engine's events and commands have fixed
// ids; any other name gets the next free id (from 4096 on) the first time it
// is used, and keeps it for the rest of the process.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace cv {

// The fixed ids: events the engine sends (1 to 22) and requests plug-ins
// send to the engine (256 to 282).
enum MessageId : std::int32_t {
  EV_LOAD = 1,
  EV_UNLOAD,
  EV_START,
  EV_FINISH,
  EV_SHOWDIALOGS,
  EV_LANGUAGECHANGED,
  EV_BEFOREINSTALL,
  EV_AFTERINSTALL,
  EV_BEFOREPROCESSITEMS,
  EV_AFTERPROCESSITEMS,
  EV_BEFOREPROCESSITEM,
  EV_AFTERPROCESSITEM,
  EV_INSTALLPROGRESS,
  EV_FEATURESTATECHANGED,
  EV_INSTALLTYPECHANGED,
  EV_FILEVERSIONCONFLICT,
  EV_GETPACKAGE,
  EV_CHECKLAUNCHCONDITIONS,
  EV_CALCFUNCTION,
  EV_QUERYREBOOT,
  EV_ABORTINSTALL,
  EV_ROLLBACK,  // 22

  CM_ABORTINSTALL = 256,
  CM_SUSPENDINSTALL,
  CM_RESUMEINSTALL,
  CM_PARSETEXT,
  CM_GETLANGUAGE,
  CM_SETLANGUAGE,
  CM_GETVARIABLE,
  CM_SETVARIABLE,
  CM_GETFEATURE,
  CM_GETFEATURESTATE,
  CM_SETFEATURESTATE,
  CM_GETINSTALLTYPE,
  CM_SETINSTALLTYPE,
  CM_SETPASSWORD,
  CM_GETPCPARAM,
  CM_GETPCGROUPNAMES,
  CM_GETPCPARAMNAMES,
  CM_GETPCCUSTOMCONFIG,
  CM_CALCEXPRESSION,
  CM_CALCBOOLEXPRESSION,
  CM_REGISTERFUNCTION,
  CM_ADDLOGRECORD,
  CM_GETINSTALLICON,
  CM_ISPASSWORDVALID,
  CM_CALCACTIONS,
  CM_GETFEATURESIZE,
  CM_GETSETUPSIZE,  // 282
};

// The engine's commands (handled by the engine itself before scripts and
// plug-ins see a message).
inline constexpr std::int32_t kFirstCommandId = CM_ABORTINSTALL;
inline constexpr std::int32_t kLastCommandId = CM_GETSETUPSIZE;
// Names without a fixed id are numbered from here on.
inline constexpr std::int32_t kFirstDynamicMessageId = 4096;

// Names the engine sends without a fixed id (answered by a plug-in).
inline constexpr std::string_view kShowStatusTextMessage = "CM_SHOWSTATUSTEXT";
inline constexpr std::string_view kHideStatusTextMessage = "CM_HIDESTATUSTEXT";
inline constexpr std::string_view kGetActiveWindowMessage = "CM_GETACTIVEWINDOW";

// Name-to-id map holding the 49 fixed names from the start. Names are
// compared ignoring case and kept as first registered. Safe to use from any
// thread.
class TMessageStore {
 public:
  TMessageStore();
  TMessageStore(const TMessageStore&) = delete;
  TMessageStore& operator=(const TMessageStore&) = delete;

  // The id of the name: the existing one, or the next free id.
  std::int32_t RegisterMessage(std::string_view name);
  // The name of the id; "" when no name has it.
  std::string MessageName(std::int32_t id) const;

 private:
  struct Entry {
    std::string Name;
    std::int32_t Id;
  };
  mutable std::mutex lock_;
  std::vector<Entry> entries_;
  std::int32_t counter_ = kFirstDynamicMessageId - 1;
};

// The process-wide store.
TMessageStore& MessageStore();
std::int32_t RegisterMessage(std::string_view name);
std::string MessageName(std::int32_t id);

}  // namespace cv
