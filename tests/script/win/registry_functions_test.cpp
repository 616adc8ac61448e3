// The built-in functions on the registry, and the test for an installed .NET
// runtime, through the evaluator. Registry paths resolve into a sandbox key
// of the test's own.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "database/variable_access.h"
#include "platform/win/registry_path.h"
#include "platform/win/registry_value.h"
#include "registry_sandbox.h"
#include "script_win_test.h"
#include "temp_folder.h"

namespace cv {
namespace {

using test::Literal;

class RegistryFunctions : public test::ScriptWinTest {
 protected:
  test::RegistrySandbox sandbox_{"ScriptRegistry"};
};

constexpr const char* kKey = "HKLM\\Software\\Corvane Script Test";

std::string Call(const std::string& function, const std::string& a, const std::string& b) {
  return function + "(" + Literal(a) + ", " + Literal(b) + ")";
}

TEST_F(RegistryFunctions, KeysAndValuesExist) {
  ASSERT_TRUE(RegWriteString(std::string(kKey) + "\\Sub", "Name", "value"));
  ASSERT_TRUE(RegWriteString(kKey, "", "default value"));
  EXPECT_EQ(Eval("RegKeyExists(" + Literal(kKey) + ")"), "1");
  EXPECT_EQ(Eval("RegKeyExists('HKEY_LOCAL_MACHINE\\Software\\Corvane Script Test\\Sub\\')"), "1");
  EXPECT_EQ(Eval("RegKeyExists('HKLM\\Software\\Corvane Script Test\\Missing')"), "0");
  EXPECT_EQ(Eval("RegKeyExists('HKCU\\Software\\Corvane Script Test')"), "0")
      << "another root is another key";
  EXPECT_EQ(Eval(Call("RegParamExists", std::string(kKey) + "\\Sub", "Name")), "1");
  EXPECT_EQ(Eval(Call("RegParamExists", std::string(kKey) + "\\Sub", "Other")), "0");
  EXPECT_EQ(Eval(Call("RegParamExists", kKey, "")), "1") << "the key's default value";
  EXPECT_EQ(Eval(Call("RegParamExists", std::string(kKey) + "\\Missing", "Name")), "0");
}

TEST_F(RegistryFunctions, GetRegParamGivesTheTextOrTheDefault) {
  ASSERT_TRUE(RegWriteString(kKey, "Text", "Hello"));
  ASSERT_TRUE(RegWriteDword(kKey, "Number", 4000000000u));
  ASSERT_TRUE(RegWriteBinaryHex(kKey, "Bytes", "00FF10"));
  ASSERT_TRUE(RegWriteString(kKey, "Empty", ""));
  const std::string key = Literal(kKey);
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Text', 'default')"), "Hello");
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Number', 'default')"), "4000000000");
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Bytes', 'default')"), "00FF10");
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Empty', 'default')"), "");
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Missing', 'default')"), "default");
  EXPECT_EQ(Eval("GetRegParam('HKLM\\Software\\Nowhere', 'Text', 'fallback')"), "fallback");
  EXPECT_EQ(Eval("GetRegParam('HKLM\\Software\\Nowhere', 'Text', '')"), "");
}

TEST_F(RegistryFunctions, SetRegParamWritesEachTypeAndClampsTheIndex) {
  const std::string key = Literal(kKey);
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'Text', 'Hello', 0)"), "1");
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'Number', '42', 1)"), "1");
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'Bytes', 'A1 b2 0C', 2)"), "1");
  SetVar(db_.get(), "Lines", "first\r\nsecond\r\n");
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'Lines', '%Lines%', 3)"), "1");
  // Below 0 is a string, above 3 a multi-string, no number reads as 0.
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'Low', '-7', -5)"), "1");
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'High', 'one', 9)"), "1");
  EXPECT_EQ(Eval("SetRegParam(" + key + ", 'Word', '12', 'dword')"), "1");

  DWORD type = 0;
  std::string data;
  const auto resolved = ResolveRegistryPath(kKey);
  auto stored = [&](const char* name) {
    data.clear();
    type = 0;
    EXPECT_TRUE(ReadRegistryValue(resolved.root, resolved.subkey, name, type, data)) << name;
  };
  stored("Text");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, std::string("Hello\0", 6));
  stored("Number");
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, std::string("\x2A\0\0\0", 4));
  stored("Bytes");
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(data, "\xA1\xB2\x0C");
  stored("Lines");
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(data, std::string("first\0second\0\0", 14));
  stored("Low");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, std::string("-7\0", 3));
  stored("High");
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(data, std::string("one\0\0", 5));
  stored("Word");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  // What is written reads back in the same textual form.
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Number', '')"), "42");
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Bytes', '')"), "A1B20C");
  EXPECT_EQ(Eval("GetRegParam(" + key + ", 'Lines', '')"), "first\r\nsecond");
}

