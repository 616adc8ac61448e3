// Dispatching messages: the order of the handlers, early stop and
// process-all, the state around the handlers, freeing the in-block, and sends
// from other threads.

#include "plugins/message_dispatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "database/main_database.h"
#include "messaging_test_support.h"
#include "plugins/message_params.h"
#include "plugins/message_store.h"

namespace cv {
namespace {

using test::BlockGuard;
using test::Mailbox;
using test::RunOnWorker;
using test::ScopedDelivery;
using test::ScopedDispatchThread;
using test::ScopedHandlers;
using test::ScopedMainDatabase;

std::string& EventParams(TcvMainDatabase& db) { return db.Variables->Variable(0)->Value; }
std::string& EventResult(TcvMainDatabase& db) { return db.Variables->Variable(1)->Value; }

// Handlers that record each call and answer what the test chose.
class Recorder {
 public:
  std::vector<std::string> calls;
  bool commandHandles = false;
  std::int32_t commandResult = 0;
  std::int32_t beforeResult = 0;
  std::int32_t pluginsResult = 0;
  std::int32_t afterResult = 0;
  std::int32_t pluginResult = 0;
  // Seen by the last handler called.
  std::int32_t sender = -1;
  std::string name;
  bool processAll = false;
  std::int32_t in = -1;
  std::int32_t out = -1;
  void* plugin = nullptr;

  MessageHandlers Handlers() {
    MessageHandlers handlers;
    handlers.Command = [this](std::int32_t s, std::int32_t id, std::int32_t i, std::int32_t o,
                              std::int32_t& result) {
      calls.push_back("command " + std::to_string(id));
      sender = s;
      in = i;
      out = o;
      result = commandResult;
      return commandHandles;
    };
    handlers.Scripts = [this](std::int32_t s, const std::string& n, TcvEventWhenHandle when,
                              bool all) {
      const bool before = when == TcvEventWhenHandle::before_plugins;
      calls.push_back((before ? "before " : "after ") + n);
      sender = s;
      name = n;
      processAll = all;
      return before ? beforeResult : afterResult;
    };
    handlers.Plugins = [this](std::int32_t s, std::int32_t id, const std::string& n, std::int32_t i,
                              std::int32_t o, bool all) {
      calls.push_back("plugins " + n + " " + std::to_string(id));
      sender = s;
      name = n;
      in = i;
      out = o;
      processAll = all;
      return pluginsResult;
    };
    handlers.Plugin = [this](void* p, std::int32_t id, const std::string& n, std::int32_t i,
                             std::int32_t o) {
      calls.push_back("plugin " + n + " " + std::to_string(id));
      plugin = p;
      name = n;
      in = i;
      out = o;
      return pluginResult;
    };
    return handlers;
  }
};

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EventParams(*db) = "params before";
    EventResult(*db) = "result before";
  }

  std::unique_ptr<TcvMainDatabase> db = TcvMainDatabase::New();
  ScopedMainDatabase current{db.get()};
  Recorder rec;
  ScopedHandlers handlers{rec.Handlers()};
};

using Calls = std::vector<std::string>;

TEST_F(DispatchTest, HandlersRunInOrderAndZeroAnswersGoOn) {
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 0);
  EXPECT_EQ(rec.calls,
            (Calls{"command 3", "before EV_START", "plugins EV_START 3", "after EV_START"}));
}

TEST(EventReceivers, AnEventHasReceiversWhenAScriptWaitsForItOrAPluginIsLoaded) {
  struct Case {
    bool Scripts, Plugins;
    const char* ScriptedEvent;  // nullptr: no ScriptsFor, the scripts listen to all
    int PluginsLoaded;          // -1: no AnyPlugin, the plug-ins listen
    bool Expected;
  };
  for (const Case& c : {Case{false, false, nullptr, -1, false}, Case{true, false, nullptr, -1, true},
                        Case{false, true, nullptr, -1, true}, Case{true, true, "EV_START", 0, false},
                        Case{true, true, "EV_INSTALLPROGRESS", 0, true}, Case{false, true, nullptr, 1, true},
                        Case{false, true, nullptr, 0, false}}) {
    MessageHandlers handlers;
    if (c.Scripts) handlers.Scripts = [](std::int32_t, const std::string&, TcvEventWhenHandle, bool) { return 0; };
    if (c.Plugins) {
      handlers.Plugins = [](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t, bool) {
        return 0;
      };
    }
    if (c.ScriptedEvent) {
      handlers.ScriptsFor = [&c](const std::string& name) { return name == c.ScriptedEvent; };
    }
    if (c.PluginsLoaded >= 0) handlers.AnyPlugin = [&c] { return c.PluginsLoaded > 0; };
    ScopedHandlers installed{std::move(handlers)};
    EXPECT_EQ(EventHasReceivers(EV_INSTALLPROGRESS), c.Expected)
        << c.Scripts << c.Plugins << (c.ScriptedEvent ? c.ScriptedEvent : "-") << c.PluginsLoaded;
  }
}

