// The engine's uninstallation and repair: the run works on its own thread
// while the plug-ins see its status on the main window's thread, with the
// texts the installation logged; a repair takes the stored settings.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "database/variable_access.h"
#include "engine/run_state.h"
#include "engine/win/engine_operations.h"
#include "engine/win/main_window.h"
#include "platform/ini_cache.h"
#include "platform/win/registry_path.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::PathExists;
using test::TempFolder;
using test::WriteFileBytes;

TEST(UninstallOperations, TheRunsStatusReachesThePluginsOnTheMainThread) {
  test::RegistrySandbox sandbox("UninstallOperations");
  TempFolder folder;
  cv::Run() = RunState{};
  EngineOperations operations({"setup.exe"});
  MainWindow window;
  ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr), nullptr, operations));
  static std::vector<std::string> statuses;
  static std::atomic<bool> otherThread{false};
  static DWORD mainThread = 0;
  statuses.clear();
  otherThread = false;
  mainThread = GetCurrentThreadId();
  MessageHandlers handlers;
  handlers.Plugins = [](std::int32_t, std::int32_t, const std::string& name, std::int32_t in,
                        std::int32_t, bool) {
    if (GetCurrentThreadId() != mainThread) otherThread = true;
    if (name == "EV_INSTALLPROGRESS") {
      statuses.push_back(GetStr(in, 0) + "|" + GetStr(in, 1) + "|" + std::to_string(GetInt(in, 2)));
    }
    return 0;
  };
  const MessageHandlers previous = SetMessageHandlers(handlers);

  const std::string file = folder.Path() + "app.exe";
  ASSERT_TRUE(WriteFileBytes(file, "app"));
  ASSERT_TRUE(WriteFileBytes(folder.Path() + "install.log",
                             "[Strings]\r\n10=Deleting file||now\r\n[CopyFiles]\r\n" + file + "=\r\n"));
  const std::string key = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ops";
  ASSERT_TRUE(RegWriteString(key, "DisplayName", "Ops"));
  TcvMainDatabase& database = operations.Database();
  SetVar(&database, "AppID", "Ops");
  SetVar(&database, "InstallPath", folder.Path() + ".");

  const bool ok = operations.RunUninstallation();
  window.Destroy();
  SetMessageHandlers(previous);
  ASSERT_TRUE(ok);
  EXPECT_FALSE(PathExists(file));
  EXPECT_FALSE(PathExists(folder.Path() + "install.log"));
  EXPECT_FALSE(RegKeyExists(key));
  EXPECT_FALSE(otherThread.load());
  // One entry of two steps: half way when the file goes.
  EXPECT_EQ(statuses, std::vector<std::string>{"Deleting file\rnow|" + file + "|50"});
  FlushIniCache();
}

TEST(UninstallOperations, ARepairImportsTheStoredSettings) {
  TempFolder folder;
  EngineOperations operations({"setup.exe"});
  TcvMainDatabase& database = operations.Database();
  const std::string file = folder.Path() + "install.sss";
  ASSERT_TRUE(WriteFileBytes(file,
                             "<silentsettings><variables><var name=\"Edition\" "
                             "value=\"Pro\"/></variables></silentsettings>"));
  ASSERT_TRUE(operations.LoadRepairSettings(file));
  EXPECT_EQ(GetVar(&database, "Edition", ""), "Pro");
  EXPECT_EQ(GetVar(&database, "SilentMode", ""), "2");
}

}  // namespace
}  // namespace cv