TEST_F(RegistryFunctions, SetRegParamMakesMissingKeysAndReportsFailure) {
  EXPECT_EQ(Eval("SetRegParam('HKLM\\Software\\Corvane Script Test\\a\\b', 'Deep', 'x', 0)"), "1");
  EXPECT_EQ(Eval("GetRegParam('HKLM\\Software\\Corvane Script Test\\a\\b', 'Deep', '')"), "x");
  // A key name longer than the registry allows cannot be made.
  const std::string tooLong = std::string(kKey) + "\\" + std::string(300, 'k');
  EXPECT_EQ(Eval("SetRegParam(" + Literal(tooLong) + ", 'Name', 'x', 0)"), "0");
  EXPECT_EQ(Eval("RegKeyExists(" + Literal(tooLong) + ")"), "0");
}

// The COM class that only an installed .NET runtime provides, pointed at a
// server of the test's choice while the object lives (COM reads classes
// from the machine's part of the registry only), and put back afterwards.
class RuntimeClassServer {
 public:
  explicit RuntimeClassServer(const std::string& server) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kServerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS) {
      return;
    }
    created_ = disposition == REG_CREATED_NEW_KEY;
    saved_ = Saved("");
    savedModel_ = Saved("ThreadingModel");
    ok_ = WriteRegistryString(HKEY_LOCAL_MACHINE, kServerKey, "", server) &&
          WriteRegistryString(HKEY_LOCAL_MACHINE, kServerKey, "ThreadingModel", "Both");
    RegCloseKey(key);
  }
  RuntimeClassServer(const RuntimeClassServer&) = delete;
  RuntimeClassServer& operator=(const RuntimeClassServer&) = delete;
  ~RuntimeClassServer() {
    if (created_) {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, kServerKey);
      return;
    }
    Restore("", saved_);
    Restore("ThreadingModel", savedModel_);
  }
  bool ok() const { return ok_; }

 private:
  static constexpr const char* kServerKey =
      "Software\\Classes\\CLSID\\{E5CB7A31-7512-11D2-89CE-0080C792E5D8}\\InprocServer32";

  struct Value {
    DWORD type = 0;
    std::string data;
  };

  static std::optional<Value> Saved(const char* name) {
    Value value;
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, kServerKey, name, value.type, value.data)) {
      return std::nullopt;
    }
    return value;
  }

  static void Restore(const char* name, const std::optional<Value>& value) {
    if (value) {
      WriteRegistryValue(HKEY_LOCAL_MACHINE, kServerKey, name, value->type, value->data);
    } else {
      DeleteRegistryValue(HKEY_LOCAL_MACHINE, kServerKey, name);
    }
  }

  bool ok_ = false;
  bool created_ = false;
  std::optional<Value> saved_, savedModel_;
};

constexpr const char* kPolicyKey = "HKLM\\SOFTWARE\\Microsoft\\.NETFramework\\policy\\v1.1";

TEST_F(RegistryFunctions, NoRuntimeMeansNoVersionEither) {
  test::TempFolder temp;
  RuntimeClassServer server(temp.Path() + "no_runtime_here.dll");
  ASSERT_TRUE(server.ok());
  ASSERT_TRUE(RegWriteString(kPolicyKey, "4322", "3706-4322"));
  EXPECT_EQ(Eval("NETFrameworkInstalled"), "0");
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1')"), "0");
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1.4322')"), "0") << "the policy alone is not enough";
  EXPECT_EQ(Eval("NETFrameworkInstalled('1')"), "0");
}

TEST_F(RegistryFunctions, RuntimeVersionsByThePolicyOfTheirBuild) {
  RuntimeClassServer server(test::TestProgramFolder() + "script_fake_runtime.dll");
  ASSERT_TRUE(server.ok());
  EXPECT_EQ(Eval("NETFrameworkInstalled"), "1");
  // Fewer than two parts: no version at all.
  EXPECT_EQ(Eval("NETFrameworkInstalled('1')"), "0");
  EXPECT_EQ(Eval("NETFrameworkInstalled('')"), "0");
  // Two parts: the runtime alone decides.
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1')"), "1");
  EXPECT_EQ(Eval("NETFrameworkInstalled('9.9')"), "1");
  // A build: its value in the policy key of major.minor must exist.
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1.4322')"), "0");
  ASSERT_TRUE(RegWriteString(kPolicyKey, "4322", "3706-4322"));
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1.4322')"), "1");
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1.4322.573')"), "1") << "a fourth part is not read";
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.1.5000')"), "0");
  EXPECT_EQ(Eval("NETFrameworkInstalled('1.0.4322')"), "0");
  EXPECT_EQ(Eval("NETFrameworkInstalled('2.0.4322')"), "0");
}

}  // namespace
}  // namespace cv