TEST_F(DispatchTest, CommandHandlerThatHandlesTheIdEndsTheDispatch) {
  rec.commandHandles = true;
  rec.commandResult = 17;
  EXPECT_EQ(SendMessageById(2, CM_GETVARIABLE, 5, false, true, 6), 17);
  EXPECT_EQ(rec.calls, (Calls{"command 262"}));
  EXPECT_EQ(rec.sender, 2);
  EXPECT_EQ(rec.in, 5);
  EXPECT_EQ(rec.out, 6);
}

TEST_F(DispatchTest, CommandHandlerRunsBeforeTheEventVariablesAreSet) {
  std::string seen;
  MessageHandlers own;
  own.Command = [&](std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t& r) {
    seen = EventParams(*db);
    r = 1;
    return true;
  };
  ScopedHandlers scoped(std::move(own));
  SendMessageById(0, CM_SETVARIABLE, 42, false, false, 43);
  EXPECT_EQ(seen, "params before");
}

TEST_F(DispatchTest, ResultOfACommandHandlerThatDeclinesIsIgnored) {
  rec.commandHandles = false;
  rec.commandResult = 99;
  EXPECT_EQ(SendMessageById(0, EV_FINISH, 0, false, false, 0), 0);
  EXPECT_EQ(rec.calls.size(), 4u);
}

TEST_F(DispatchTest, ResultOfADecliningCommandHandlerIsIgnoredWhenNothingElseAnswers) {
  MessageHandlers own;
  own.Command = [](std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t& r) {
    r = 99;
    return false;
  };
  ScopedHandlers scoped(std::move(own));
  EXPECT_EQ(SendMessageById(0, EV_FINISH, 0, false, false, 0), 0);
  EXPECT_EQ(SendMessageById(0, EV_FINISH, 0, false, true, 0), 0);
}

TEST_F(DispatchTest, BeforeScriptAnsweringOneKeepsTheMessageFromEveryPlugin) {
  rec.beforeResult = 1;
  EXPECT_EQ(SendMessageById(0, EV_SHOWDIALOGS, 0, false, false, 0), 1);
  EXPECT_EQ(rec.calls, (Calls{"command 5", "before EV_SHOWDIALOGS"}));
}

TEST_F(DispatchTest, PluginAnswerEndsTheDispatchBeforeTheAfterScripts) {
  rec.pluginsResult = 5;
  rec.afterResult = 8;
  EXPECT_EQ(SendMessageById(0, EV_QUERYREBOOT, 0, false, false, 0), 5);
  EXPECT_EQ(rec.calls, (Calls{"command 20", "before EV_QUERYREBOOT", "plugins EV_QUERYREBOOT 20"}));
}

TEST_F(DispatchTest, AfterScriptsGiveTheResultWhenNobodyAnsweredBefore) {
  rec.afterResult = -4;
  EXPECT_EQ(SendMessageById(0, EV_AFTERINSTALL, 0, false, false, 0), -4);
  EXPECT_EQ(rec.calls.size(), 4u);
}

TEST_F(DispatchTest, ProcessAllRunsEveryStepAndAnswersTheLastOnesResult) {
  rec.beforeResult = 1;
  rec.pluginsResult = 2;
  rec.afterResult = 0;
  EXPECT_EQ(SendMessageById(0, EV_FINISH, 0, false, true, 0), 0);
  EXPECT_EQ(rec.calls.size(), 4u);
  EXPECT_TRUE(rec.processAll) << "the handlers are told to run all of theirs too";
  rec.calls.clear();
  rec.afterResult = 7;
  EXPECT_EQ(SendMessageById(0, EV_FINISH, 0, false, true, 0), 7);
  EXPECT_EQ(rec.calls.size(), 4u);
}

TEST_F(DispatchTest, WithoutProcessAllTheHandlersAreToldToStopEarly) {
  SendMessageById(0, EV_FINISH, 0, false, false, 0);
  EXPECT_FALSE(rec.processAll);
}

