// The message store: fixed names and ids, new ids from 4096 on, names
// compared ignoring case.

#include "plugins/message_store.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace cv {
namespace {

const std::vector<std::pair<std::string, std::int32_t>>& FixedNames() {
  static const std::vector<std::pair<std::string, std::int32_t>> names = {
      {"EV_LOAD", 1},
      {"EV_UNLOAD", 2},
      {"EV_START", 3},
      {"EV_FINISH", 4},
      {"EV_SHOWDIALOGS", 5},
      {"EV_LANGUAGECHANGED", 6},
      {"EV_BEFOREINSTALL", 7},
      {"EV_AFTERINSTALL", 8},
      {"EV_BEFOREPROCESSITEMS", 9},
      {"EV_AFTERPROCESSITEMS", 10},
      {"EV_BEFOREPROCESSITEM", 11},
      {"EV_AFTERPROCESSITEM", 12},
      {"EV_INSTALLPROGRESS", 13},
      {"EV_FEATURESTATECHANGED", 14},
      {"EV_INSTALLTYPECHANGED", 15},
      {"EV_FILEVERSIONCONFLICT", 16},
      {"EV_GETPACKAGE", 17},
      {"EV_CHECKLAUNCHCONDITIONS", 18},
      {"EV_CALCFUNCTION", 19},
      {"EV_QUERYREBOOT", 20},
      {"EV_ABORTINSTALL", 21},
      {"EV_ROLLBACK", 22},
      {"CM_ABORTINSTALL", 256},
      {"CM_SUSPENDINSTALL", 257},
      {"CM_RESUMEINSTALL", 258},
      {"CM_PARSETEXT", 259},
      {"CM_GETLANGUAGE", 260},
      {"CM_SETLANGUAGE", 261},
      {"CM_GETVARIABLE", 262},
      {"CM_SETVARIABLE", 263},
      {"CM_GETFEATURE", 264},
      {"CM_GETFEATURESTATE", 265},
      {"CM_SETFEATURESTATE", 266},
      {"CM_GETINSTALLTYPE", 267},
      {"CM_SETINSTALLTYPE", 268},
      {"CM_SETPASSWORD", 269},
      {"CM_GETPCPARAM", 270},
      {"CM_GETPCGROUPNAMES", 271},
      {"CM_GETPCPARAMNAMES", 272},
      {"CM_GETPCCUSTOMCONFIG", 273},
      {"CM_CALCEXPRESSION", 274},
      {"CM_CALCBOOLEXPRESSION", 275},
      {"CM_REGISTERFUNCTION", 276},
      {"CM_ADDLOGRECORD", 277},
      {"CM_GETINSTALLICON", 278},
      {"CM_ISPASSWORDVALID", 279},
      {"CM_CALCACTIONS", 280},
      {"CM_GETFEATURESIZE", 281},
      {"CM_GETSETUPSIZE", 282},
  };
  return names;
}

TEST(MessageStore, HoldsTheFortyNineFixedNamesWithTheirIds) {
  TMessageStore store;
  ASSERT_EQ(FixedNames().size(), 49u);
  for (const auto& [name, id] : FixedNames()) {
    EXPECT_EQ(store.MessageName(id), name) << id;
    EXPECT_EQ(store.RegisterMessage(name), id) << name;
  }
  EXPECT_EQ(store.RegisterMessage("something new"), kFirstDynamicMessageId)
      << "looking the fixed names up took no new ids";
}

TEST(MessageStore, NamedConstantsMatchTheFixedIds) {
  EXPECT_EQ(EV_LOAD, 1);
  EXPECT_EQ(EV_START, 3);
  EXPECT_EQ(EV_LANGUAGECHANGED, 6);
  EXPECT_EQ(EV_CALCFUNCTION, 19);
  EXPECT_EQ(EV_ROLLBACK, 22);
  EXPECT_EQ(CM_ABORTINSTALL, 256);
  EXPECT_EQ(CM_GETVARIABLE, 262);
  EXPECT_EQ(CM_REGISTERFUNCTION, 276);
  EXPECT_EQ(CM_GETSETUPSIZE, 282);
  TMessageStore store;
  EXPECT_EQ(store.MessageName(EV_INSTALLPROGRESS), "EV_INSTALLPROGRESS");
  EXPECT_EQ(store.MessageName(CM_CALCACTIONS), "CM_CALCACTIONS");
}

TEST(MessageStore, NamesAreComparedIgnoringCase) {
  TMessageStore store;
  EXPECT_EQ(store.RegisterMessage("ev_start"), 3);
  EXPECT_EQ(store.RegisterMessage("Ev_StArT"), 3);
  EXPECT_EQ(store.RegisterMessage("cm_getsetupsize"), 282);
  EXPECT_EQ(store.MessageName(3), "EV_START") << "the stored spelling stays";
}

TEST(MessageStore, NewNamesCountFrom4096) {
  TMessageStore store;
  EXPECT_EQ(store.RegisterMessage("CM_SHOWSTATUSTEXT"), 4096);
  EXPECT_EQ(store.RegisterMessage("My_Event"), 4097);
  EXPECT_EQ(store.RegisterMessage("CM_SHOWSTATUSTEXT"), 4096) << "the same name, the same id";
  EXPECT_EQ(store.RegisterMessage("my_event"), 4097);
  EXPECT_EQ(store.RegisterMessage("MY_EVENT"), 4097);
  EXPECT_EQ(store.MessageName(4097), "My_Event") << "kept as first registered";
  EXPECT_EQ(store.RegisterMessage("CM_GETACTIVEWINDOW"), 4098);
  EXPECT_EQ(store.MessageName(4096), "CM_SHOWSTATUSTEXT");
}

TEST(MessageStore, NonAsciiLettersAreComparedIgnoringCaseToo) {
  TMessageStore store;
  const std::int32_t id = store.RegisterMessage("EV_\xC4NDERUNG");  // upper A umlaut
  EXPECT_EQ(store.RegisterMessage("ev_\xE4nderung"), id);
}

TEST(MessageStore, IdWithoutANameGivesTheEmptyText) {
  TMessageStore store;
  for (std::int32_t id : {0, -1, 23, 255, 283, 4095, 4096, 2147483647}) {
    EXPECT_EQ(store.MessageName(id), "") << id;
  }
  store.RegisterMessage("Custom");
  EXPECT_EQ(store.MessageName(4097), "");
}

TEST(MessageStore, ProcessWideStoreGivesNewNamesConsecutiveIds) {
  const std::int32_t first = RegisterMessage("PROCESS_WIDE_TEST_MESSAGE_A");
  const std::int32_t second = RegisterMessage("PROCESS_WIDE_TEST_MESSAGE_B");
  EXPECT_GE(first, kFirstDynamicMessageId);
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(RegisterMessage("process_wide_test_message_a"), first);
  EXPECT_EQ(MessageName(second), "PROCESS_WIDE_TEST_MESSAGE_B");
  EXPECT_EQ(RegisterMessage("EV_SHOWDIALOGS"), EV_SHOWDIALOGS);
  EXPECT_EQ(&MessageStore(), &MessageStore());
}

TEST(MessageStore, ThreadsRegisteringTheSameNamesAgreeOnTheIds) {
  TMessageStore store;
  constexpr int kThreads = 4;
  constexpr int kNames = 50;
  std::vector<std::vector<std::int32_t>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&store, &seen, t] {
      for (int i = 0; i < kNames; ++i) {
        seen[static_cast<std::size_t>(t)].push_back(
            store.RegisterMessage("NAME_" + std::to_string(i)));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kNames; ++i) {
    const std::int32_t id = seen[0][static_cast<std::size_t>(i)];
    EXPECT_GE(id, 4096);
    EXPECT_LT(id, 4096 + kNames);
    for (int t = 1; t < kThreads; ++t) {
      EXPECT_EQ(seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)], id);
    }
    EXPECT_EQ(store.MessageName(id), "NAME_" + std::to_string(i));
  }
  EXPECT_EQ(store.RegisterMessage("ONE_MORE"), 4096 + kNames) << "no id was skipped";
}

}  // namespace
}  // namespace cv
