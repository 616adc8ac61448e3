// The wizard DLL loaded on its own, with a small engine of the test's making
// behind the service table: its exports, and the file-version question
// answered through its real buttons.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "corvane/plugin_api.h"

namespace cv {
namespace {

// Parameter blocks and the few requests the question needs.
std::map<int32_t, std::vector<std::string>> g_blocks;
int32_t g_nextBlock = 1;
std::map<std::string, std::string> g_variables;

int32_t CV_PLUGIN_CALL Create() {
  g_blocks[g_nextBlock] = {};
  return g_nextBlock++;
}
void CV_PLUGIN_CALL Destroy(int32_t block) { g_blocks.erase(block); }
int32_t CV_PLUGIN_CALL Count(int32_t block) { return static_cast<int32_t>(g_blocks[block].size()); }
const char* CV_PLUGIN_CALL Str(int32_t block, int32_t index) {
  auto& items = g_blocks[block];
  return index < static_cast<int32_t>(items.size()) ? items[index].c_str() : "";
}
int32_t CV_PLUGIN_CALL Int(int32_t block, int32_t index) { return std::atoi(Str(block, index)); }
void CV_PLUGIN_CALL AddStr(int32_t block, const char* text) { g_blocks[block].push_back(text); }
void CV_PLUGIN_CALL AddInt(int32_t block, int32_t value) {
  g_blocks[block].push_back(std::to_string(value));
}

int32_t CV_PLUGIN_CALL SendByName(int32_t, const char* name, int32_t in, int32_t out, int32_t,
                                  int32_t freeIn) {
  const std::string request = name;
  const std::string first = Str(in, 0);
  if (request == "CM_GETVARIABLE") AddStr(out, g_variables[first].c_str());
  if (request == "CM_PARSETEXT") AddStr(out, first.c_str());  // no strings: the built-in English
  if (request == "CM_GETPCPARAM") AddStr(out, Str(in, 2));
  if (freeIn) Destroy(in);
  return 0;
}

class WizardPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA((test::TestProgramFolder() + "cvwizard.dll").c_str());
    ASSERT_NE(module_, nullptr);
    auto getInfo = reinterpret_cast<CvGetPluginInfoExport>(
        reinterpret_cast<void*>(GetProcAddress(module_, CV_PLUGIN_GET_INFO_EXPORT)));
    auto setStartup = reinterpret_cast<CvSetStartupInfoExport>(
        reinterpret_cast<void*>(GetProcAddress(module_, CV_PLUGIN_SET_STARTUP_EXPORT)));
    ASSERT_NE(getInfo, nullptr);
    ASSERT_NE(setStartup, nullptr);
    info_ = {};
    info_.EngineVersion = CV_PLUGIN_ENGINE_VERSION;
    getInfo(&info_);
    CvStartupInfo startup = {};
    startup.EngineVersion = CV_PLUGIN_ENGINE_VERSION;
    startup.MaxVersion = CV_PLUGIN_MAX_VERSION;
    startup.PluginId = 1;
    startup.SendMessageByName = SendByName;
    startup.CreateParamsBlock = Create;
    startup.DestroyParamsBlock = Destroy;
    startup.GetParamCount = Count;
    startup.GetParamStr = Str;
    startup.GetParamInt = Int;
    startup.AddParamStr = AddStr;
    startup.AddParamInt = AddInt;
    setStartup(&startup);
    g_variables.clear();
  }
  void TearDown() override {
    if (module_) {
      info_.MessageEntry(EV_UNLOAD, "EV_UNLOAD", 0, 0);
      FreeLibrary(module_);
    }
  }

  // Sends the question for `path`; `answer` presses a button of the question
  // from another thread (0: none is expected).
  int32_t AskConflict(const std::string& path, int button, std::string* shownText) {
    std::atomic<bool> done{false};
    std::thread user([&] {
      if (!button) return;
      HWND question = nullptr;
      for (int wait = 0; wait < 1000 && !question && !done; ++wait) {
        question = FindWindowA("CorvaneWizardConflict", nullptr);
        Sleep(20);
      }
      if (!question) return;
      char text[1024] = {};
      GetWindowTextA(GetDlgItem(question, 0), text, sizeof text);
      *shownText = text;
      // Button ids are the answers plus 100; Enter and Escape keep.
      if (button == VK_ESCAPE) {
        PostMessageA(GetDlgItem(question, 101), WM_KEYDOWN, VK_ESCAPE, 1);
      } else {
        PostMessageA(GetDlgItem(question, 100 + button), BM_CLICK, 0, 0);
      }
    });
    const int32_t in = Create();
    AddStr(in, path.c_str());
    const int32_t answer =
        info_.MessageEntry(EV_FILEVERSIONCONFLICT, "EV_FILEVERSIONCONFLICT", in, 0);
    done = true;
    user.join();
    Destroy(in);
    return answer;
  }

  HMODULE module_ = nullptr;
  CvPluginInfo info_ = {};
};

TEST_F(WizardPluginTest, ReportsItsIdAndTheEnginesInterfaceVersion) {
  EXPECT_STREQ(info_.ID, "StandardWizard");
  EXPECT_EQ(info_.PluginVersion, CV_PLUGIN_ENGINE_VERSION);
  EXPECT_NE(info_.MessageEntry, nullptr);
  EXPECT_EQ(info_.MessageEntry(4100, "CM_GETACTIVEWINDOW", 0, 0), 0)
      << "no window before the pages";
}

TEST_F(WizardPluginTest, TheFileQuestionAnswersWithTheButtonPressed) {
  for (int button : {1, 2, 3, 4}) {
    std::string text;
    EXPECT_EQ(AskConflict("C:\\Program Files\\Hello\\hello.dll", button, &text), button);
    EXPECT_NE(text.find("C:\\Program Files\\Hello\\hello.dll"), std::string::npos) << text;
  }
  std::string text;
  EXPECT_EQ(AskConflict("C:\\x.dll", VK_ESCAPE, &text), 1) << "Escape keeps the file";
}

TEST_F(WizardPluginTest, SilentModeAsksNothing) {
  g_variables["SilentMode"] = "1";
  std::string text;
  EXPECT_EQ(AskConflict("C:\\x.dll", 0, &text), 0);
  EXPECT_EQ(FindWindowA("CorvaneWizardConflict", nullptr), nullptr);
}

}  // namespace
}  // namespace cv