TEST_F(DispatchTest, PluginsSeeTheSenderSoThatItIsLeftOut) {
  // The plug-in host's handler stands in: plug-ins 1 to 3, the sender skipped.
  std::vector<std::int32_t> called;
  MessageHandlers own;
  own.Plugins = [&](std::int32_t sender, std::int32_t, const std::string&, std::int32_t,
                    std::int32_t, bool) {
    for (std::int32_t plugin = 1; plugin <= 3; ++plugin) {
      if (plugin != sender) called.push_back(plugin);
    }
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  SendMessageById(2, RegisterMessage("PLUGIN_TALK"), 0, false, false, 0);
  EXPECT_EQ(called, (std::vector<std::int32_t>{1, 3}));
}

TEST_F(DispatchTest, HandlersGetSenderIdNameAndBlocks) {
  SendMessageById(3, EV_LANGUAGECHANGED, 11, false, false, 12);
  EXPECT_EQ(rec.sender, 3);
  EXPECT_EQ(rec.name, "EV_LANGUAGECHANGED");
  EXPECT_EQ(rec.in, 11);
  EXPECT_EQ(rec.out, 12);
}

TEST_F(DispatchTest, SendByNameRegistersTheNameAndSendsAsTheEngine) {
  const std::int32_t id = RegisterMessage("Dispatch_By_Name_Test");
  EXPECT_EQ(SendMessageByName("DISPATCH_BY_NAME_TEST", 4, 5, false, false), 0);
  EXPECT_EQ(rec.calls[0], "command " + std::to_string(id));
  EXPECT_EQ(rec.sender, 0);
  EXPECT_EQ(rec.name, "Dispatch_By_Name_Test");
  EXPECT_EQ(rec.in, 4);
  EXPECT_EQ(rec.out, 5);

  rec.calls.clear();
  SendMessageByName("dispatch_by_name_unregistered", 0, 0, false, false);
  EXPECT_EQ(rec.calls[0],
            "command " + std::to_string(RegisterMessage("DISPATCH_BY_NAME_UNREGISTERED")));
}

TEST_F(DispatchTest, SendByNameHonoursProcessAllAndFreeInBlock) {
  rec.beforeResult = 1;
  const std::int32_t in = NewParamsBlock({"x"});
  BlockGuard out(CreateBlock());
  SendMessageByName("EV_START", in, out.Id(), true, true);
  EXPECT_EQ(rec.calls.size(), 4u);
  EXPECT_FALSE(BlockExists(in));
  EXPECT_TRUE(BlockExists(out.Id()));
}

TEST_F(DispatchTest, UnsetHandlersAnswerZero) {
  ScopedHandlers none{MessageHandlers{}};
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 0);
  EXPECT_EQ(SendMessageById(0, CM_GETVARIABLE, 0, false, true, 0), 0);
  EXPECT_EQ(SendToPlugin(nullptr, EV_LOAD, 0, false, 0), 0);
  EXPECT_TRUE(rec.calls.empty());
}

TEST_F(DispatchTest, SetMessageHandlersAnswersThePreviousOnes) {
  MessageHandlers mine;
  mine.Plugins = [](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) { return 31; };
  MessageHandlers previous = SetMessageHandlers(std::move(mine));
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 31);
  MessageHandlers back = SetMessageHandlers(std::move(previous));
  ASSERT_TRUE(back.Plugins);
  EXPECT_FALSE(back.Scripts);
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 0);
  EXPECT_EQ(rec.calls.size(), 4u) << "the recorder is back";
}

TEST_F(DispatchTest, HandlersReplacedDuringADispatchTakeEffectAfterIt) {
  MessageHandlers replacing;
  std::vector<std::string> calls;
  replacing.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle when, bool) {
    if (when == TcvEventWhenHandle::before_plugins) {
      calls.push_back("before");
      SetMessageHandlers(MessageHandlers{});
    } else {
      calls.push_back("after");
    }
    return 0;
  };
  replacing.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t,
                          std::int32_t, bool) {
    calls.push_back("plugins");
    return 0;
  };
  ScopedHandlers scoped(std::move(replacing));
  SendMessageById(0, EV_START, 0, false, false, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"before", "plugins", "after"}));
  SendMessageById(0, EV_START, 0, false, false, 0);
  EXPECT_EQ(calls.size(), 3u) << "the second dispatch has no handlers";
}

TEST_F(DispatchTest, EventVariablesHoldTheBlockIdsDuringTheDispatchOnly) {
  std::vector<std::string> seen;
  MessageHandlers own;
  auto look = [&] { seen.push_back(EventParams(*db) + "/" + EventResult(*db)); };
  own.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle, bool) {
    look();
    return 0;
  };
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) {
    look();
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  SendMessageById(0, EV_START, 21, false, false, 22);
  EXPECT_EQ(seen, (std::vector<std::string>{"21/22", "21/22", "21/22"}));
  EXPECT_EQ(EventParams(*db), "params before");
  EXPECT_EQ(EventResult(*db), "result before");
}

