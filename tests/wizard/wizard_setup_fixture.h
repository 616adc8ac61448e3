#pragma once
// The example project with the standard wizard, built into a setup file in a
// test's own folders, and the helpers that drive its runs as a user would.

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "setup_files.h"
#include "temp_folder.h"
#include "wizard_driver.h"

namespace cv::wizard_test {

namespace fs = std::filesystem;

constexpr DWORD kWait = 60000;
constexpr int kTitle = 1002, kSubtitle = 1003, kText = 1004, kLicense = 1005, kAccept = 1006,
              kDecline = 1007, kType = 1008, kFeatures = 1009, kSpace = 1011, kFolder = 1012,
              kBrowse = 1013, kPassword = 1014, kLanguage = 1015, kProgress = 1016,
              kStatus = 1017, kDetail = 1018, kBack = 1001;

using test::Quoted;

inline void Replace(std::string& text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  ASSERT_NE(at, std::string::npos) << what;
  text.replace(at, what.size(), with);
}

// Waits until `holds` answers true (the wizard works through posted input at
// its own pace); answers the last answer.
inline bool WaitUntil(const std::function<bool()>& holds) {
  for (DWORD waited = 0; waited < kWait; waited += 50) {
    if (holds()) return true;
    Sleep(50);
  }
  return holds();
}

inline bool Has(const std::string& log, const std::string& line) {
  return log.find(line + "\r\n") != std::string::npos;
}

// How a run ended, seen from the closing page on.
struct RunEnd {
  bool SawFinish = false;
  std::string FinishText;
  std::vector<std::string> Boxes;  // every box that came, answered with `answer`
};

// Goes on to the end of the run: answers each box with `answer` and presses
// Finish on the closing page.
inline RunEnd FinishRun(test::ChildProcess& setup, test::WizardDriver& wizard, int answer = IDOK) {
  RunEnd end;
  const DWORD started = GetTickCount();
  while (!setup.Wait(100) && GetTickCount() - started < 120000) {
    if (HWND shown = wizard.WaitForBox(50)) {
      end.Boxes.push_back(test::WizardDriver::BoxText(shown));
      PostMessageA(shown, WM_COMMAND, static_cast<WPARAM>(answer), 0);
      Sleep(300);
    }
    if (!end.SawFinish && IsWindow(wizard.Window()) && wizard.Title().find("Completing") == 0) {
      end.SawFinish = true;
      end.FinishText = wizard.Text(1004);
      PostMessageA(wizard.Control(IDOK), BM_CLICK, 0, 0);
      Sleep(300);
    }
  }
  return end;
}

class WizardSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string from = test::ExampleFile("wizard\\"), to = place_.Path();
    fs::copy(fs::path(from.substr(0, from.size() - 1)), fs::path(to.substr(0, to.size() - 1)),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const std::string bin = test::TestProgramFolder();
    for (const char* folder : {"plugins", "plugins\\wizard", "plugins\\helper"}) {
      ASSERT_TRUE(CreateDirectoryA((place_.Path() + folder).c_str(), nullptr));
    }
    ASSERT_TRUE(CopyFileA((bin + "cvwizard.dll").c_str(),
                          (place_.Path() + "plugins\\wizard\\cvwizard.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "cvtestplugin_b.dll").c_str(),
                          (place_.Path() + "plugins\\helper\\helper.dll").c_str(), FALSE));
    appId_ = "CorvaneWizardTest" + std::to_string(GetCurrentProcessId());
    std::string project = test::ReadFileBytes(place_.Path() + "wizard.cv2project");
    Replace(project, "value=\"CorvaneHelloWizard\"", "value=\"" + appId_ + "\"");
    // The helper logs the engine's state when the installation starts.
    Replace(project, "\t\t\t</plugins>",
            R"(				<plugin id="TestHelper" src="plugins\helper\*.dll">
					<config>
						<paramgroup name="Log"><param name="File" value=")" +
                logs_.Path() + R"(helper.log"/></paramgroup>
						<paramgroup name="On EV_BEFOREINSTALL">
							<param name="1" value="CM_GETVARIABLE|InstallPath"/>
							<param name="2" value="CM_GETFEATURESTATE|Main"/>
							<param name="3" value="CM_GETFEATURESTATE|Documentation"/>
							<param name="4" value="CM_CALCEXPRESSION|ActiveInstallType|#0"/>
						</paramgroup>
					</config>
				</plugin>
			</plugins>)");
    project_ = project;
  }

  // Writes the project, changed by `edit`, and builds the setup file.
  void Build(const std::function<void(std::string&)>& edit = nullptr,
             const std::string& options = "") {
    std::string project = project_;
    if (edit) edit(project);
    ASSERT_TRUE(test::WriteFileBytes(place_.Path() + "wizard.cv2project", project));
    ASSERT_EQ(test::BuildSetupFile(place_.Path() + "wizard.cv2project", Setup(), options), 0u);
  }

  // Only the pages a test is about: no welcome, licence, features, folder or
  // ready page; the product goes into the test's target folder.
  void FewPages(std::string& project) const {
    Replace(project, R"(<param name="Welcome" value="1"/>)", R"(<param name="Welcome" value="0"/>
							<param name="Features" value="0"/>
							<param name="Folder" value="0"/>)");
    Replace(project, R"(<param name="Ready" value="1"/>)", R"(<param name="Ready" value="0"/>)");
    Replace(project, R"(value="license.txt")", R"(value="")");
    Replace(project, R"(%ProgramFiles%\Corvane Hello)", TargetFolder());
  }

  // Requests the helper sends when `message` arrives.
  static void HelperRequests(std::string& project, const std::string& message,
                             const std::vector<std::string>& requests) {
    std::string group = "\t\t\t\t\t\t<paramgroup name=\"On " + message + "\">";
    for (std::size_t i = 0; i < requests.size(); ++i) {
      group += "<param name=\"" + std::to_string(i + 1) + "\" value=\"" + requests[i] + "\"/>";
    }
    const std::size_t end = project.rfind("\t\t\t\t\t</config>");
    ASSERT_NE(end, std::string::npos);
    project.insert(end, group + "</paramgroup>\n");
  }

  // What a run left for the next: its uninstall entry, its files, its log.
  void ForgetInstallation() {
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appId_;
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(target_.Path(), ignored)) {
      fs::remove_all(entry.path(), ignored);
    }
    DeleteFileA((logs_.Path() + "helper.log").c_str());
  }

  bool UninstallEntryExists() const {
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appId_;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      HKEY opened = nullptr;
      if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
        RegCloseKey(opened);
        return true;
      }
    }
    return false;
  }

  std::vector<std::string> TargetEntries() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(target_.Path(), ignored)) {
      names.push_back(entry.path().string());
    }
    return names;
  }

  void TearDown() override {
    ForgetInstallation();
    if (HasFailure()) std::cout << "--- helper.log\n" << HelperLog() << "\n";
  }

  // The target folder as a user types it, without a trailing backslash.
  std::string TargetFolder() const { return target_.Path().substr(0, target_.Path().size() - 1); }

  std::string Setup() const { return place_.Path() + "hello-setup.exe"; }
  std::map<std::string, std::string> Environment() const {
    return {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}};
  }
  std::string HelperLog() const { return test::ReadFileBytes(logs_.Path() + "helper.log"); }

  test::TempFolder place_;  // the example, the setup file and the licence beside it
  test::TempFolder temp_;   // the engine's temporary root
  test::TempFolder logs_;
  test::TempFolder target_;  // where the user installs
  std::string appId_;
  std::string project_;
};

}  // namespace cv::wizard_test
