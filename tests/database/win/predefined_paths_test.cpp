// The variables the engine provides itself: system and shell folders, folders
// of common products read from the machine's registry (here a sandbox of the
// test's own), today's date, and the process environment.

#include "database/win/predefined_paths.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "platform/case_map.h"
#include "platform/win/environment.h"
#include "platform/win/registry_path.h"
#include "platform/win/shell_folders.h"
#include "platform/win/system_folders.h"
#include "registry_sandbox.h"

namespace cv {
namespace {

// The variables after the database's own EventParams and EventResult.
const std::vector<std::string> kPathVariableNames = {
    "BootDrive", "Windows", "System",
    // The shell folder table.
    "Desktop", "Fonts", "NetHood", "Personal", "ProgramsMenu", "Recent", "SendTo", "StartMenu",
    "StartupMenu", "Templates", "CommonStartMenu", "CommonProgramsMenu", "CommonStartupMenu",
    "CommonDesktop", "AppData", "CommonAppData", "LocalAppData",
    // Folders of products, and the date.
    "ProgramFiles", "CommonFiles", "Office97", "Office2000", "BDE", "Delphi", "Date", "IIS-WWWRoot",
    "IIS-Scripts", "Images"};

constexpr int kOwnVariables = 2;  // EventParams, EventResult

std::string UniqueName(const std::string& prefix) {
  return prefix + std::to_string(GetCurrentProcessId());
}

// The value of a visible variable; a failure and "<missing>" when there is none.
std::string VisibleValue(const TcvMainDatabase& database, const std::string& name) {
  const TcvVariable* variable = database.Variables->FindParam(name);
  EXPECT_NE(variable, nullptr) << name;
  return variable ? variable->Value : "<missing>";
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string Saved(const TcvMainDatabase& database) {
  TXMLTag tag;
  tag.SetName(kProjectRootName);
  database.AssignTo(tag);
  return tag.AsXML();
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Every registry root of the code under test lies in a key of this test's own
// under HKCU; nothing reaches the real HKLM.
class PredefinedPathsTest : public ::testing::Test {
 protected:
  std::string Value(const std::string& name) const { return VisibleValue(*database_, name); }

  const test::RegistrySandbox sandbox_{"PredefinedPaths"};
  std::unique_ptr<TcvMainDatabase> database_ = TcvMainDatabase::New();
};

TEST_F(PredefinedPathsTest, SystemAndShellFoldersAreTheSystemsOwnWithoutTrailingBackslash) {
  AddPathVariables(*database_);
  struct Expected {
    std::string name;
    std::string folder;
  };
  std::vector<Expected> expected = {{"Windows", WindowsFolder()}, {"System", SystemFolder()}};
  for (int index = 0; index < kShellFolderCount; ++index) {
    expected.push_back({ShellFolder(index).Name, ShellFolderPath(index)});
  }
  for (const Expected& row : expected) {
    const std::string value = Value(row.name);
    EXPECT_EQ(value, WithoutTrailingBackslash(row.folder)) << row.name;
    ASSERT_GE(value.size(), 3u) << row.name;
    EXPECT_NE(value.back(), '\\') << row.name;
    EXPECT_EQ(value.substr(1, 2), ":\\") << row.name;
    EXPECT_TRUE(IsFolder(value)) << row.name << " " << value;
  }
  // A few that every Windows has, named apart from the table.
  EXPECT_EQ(Value("Fonts"), WithoutTrailingBackslash(GetSpecialFolder(CSIDL_FONTS)));
  EXPECT_EQ(Value("Personal"), WithoutTrailingBackslash(GetSpecialFolder(CSIDL_PERSONAL)));
  EXPECT_EQ(Value("AppData"), WithoutTrailingBackslash(GetSpecialFolder(CSIDL_APPDATA)));
  EXPECT_EQ(Value("Desktop"), WithoutTrailingBackslash(GetSpecialFolder(CSIDL_DESKTOPDIRECTORY)));
  EXPECT_NE(Value("Windows"), Value("System"));
}

TEST_F(PredefinedPathsTest, VariablesFollowTheirFixedOrderAndArePredefined) {
  AddPathVariables(*database_);
  const TcvVariables& variables = *database_->Variables;
  ASSERT_EQ(variables.Count(), kOwnVariables + static_cast<int>(kPathVariableNames.size()));
  EXPECT_FALSE(variables.Variable(0)->Predefined);
  EXPECT_FALSE(variables.Variable(1)->Predefined);
  for (std::size_t i = 0; i < kPathVariableNames.size(); ++i) {
    const TcvVariable* variable = variables.Variable(kOwnVariables + static_cast<int>(i));
    EXPECT_EQ(variable->Name, kPathVariableNames[i]) << i;
    EXPECT_TRUE(variable->Predefined) << variable->Name;
    EXPECT_EQ(variable->VarType, TcvVarType::vtNormal) << variable->Name;
  }
}

TEST_F(PredefinedPathsTest, AnEmptyRegistryGivesTheFallbacksUnexpanded) {
  AddPathVariables(*database_);
  EXPECT_EQ(Value("BootDrive"), "");
  EXPECT_EQ(Value("ProgramFiles"), "%BootDrive%\\Program Files");
  EXPECT_EQ(Value("CommonFiles"), "%ProgramFiles%\\Common Files");
  EXPECT_EQ(Value("Office97"), "%ProgramFiles%\\Microsoft Office\\Office");
  EXPECT_EQ(Value("Office2000"), "%ProgramFiles%\\Microsoft Office\\Office");
  EXPECT_EQ(Value("BDE"), "%CommonFiles%\\Borland Shared\\BDE");
  EXPECT_EQ(Value("Delphi"), "C:");
  EXPECT_EQ(Value("IIS-WWWRoot"), "%BootDrive%\\wwwroot");
  EXPECT_EQ(Value("IIS-Scripts"), "%IIS-WWWRoot%\\scripts");
  EXPECT_EQ(Value("Images"), "");
}

TEST_F(PredefinedPathsTest, RegistryValuesOfTheMachineAreUsed) {
  const std::string currentVersion = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  ASSERT_TRUE(RegWriteString(currentVersion + "\\Setup", "BootDir", "D:\\"));
  ASSERT_TRUE(RegWriteString(currentVersion, "ProgramFilesDir", " E:\\Apps\\ "));
  ASSERT_TRUE(RegWriteString(currentVersion, "CommonFilesDir", "E:\\Apps\\Shared"));
  ASSERT_TRUE(RegWriteString("HKLM\\SOFTWARE\\Microsoft\\Office\\8.0\\Common\\InstallRoot",
                             "OfficeBin", "F:\\Office97\\"));
  ASSERT_TRUE(RegWriteString("HKLM\\SOFTWARE\\Microsoft\\Office\\9.0\\Common\\InstallRoot", "Path",
                             "F:\\Office2000"));
  ASSERT_TRUE(
      RegWriteString("HKLM\\SOFTWARE\\Borland\\Database Engine", "DLLPATH", "C:\\BDE;D:\\Other"));
  const std::string virtualRoots =
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
  ASSERT_TRUE(RegWriteString(virtualRoots, "/", "C:\\Inetpub\\wwwroot,,201"));
  ASSERT_TRUE(RegWriteString(virtualRoots, "/Scripts", ",C:\\Inetpub\\scripts\\,,205"));
  ASSERT_TRUE(
      RegWriteString("HKLM\\SOFTWARE\\Brenlow\\Corvane\\2.0", "ProjectTemplatesPath", "C:\\T"));

  AddPathVariables(*database_);
  EXPECT_EQ(Value("BootDrive"), "D:");
  EXPECT_EQ(Value("ProgramFiles"), "E:\\Apps");
  EXPECT_EQ(Value("CommonFiles"), "E:\\Apps\\Shared");
  EXPECT_EQ(Value("Office97"), "F:\\Office97");
  EXPECT_EQ(Value("Office2000"), "F:\\Office2000");
  EXPECT_EQ(Value("BDE"), "C:\\BDE");
  EXPECT_EQ(Value("IIS-WWWRoot"), "C:\\Inetpub\\wwwroot");
  EXPECT_EQ(Value("IIS-Scripts"), "C:\\Inetpub\\scripts");
  EXPECT_EQ(Value("Images"), "C:\\T\\Images");
}

TEST_F(PredefinedPathsTest, ImagesFolderGetsOneBackslash) {
  ASSERT_TRUE(
      RegWriteString("HKLM\\SOFTWARE\\Brenlow\\Corvane\\2.0", "ProjectTemplatesPath", "C:\\T\\"));
  AddPathVariables(*database_);
  EXPECT_EQ(Value("Images"), "C:\\T\\Images");
}

TEST_F(PredefinedPathsTest, BootDriveIsOnlyTheDriveOfTheBootFolder) {
  ASSERT_TRUE(RegWriteString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir",
                             "C:\\Boot\\Files"));
  AddPathVariables(*database_);
  EXPECT_EQ(Value("BootDrive"), "C:");
}

TEST_F(PredefinedPathsTest, DatabaseEngineFolderIsTheFirstNonEmptyPartOfItsPath) {
  const std::string key = "HKLM\\SOFTWARE\\Borland\\Database Engine";
  ASSERT_TRUE(RegWriteString(key, "DLLPATH", ";;X:\\B;Y:\\C"));
  AddPathVariables(*database_);
  EXPECT_EQ(Value("BDE"), "X:\\B");

  // Nothing but separators falls back like a missing value.
  ASSERT_TRUE(RegWriteString(key, "DLLPATH", ";;"));
  auto again = TcvMainDatabase::New();
  AddPathVariables(*again);
  EXPECT_EQ(VisibleValue(*again, "BDE"), "%CommonFiles%\\Borland Shared\\BDE");
}

TEST_F(PredefinedPathsTest, DelphiIsTheRootOfTheLastVersionInSortedOrder) {
  const std::string key = "HKLM\\SOFTWARE\\Borland\\Delphi";
  ASSERT_TRUE(RegWriteString(key + "\\5.0", "RootDir", "C:\\Delphi5"));
  ASSERT_TRUE(RegWriteString(key + "\\7.0", "RootDir", "C:\\Delphi7\\"));
  ASSERT_TRUE(RegWriteString(key + "\\6.0", "RootDir", "C:\\Delphi6"));
  AddPathVariables(*database_);
  EXPECT_EQ(Value("Delphi"), "C:\\Delphi7");
}

TEST_F(PredefinedPathsTest, DelphiIsEmptyWhenTheLastVersionHasNoRoot) {
  const std::string key = "HKLM\\SOFTWARE\\Borland\\Delphi";
  ASSERT_TRUE(RegWriteString(key + "\\5.0", "RootDir", "C:\\Delphi5"));
  ASSERT_TRUE(RegWriteString(key + "\\6.0", "Other", "x"));
  AddPathVariables(*database_);
  EXPECT_EQ(Value("Delphi"), "");
}

TEST_F(PredefinedPathsTest, DelphiKeyWithoutVersionsGivesTheDriveRoot) {
  ASSERT_TRUE(RegWriteString("HKLM\\SOFTWARE\\Borland\\Delphi", "RootDir", "C:\\NotAVersion"));
  AddPathVariables(*database_);
  EXPECT_EQ(Value("Delphi"), "C:");
}

std::string DateText(const SYSTEMTIME& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u/%02u/%04u", static_cast<unsigned>(time.wMonth),
                static_cast<unsigned>(time.wDay), static_cast<unsigned>(time.wYear));
  return text;
}

TEST_F(PredefinedPathsTest, DateIsTodayAsMonthDayYear) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  AddPathVariables(*database_);
  SYSTEMTIME after;
  GetLocalTime(&after);
  const std::string date = Value("Date");
  // The day may change between the two readings around midnight.
  EXPECT_TRUE(date == DateText(before) || date == DateText(after))
      << date << " " << DateText(before) << " " << DateText(after);
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date[2], '/');
  EXPECT_EQ(date[5], '/');
}