TEST_F(DispatchTest, NestedDispatchRestoresTheOuterValues) {
  std::vector<std::string> seen;
  MessageHandlers own;
  own.Plugins = [&](std::int32_t, std::int32_t id, const std::string&, std::int32_t, std::int32_t,
                    bool) {
    if (id == EV_START) {
      SendMessageById(0, EV_FINISH, 31, false, false, 32);
      seen.push_back(EventParams(*db) + "/" + EventResult(*db));
    } else {
      seen.push_back("inner " + EventParams(*db) + "/" + EventResult(*db));
    }
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  SendMessageById(0, EV_START, 21, false, false, 22);
  EXPECT_EQ(seen, (std::vector<std::string>{"inner 31/32", "21/22"}));
  EXPECT_EQ(EventParams(*db), "params before");
}

TEST_F(DispatchTest, BlocksCreatedByHandlersAreGoneAfterwardsEarlierOnesSurvive) {
  BlockGuard unrelated(NewParamsBlock({"unrelated"}));
  BlockGuard out(CreateBlock());
  BlockGuard in(NewParamsBlock({"argument"}));
  std::vector<std::int32_t> created;
  MessageHandlers own;
  own.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle, bool) {
    created.push_back(CreateBlock());
    return 0;
  };
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t o,
                    bool) {
    created.push_back(NewParamsBlock({"temporary"}));
    AddStr(o, "answer");
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  SendMessageById(0, EV_START, in.Id(), false, false, out.Id());
  ASSERT_EQ(created.size(), 3u);
  for (std::int32_t id : created) EXPECT_FALSE(BlockExists(id)) << id;
  EXPECT_TRUE(BlockExists(unrelated.Id()));
  EXPECT_TRUE(BlockExists(in.Id()));
  EXPECT_EQ(GetStr(in.Id(), 0), "argument");
  EXPECT_EQ(GetStr(out.Id(), 0), "answer") << "answers go into the sender's out-block";
}

TEST_F(DispatchTest, OutBlockSurvivesWhenAHandlerDestroysTheInBlock) {
  BlockGuard out(CreateBlock());
  const std::int32_t in = NewParamsBlock({"argument"});
  std::int32_t temporary = 0;
  MessageHandlers own;
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t i, std::int32_t,
                    bool) {
    DestroyBlock(i);
    temporary = CreateBlock();
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  SendMessageById(0, EV_START, in, false, false, out.Id());
  EXPECT_TRUE(BlockExists(out.Id()));
  EXPECT_FALSE(BlockExists(temporary));
}

TEST_F(DispatchTest, FreeInBlockDestroysOnlyTheInBlock) {
  const std::int32_t in = NewParamsBlock({"x"});
  BlockGuard out(CreateBlock());
  SendMessageById(0, EV_START, in, true, false, out.Id());
  EXPECT_FALSE(BlockExists(in));
  EXPECT_TRUE(BlockExists(out.Id()));

  BlockGuard kept(NewParamsBlock({"y"}));
  SendMessageById(0, EV_START, kept.Id(), false, false, out.Id());
  EXPECT_TRUE(BlockExists(kept.Id()));
}

TEST_F(DispatchTest, FreeInBlockAlsoWhenTheCommandHandlerAnswers) {
  rec.commandHandles = true;
  const std::int32_t in = NewParamsBlock({"name"});
  SendMessageById(0, CM_GETVARIABLE, in, true, false, 0);
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(DispatchTest, ExceptionFromAHandlerPassesOutAfterTheStateIsRestored) {
  BlockGuard out(CreateBlock());
  BlockGuard in(CreateBlock());
  std::int32_t created = 0;
  MessageHandlers own;
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) -> std::int32_t {
    created = CreateBlock();
    throw std::runtime_error("plug-in failed");
  };
  bool afterRan = false;
  own.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle when, bool) {
    if (when == TcvEventWhenHandle::after_plugins) afterRan = true;
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  EXPECT_THROW(SendMessageById(0, EV_START, in.Id(), false, true, out.Id()), std::runtime_error);
  EXPECT_FALSE(afterRan);
  EXPECT_EQ(EventParams(*db), "params before");
  EXPECT_EQ(EventResult(*db), "result before");
  EXPECT_FALSE(BlockExists(created));
  EXPECT_TRUE(BlockExists(out.Id()));
  EXPECT_TRUE(BlockExists(in.Id())) << "not asked to free it";
}

