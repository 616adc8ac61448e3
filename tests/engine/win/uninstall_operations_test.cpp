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
#include "platform/win/server_registration.h"
#include "child_process.h"
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

// A COM server is unregistered before its file goes; one that another
// product still counts stays registered and installed.
TEST(UninstallOperations, ServersAreUnregisteredUnlessShared) {
  test::RegistrySandbox sandbox("UninstallServers");
  TempFolder folder;
  const std::string server = folder.Path() + "server.dll";
  ASSERT_TRUE(CopyFileA((test::TestProgramFolder() + "versioned\\versioned_com_2_0_0_0.dll").c_str(),
                        server.c_str(), FALSE));
  const std::string registered = "HKCU\\Software\\CorvaneTest\\ComServer";
  const std::string shared = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";
  for (const DWORD count : {2u, 1u}) {
    ASSERT_TRUE(RegisterServerFile(server));
    // The library writes to the real hive, past the sandbox.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\CorvaneTest\\ComServer", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_TRUE(RegWriteDword(shared, server, count));
    ASSERT_TRUE(WriteFileBytes(folder.Path() + "install.log",
                               "[SharedFiles]\r\n" + server + "=\r\n[RegServers]\r\n" + server +
                                   "=\r\n[CopyFiles]\r\n" + server + "=\r\n"));
    EngineOperations operations({"setup.exe"});
    SetVar(&operations.Database(), "AppID", "Servers");
    SetVar(&operations.Database(), "LogFile", folder.Path() + "install.log");
    ASSERT_TRUE(operations.RunUninstallation());
    FlushIniCache();
    const bool stillRegistered =
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\CorvaneTest\\ComServer", 0, KEY_READ, &key) ==
        ERROR_SUCCESS;
    if (stillRegistered) RegCloseKey(key);
    EXPECT_EQ(stillRegistered, count > 1) << count;
    EXPECT_EQ(PathExists(server), count > 1) << count;
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTest\\ComServer");
}

}  // namespace
}  // namespace cv