// A process variable set for one test, with the previous state put back.
class ProcessVariable {
 public:
  ProcessVariable(std::string name, const std::string& value) : name_(std::move(name)) {
    had_ = GetEnvironmentVariableA(name_.c_str(), nullptr, 0) != 0;
    if (had_) old_ = ProcessEnvVar(name_);
    set_ = SetEnvironmentVariableA(name_.c_str(), value.c_str()) != FALSE;
  }
  ProcessVariable(const ProcessVariable&) = delete;
  ProcessVariable& operator=(const ProcessVariable&) = delete;
  ~ProcessVariable() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

  bool IsSet() const { return set_; }

 private:
  std::string name_;
  bool had_ = false;
  bool set_ = false;
  std::string old_;
};

TEST_F(PredefinedPathsTest, EnvironmentVariablesAreAddedWithTheirValues) {
  const std::string name = UniqueName("CorvaneTestEnv");
  const ProcessVariable variable(name, "value = with equals");
  ASSERT_TRUE(variable.IsSet());
  AddEnvironmentVariables(*database_);
  const TcvVariable* added = database_->Variables->FindParam(name);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->Value, "value = with equals");
  EXPECT_TRUE(added->Predefined);

  // Every other variable of the environment is there too.
  std::vector<std::string> entries;
  EnvironmentList(entries);
  int checked = 0;
  for (const std::string& entry : entries) {
    if (entry.empty() || entry.front() == '=') continue;
    const std::string entryName = entry.substr(0, entry.find('='));
    const TcvVariable* found = database_->Variables->FindParam(entryName);
    ASSERT_NE(found, nullptr) << entry;
    EXPECT_EQ(entryName + "=" + found->Value, entry);
    EXPECT_TRUE(found->Predefined) << entry;
    ++checked;
  }
  EXPECT_EQ(database_->Variables->Count(), kOwnVariables + checked);

  // A second call finds them all and adds nothing.
  AddEnvironmentVariables(*database_);
  EXPECT_EQ(database_->Variables->Count(), kOwnVariables + checked);
}