TEST_F(DispatchTest, FreeInBlockAlsoWhenAHandlerThrows) {
  const std::int32_t in = NewParamsBlock({"x"});
  MessageHandlers own;
  own.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle, bool) -> std::int32_t {
    throw std::logic_error("script failed");
  };
  ScopedHandlers scoped(std::move(own));
  EXPECT_THROW(SendMessageById(0, EV_START, in, true, false, 0), std::logic_error);
  EXPECT_FALSE(BlockExists(in));
  EXPECT_EQ(EventParams(*db), "params before");
}

TEST_F(DispatchTest, FreeInBlockAlsoWhenTheCommandHandlerThrows) {
  const std::int32_t in = NewParamsBlock({"x"});
  MessageHandlers own;
  own.Command = [](std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t&) -> bool {
    throw std::runtime_error("command failed");
  };
  ScopedHandlers scoped(std::move(own));
  EXPECT_THROW(SendMessageById(0, CM_SETVARIABLE, in, true, false, 0), std::runtime_error);
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(DispatchTest, DispatchWithoutMainDatabase) {
  ScopedMainDatabase none(nullptr);
  rec.afterResult = 3;
  std::int32_t created = 0;
  MessageHandlers own = rec.Handlers();
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) {
    created = CreateBlock();
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 3);
  EXPECT_FALSE(BlockExists(created));
  EXPECT_EQ(EventParams(*db), "params before") << "not the main database";
}

TEST_F(DispatchTest, MessageWithoutANameStillReachesTheHandlers) {
  EXPECT_EQ(MessageName(999), "");
  SendMessageById(0, 999, 0, false, false, 0);
  EXPECT_EQ(rec.calls, (Calls{"command 999", "before ", "plugins  999", "after "}));
}

TEST_F(DispatchTest, SendToPluginCallsOnlyThatPlugin) {
  int plugin = 0;
  BlockGuard out(CreateBlock());
  BlockGuard in(NewParamsBlock({"ENU"}));
  std::string seen;
  std::int32_t created = 0;
  MessageHandlers own = rec.Handlers();
  auto recorded = own.Plugin;
  own.Plugin = [&](void* p, std::int32_t id, const std::string& n, std::int32_t i, std::int32_t o) {
    seen = EventParams(*db) + "/" + EventResult(*db);
    created = CreateBlock();
    recorded(p, id, n, i, o);
    return 6;
  };
  ScopedHandlers scoped(std::move(own));
  EXPECT_EQ(SendToPlugin(&plugin, EV_LANGUAGECHANGED, in.Id(), false, out.Id()), 6);
  EXPECT_EQ(rec.calls, (Calls{"plugin EV_LANGUAGECHANGED 6"}));
  EXPECT_EQ(rec.plugin, &plugin);
  EXPECT_EQ(rec.in, in.Id());
  EXPECT_EQ(rec.out, out.Id());
  EXPECT_EQ(seen, std::to_string(in.Id()) + "/" + std::to_string(out.Id()));
  EXPECT_EQ(EventParams(*db), "params before");
  EXPECT_FALSE(BlockExists(created));
  EXPECT_TRUE(BlockExists(in.Id()));
}

TEST_F(DispatchTest, SendToPluginForAnIdWithoutNameCallsNothing) {
  int plugin = 0;
  const std::int32_t in = NewParamsBlock({"x"});
  EXPECT_EQ(SendToPlugin(&plugin, 12345, in, true, 0), 0);
  EXPECT_TRUE(rec.calls.empty());
  EXPECT_FALSE(BlockExists(in)) << "the in-block handed over is freed all the same";
  BlockGuard kept(NewParamsBlock({"y"}));
  EXPECT_EQ(SendToPlugin(&plugin, 0, kept.Id(), false, 0), 0);
  EXPECT_TRUE(BlockExists(kept.Id()));
  EXPECT_TRUE(rec.calls.empty());
}

TEST_F(DispatchTest, SendToPluginFreesTheInBlockAlsoWhenThePluginThrows) {
  const std::int32_t in = NewParamsBlock({"x"});
  MessageHandlers own;
  own.Plugin = [](void*, std::int32_t, const std::string&, std::int32_t,
                  std::int32_t) -> std::int32_t { throw std::runtime_error("unload failed"); };
  ScopedHandlers scoped(std::move(own));
  EXPECT_THROW(SendToPlugin(nullptr, EV_UNLOAD, in, true, 0), std::runtime_error);
  EXPECT_FALSE(BlockExists(in));
  EXPECT_EQ(EventParams(*db), "params before");
}

// --- The dispatching thread and sends from other threads ---

TEST(DispatchThread, IsTheProgramsFirstThreadAndCanBeChanged) {
  EXPECT_EQ(DispatchThread(), std::this_thread::get_id()) << "the test runs on the first thread";
  std::thread::id other;
  {
    ScopedDispatchThread restore(DispatchThread());
    std::thread([&] {
      InitMessaging();
      other = std::this_thread::get_id();
    }).join();
    EXPECT_EQ(DispatchThread(), other);
  }
  EXPECT_EQ(DispatchThread(), std::this_thread::get_id());
}

class CrossThreadTest : public DispatchTest {
 protected:
  Mailbox mailbox;
  ScopedDelivery delivery{mailbox.Routine()};
};

TEST_F(CrossThreadTest, HandlersRunOnTheDispatchingThreadAndTheAnswerReturns) {
  const std::thread::id mainThread = std::this_thread::get_id();
  std::vector<std::thread::id> handlerThreads;
  std::thread::id workerThread;
  MessageHandlers own;
  own.Scripts = [&](std::int32_t, const std::string&, TcvEventWhenHandle, bool) {
    handlerThreads.push_back(std::this_thread::get_id());
    return 0;
  };
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t i, std::int32_t o,
                    bool) {
    handlerThreads.push_back(std::this_thread::get_id());
    AddStr(o, GetStr(i, 0) + " handled");
    return 77;
  };
  ScopedHandlers scoped(std::move(own));
  std::int32_t answer = 0;
  std::int32_t in = 0;
  std::int32_t out = 0;
  std::string outText;
  RunOnWorker(mailbox, [&] {
    workerThread = std::this_thread::get_id();
    out = CreateBlock();
    in = NewParamsBlock({"item"});
    answer = SendMessageById(0, EV_BEFOREPROCESSITEM, in, true, false, out);
    outText = GetStr(out, 0);
    DestroyBlock(out);
  });
  EXPECT_EQ(answer, 77);
  EXPECT_EQ(mailbox.Served(), 1);
  ASSERT_EQ(handlerThreads.size(), 2u);
  for (const std::thread::id& thread : handlerThreads) EXPECT_EQ(thread, mainThread);
  EXPECT_NE(workerThread, mainThread);
  EXPECT_EQ(outText, "item handled");
  EXPECT_FALSE(BlockExists(in)) << "freed on the dispatching thread as asked";
  EXPECT_EQ(EventParams(*db), "params before");
}

TEST_F(CrossThreadTest, RequestCarriesEveryFieldOfTheSend) {
  std::vector<CrossThreadRequest> seen;
  ScopedDelivery recording([&](CrossThreadRequest* request, std::int32_t& result) {
    seen.push_back(*request);
    return mailbox.Deliver(request, result);
  });
  RunOnWorker(mailbox, [&] {
    SendMessageById(4, EV_INSTALLPROGRESS, 0, false, true, 0);
    SendMessageById(0, EV_START, 0, true, false, 0);
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].SenderId, 4);
  EXPECT_EQ(seen[0].MessageId, EV_INSTALLPROGRESS);
  EXPECT_EQ(seen[0].ProcessAll, 1);
  EXPECT_EQ(seen[0].FreeInBlock, 0);
  EXPECT_EQ(seen[1].ProcessAll, 0);
  EXPECT_EQ(seen[1].FreeInBlock, 1);
  EXPECT_EQ(rec.sender, 0);
}

TEST_F(CrossThreadTest, BlocksAndStateAreHandledAsOnTheDispatchingThread) {
  std::int32_t created = 0;
  std::string seen;
  MessageHandlers own;
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) {
    created = CreateBlock();
    seen = EventParams(*db) + "/" + EventResult(*db);
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  std::int32_t in = 0;
  std::int32_t out = 0;
  bool outAlive = false;
  bool inAlive = false;
  RunOnWorker(mailbox, [&] {
    out = CreateBlock();
    in = CreateBlock();
    SendMessageById(0, EV_START, in, false, false, out);
    outAlive = BlockExists(out);
    inAlive = BlockExists(in);
  });
  BlockGuard inGuard(in);
  BlockGuard outGuard(out);
  EXPECT_EQ(seen, std::to_string(in) + "/" + std::to_string(out));
  EXPECT_FALSE(BlockExists(created));
  EXPECT_TRUE(outAlive);
  EXPECT_TRUE(inAlive);
}