TEST_F(PredefinedPathsTest, AProjectVariableIsNeverReplacedByTheEnvironment) {
  ASSERT_FALSE(ProcessEnvVar("PATH").empty());
  SetVar(database_.get(), "path", "project's own");
  AddEnvironmentVariables(*database_);
  const TcvVariable* path = database_->Variables->FindParam("PATH");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->Name, "path");
  EXPECT_EQ(path->Value, "project's own");
  EXPECT_FALSE(path->Predefined);
  int named = 0;
  for (int i = 0; i < database_->Variables->Count(); ++i) {
    if (SameTextNoCase(database_->Variables->Variable(i)->Name, "PATH")) ++named;
  }
  EXPECT_EQ(named, 1);
}

TEST_F(PredefinedPathsTest, PerDriveFoldersOfTheEnvironmentAreNotVariables) {
  // Windows keeps the current folder of each drive as "=X:=X:\folder".
  const ProcessVariable driveFolder("=Q:", "Q:\\CorvaneDriveFolder");
  std::vector<std::string> entries;
  EnvironmentList(entries);
  bool present = false;
  for (const std::string& entry : entries) present |= entry.rfind("=Q:=", 0) == 0;
  ASSERT_TRUE(present) << "the test could not put a per-drive folder into the environment";

  AddEnvironmentVariables(*database_);
  EXPECT_EQ(database_->Variables->FindParam("=Q:"), nullptr);
  EXPECT_EQ(database_->Variables->FindParam(""), nullptr);
  for (int i = 0; i < database_->Variables->Count(); ++i) {
    const TcvVariable* variable = database_->Variables->Variable(i);
    EXPECT_FALSE(variable->Name.empty());
    EXPECT_NE(variable->Name.front(), '=') << variable->Name;
    EXPECT_EQ(variable->Value.find("CorvaneDriveFolder"), std::string::npos) << variable->Name;
  }
}

TEST_F(PredefinedPathsTest, PredefinedVariablesAreNeverSaved) {
  const std::string name = UniqueName("CorvaneTestSaved");
  const ProcessVariable variable(name, "from the environment");
  ASSERT_TRUE(variable.IsSet());
  SetVar(database_.get(), "UserChoice", "yes");
  AddPathVariables(*database_);
  AddEnvironmentVariables(*database_);
  ASSERT_NE(database_->Variables->FindParam(name), nullptr);
  ASSERT_NE(database_->Variables->FindParam("Windows"), nullptr);

  const std::string saved = Saved(*database_);
  EXPECT_EQ(CountOf(saved, "<var "), 3) << saved;  // EventParams, EventResult, UserChoice
  EXPECT_NE(saved.find("name=\"UserChoice\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("name=\"EventParams\""), std::string::npos) << saved;
  EXPECT_EQ(saved.find(name), std::string::npos) << saved;
  for (const std::string& predefined : kPathVariableNames) {
    EXPECT_EQ(saved.find("name=\"" + predefined + "\""), std::string::npos) << predefined;
  }
}

}  // namespace
}  // namespace cv