TEST_F(CrossThreadTest, ExceptionOfAHandlerIsRaisedInTheSendingThread) {
  MessageHandlers own;
  std::int32_t created = 0;
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) -> std::int32_t {
    created = CreateBlock();
    EventParams(*db) = "overwritten by the handler";
    throw std::runtime_error("plug-in failed");
  };
  ScopedHandlers scoped(std::move(own));
  std::string caught;
  std::int32_t in = 0;
  RunOnWorker(mailbox, [&] {
    in = NewParamsBlock({"x"});
    try {
      SendMessageById(0, EV_START, in, true, false, 0);
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
  });
  EXPECT_EQ(caught, "plug-in failed");
  EXPECT_FALSE(BlockExists(in));
  EXPECT_FALSE(BlockExists(created));
  EXPECT_EQ(EventParams(*db), "params before");
}

TEST_F(CrossThreadTest, SendToPluginTravelsToTheDispatchingThreadToo) {
  int plugin = 0;
  std::thread::id ranOn;
  void* seenPlugin = nullptr;
  MessageHandlers own;
  own.Plugin = [&](void* p, std::int32_t, const std::string& n, std::int32_t i, std::int32_t o) {
    ranOn = std::this_thread::get_id();
    seenPlugin = p;
    AddStr(o, n + ":" + GetStr(i, 1));
    return 1;
  };
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                    bool) {
    ADD_FAILURE() << "a send to one plug-in reached all of them";
    return 0;
  };
  ScopedHandlers scoped(std::move(own));
  std::int32_t answer = 0;
  std::string result;
  std::int32_t in = 0;
  RunOnWorker(mailbox, [&] {
    const std::int32_t out = CreateBlock();
    in = NewParamsBlock({1, "Upper", 1, 0, "abc"});
    answer = SendToPlugin(&plugin, EV_CALCFUNCTION, in, true, out);
    result = GetStr(out, 0);
    DestroyBlock(out);
  });
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(seenPlugin, &plugin);
  EXPECT_EQ(result, "EV_CALCFUNCTION:Upper");
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(CrossThreadTest, HandlerOnTheDispatchingThreadMaySendAgain) {
  std::vector<std::string> order;
  MessageHandlers own;
  own.Plugins = [&](std::int32_t, std::int32_t id, const std::string& n, std::int32_t, std::int32_t,
                    bool) {
    order.push_back(n);
    if (id == EV_START) return SendMessageById(0, EV_FINISH, 0, false, false, 0) + 1;
    return 10;
  };
  ScopedHandlers scoped(std::move(own));
  std::int32_t answer = 0;
  RunOnWorker(mailbox, [&] { answer = SendMessageById(0, EV_START, 0, false, false, 0); });
  EXPECT_EQ(answer, 11);
  EXPECT_EQ(order, (std::vector<std::string>{"EV_START", "EV_FINISH"}));
  EXPECT_EQ(mailbox.Served(), 1) << "the nested send ran directly";
}

// A routine that cannot hand the request over (no window) or breaks its
// contract by raising: the sender gets 0 or the exception, its in-block is
// freed as asked, no handler runs, and no pending entry is left behind for
// a later request at the same address to find.
TEST_F(CrossThreadTest, FailedDeliveriesLeaveNothingPending) {
  MessageHandlers own;
  own.Plugins = [&](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t, bool) {
    ADD_FAILURE() << "a handler ran for a request that never arrived";
    return 1;
  };
  ScopedHandlers scoped(std::move(own));
  std::size_t pendingDuringDelivery = 0;
  CrossThreadRequest* keptByTheThrowingRoutine = nullptr;
  for (const bool raise : {false, true}) {
    ScopedDelivery failing([&](CrossThreadRequest* request, std::int32_t& result) -> bool {
      pendingDuringDelivery = PendingCrossThreadSends();
      result = 55;
      if (raise) {
        keptByTheThrowingRoutine = request;
        throw std::runtime_error("no window");
      }
      return false;
    });
    std::int32_t answer = -1;
    std::int32_t in = 0;
    std::string caught;
    RunOnWorker(mailbox, [&] {
      in = NewParamsBlock({"x"});
      try {
        answer = SendMessageById(0, EV_START, in, true, false, 0);
      } catch (const std::runtime_error& error) {
        caught = error.what();
      }
    });
    EXPECT_EQ(pendingDuringDelivery, 1u) << raise;
    EXPECT_EQ(PendingCrossThreadSends(), 0u) << raise;
    if (raise) {
      EXPECT_EQ(caught, "no window");
      // Whether a raising routine handed the record over is unknown, so the
      // sender left it (and the in-block it carries) alone.
      ASSERT_NE(keptByTheThrowingRoutine, nullptr);
      EXPECT_EQ(keptByTheThrowingRoutine->InBlock, in);
      DestroyBlock(in);
      delete keptByTheThrowingRoutine;
    } else {
      EXPECT_EQ(answer, 0) << "the routine's answer counts only for a delivered request";
      EXPECT_FALSE(BlockExists(in));
    }
  }
  EXPECT_EQ(mailbox.Served(), 0);
}

TEST_F(DispatchTest, WithoutDeliveryAWorkerSendRunsNoHandler) {
  ScopedDelivery none{CrossThreadDelivery{}};
  std::int32_t answer = -1;
  std::int32_t freed = 0;
  std::int32_t kept = 0;
  std::int32_t pluginAnswer = -1;
  std::int32_t pluginFreed = 0;
  rec.pluginsResult = 5;
  rec.pluginResult = 5;
  std::thread([&] {
    freed = NewParamsBlock({"x"});
    kept = NewParamsBlock({"y"});
    pluginFreed = NewParamsBlock({"z"});
    answer = SendMessageById(0, EV_START, freed, true, false, 0);
    SendMessageById(0, EV_START, kept, false, false, 0);
    pluginAnswer = SendToPlugin(nullptr, EV_LOAD, pluginFreed, true, 0);
  }).join();
  BlockGuard keptGuard(kept);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(pluginAnswer, 0);
  EXPECT_TRUE(rec.calls.empty());
  EXPECT_FALSE(BlockExists(freed)) << "the in-block handed over is freed";
  EXPECT_FALSE(BlockExists(pluginFreed));
  EXPECT_TRUE(BlockExists(kept));
}

TEST_F(DispatchTest, DeliveryThatCannotHandOverAnswersZero) {
  int attempts = 0;
  ScopedDelivery refusing([&](CrossThreadRequest*, std::int32_t& result) {
    ++attempts;
    result = 99;
    return false;  // no window: the request stays the sender's (freed by it)
  });
  std::int32_t answer = -1;
  std::int32_t in = 0;
  std::thread([&] {
    in = NewParamsBlock({"x"});
    answer = SendMessageById(0, EV_START, in, true, false, 0);
  }).join();
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(rec.calls.empty());
  EXPECT_FALSE(BlockExists(in));
}

TEST_F(DispatchTest, SendsFromTheDispatchingThreadNeverUseTheDelivery) {
  int attempts = 0;
  ScopedDelivery counting([&](CrossThreadRequest*, std::int32_t&) {
    ++attempts;
    return false;
  });
  rec.afterResult = 2;
  EXPECT_EQ(SendMessageById(0, EV_START, 0, false, false, 0), 2);
  EXPECT_EQ(attempts, 0);
}

TEST_F(DispatchTest, ForeignRequestIsRunAndFreed) {
  rec.pluginsResult = 12;
  const std::int32_t in = NewParamsBlock({"x"});
  auto* request = new CrossThreadRequest{3, EV_START, in, 0, 0, 1};
  EXPECT_EQ(DispatchCrossThreadRequest(request), 12);
  EXPECT_EQ(rec.sender, 3);
  EXPECT_FALSE(BlockExists(in));
  EXPECT_EQ(DispatchCrossThreadRequest(nullptr), 0);
}

TEST_F(DispatchTest, ForeignRequestWhoseHandlerThrowsAnswersZero) {
  MessageHandlers own;
  own.Plugins = [](std::int32_t, std::int32_t, const std::string&, std::int32_t, std::int32_t,
                   bool) -> std::int32_t { throw std::runtime_error("nobody waits for this"); };
  ScopedHandlers scoped(std::move(own));
  const CrossThreadRequest request{0, EV_START, 0, 0, 0, 0};
  EXPECT_EQ(RunCrossThreadRequest(request), 0);
  EXPECT_EQ(EventParams(*db), "params before");
}

TEST_F(DispatchTest, RunCrossThreadRequestLeavesTheRecordToTheCaller) {
  rec.afterResult = 4;
  auto request = std::make_unique<CrossThreadRequest>(CrossThreadRequest{0, EV_FINISH, 0, 0, 1, 0});
  EXPECT_EQ(RunCrossThreadRequest(*request), 4);
  EXPECT_TRUE(rec.processAll);
  EXPECT_EQ(request->MessageId, EV_FINISH) << "still ours to read and free";
}

}  // namespace
}  // namespace cv
