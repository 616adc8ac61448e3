// Registry items on the real registry (in the test's sandbox): what they
// write and record, and that rollback gives every earlier value back with
// its type and its bytes.

#include "install/win/registry_step.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/win/action_list.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"
#include "temp_folder.h"

namespace cv {
namespace {

using namespace std::string_literals;

struct StoredValue {
  bool exists = false;
  DWORD type = 0;
  std::string bytes;
  bool operator==(const StoredValue&) const = default;
};

std::ostream& operator<<(std::ostream& out, const StoredValue& value) {
  out << (value.exists ? "type " + std::to_string(value.type) + ", " +
                             std::to_string(value.bytes.size()) + " bytes"
                       : std::string("missing"));
  return out;
}

class RegistryStepTest : public ::testing::Test {
 protected:
  void TearDown() override { RollbackAll(list_); }

  // Read straight through Win32 from the sandbox, not through the facade.
  StoredValue Stored(const std::string& machineSubkey, const std::string& name) const {
    StoredValue value;
    HKEY key = nullptr;
    const std::string path = sandbox_.Subkey() + "\\HKLM\\" + machineSubkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return value;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
      value.bytes.assign(size, '\0');
      value.exists =
          RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                           reinterpret_cast<BYTE*>(value.bytes.data()), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return value;
  }

  ItemResult Install(const TcvReg& item) {
    return InstallRegistryItem(
        list_, item, [](const std::string& text) { return text; },
        [this](const std::string& caption, const std::string& text) {
          boxes_.push_back(caption + ": " + text);
        });
  }

  static std::unique_ptr<TcvReg> Item(const std::string& key, const std::string& name,
                                      TcvRegType type, const std::string& value,
                                      TcvFlags flags = {}) {
    auto item = TcvReg::New();
    item->Key = key;
    item->Param = name;
    item->ParamType = type;
    item->Value = value;
    item->Flags = flags;
    return item;
  }

  test::RegistrySandbox sandbox_{"RegistryStep"};
  TInstallActions list_;
  std::vector<std::string> boxes_;
};

// Every item type over every kind of earlier value (none, the five common
// types, and values whose textual form would lose something).
TEST_F(RegistryStepTest, EveryTypeRoundTripsThroughInstallAndRollback) {
  const std::string key = "HKLM\\Software\\Acme";
  const struct {
    const char* what;
    DWORD type;
    std::string bytes;
  } before[] = {
      {"string", REG_SZ, "old\0"s},
      {"expandable", REG_EXPAND_SZ, "%SystemRoot%\\old\0"s},
      {"lines", REG_MULTI_SZ, "a\0b\0\0"s},
      {"number", REG_DWORD, "\x01\x02\x03\x04"s},
      {"bytes", REG_BINARY, "\x00\xFF\x00"s},
      {"64-bit number", REG_QWORD, "\x01\0\0\0\0\0\0\x80"s},
      {"short number", REG_DWORD, "\x07\x00"s},
      {"string without terminator", REG_SZ, "abc"s},
      {"lines with one terminator", REG_MULTI_SZ, "a\0"s},
      {"no type", REG_NONE, ""s},
  };
  const struct {
    TcvRegType type;
    const char* value;
    DWORD storedType;
    std::string storedBytes;
  } items[] = {
      {TcvRegType::str, "new", REG_SZ, "new\0"s},
      {TcvRegType::int_, "-2", REG_DWORD, "\xFE\xFF\xFF\xFF"s},
      {TcvRegType::bin, "0A0B", REG_BINARY, "\x0A\x0B"s},
      {TcvRegType::mstr, "x\r\ny", REG_MULTI_SZ, "x\0y\0\0"s},
  };
  for (const auto& old : before) {
    for (const auto& item : items) {
      SCOPED_TRACE(std::string(old.what) + " overwritten by type " +
                   std::to_string(static_cast<int>(item.type)));
      ASSERT_TRUE(RegWriteBytes(key, "Value", old.type, old.bytes));
      const StoredValue original = Stored("Software\\Acme", "Value");
      ASSERT_TRUE(original.exists);
      ASSERT_EQ(Install(*Item(key, "Value", item.type, item.value)), ItemResult::Done);
      const StoredValue written = Stored("Software\\Acme", "Value");
      // A string over an expandable string stays expandable.
      const DWORD expectedType = item.type == TcvRegType::str && old.type == REG_EXPAND_SZ
                                     ? REG_EXPAND_SZ
                                     : item.storedType;
      EXPECT_EQ(written, (StoredValue{true, expectedType, item.storedBytes}));
      ASSERT_EQ(list_.Count(), 1);
      const auto* action = dynamic_cast<const TInstallReg*>(list_.Action(0));
      ASSERT_NE(action, nullptr);
      EXPECT_TRUE(action->Existed);
      EXPECT_EQ(action->OldType, static_cast<std::int32_t>(old.type));
      RollbackAll(list_);
      EXPECT_EQ(Stored("Software\\Acme", "Value"), original);
    }
  }
}

// The earlier value survives a restart: the saved list holds what is needed.
TEST_F(RegistryStepTest, ReloadedActionStillRestoresAValueWithoutTextualForm) {
  test::TempFolder folder;
  const std::string key = "HKLM\\Software\\Acme";
  ASSERT_TRUE(RegWriteBytes(key, "Big", REG_QWORD, "\x10\x20\x30\x40\x50\x60\x70\x80"s));
  const StoredValue original = Stored("Software\\Acme", "Big");
  ASSERT_EQ(Install(*Item(key, "Big", TcvRegType::str, "text")), ItemResult::Done);
  ASSERT_TRUE(list_.SaveToFile(folder.Path() + "actions", kInstallActionsRootName));
  TInstallActions reloaded;
  ASSERT_TRUE(reloaded.LoadFromFile(folder.Path() + "actions", kInstallActionsRootName));
  list_.ClearItems();
  RollbackAll(reloaded);
  EXPECT_EQ(Stored("Software\\Acme", "Big"), original);
}

TEST_F(RegistryStepTest, NewValueGetsItsKeyChainRecordedUnlessNotLogged) {
  ASSERT_TRUE(RegWriteString("HKLM\\Software", "Marker", "1"));
  ASSERT_EQ(Install(*Item("HKLM\\Software\\Acme\\App", "Path", TcvRegType::str, "C:\\Acme")),
            ItemResult::Done);
  ASSERT_EQ(list_.Count(), 3);
  EXPECT_EQ(dynamic_cast<TInstallRegKey*>(list_.Action(0))->Key, "HKLM\\Software\\Acme");
  EXPECT_EQ(dynamic_cast<TInstallRegKey*>(list_.Action(1))->Key, "HKLM\\Software\\Acme\\App");
  const auto* value = dynamic_cast<TInstallReg*>(list_.Action(2));
  ASSERT_NE(value, nullptr);
  EXPECT_FALSE(value->Existed);
  EXPECT_TRUE(value->Log);
  EXPECT_EQ(value->Key, "HKLM\\Software\\Acme\\App");
  EXPECT_EQ(value->Param, "Path");
  RollbackAll(list_);
  EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme"));

  ASSERT_EQ(Install(*Item("HKLM\\Software\\Acme\\App", "Path", TcvRegType::str, "C:\\Acme",
                          TcvFlags{TcvFlag::dont_log})),
            ItemResult::Done);
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_FALSE(list_.Action(0)->Log);
  EXPECT_EQ(RegReadString("HKLM\\Software\\Acme\\App", "Path", ""), "C:\\Acme");
  RollbackAll(list_);
  // Keys made without a record stay; the value goes.
  EXPECT_TRUE(RegKeyExists("HKLM\\Software\\Acme\\App"));
  EXPECT_FALSE(RegValueExists("HKLM\\Software\\Acme\\App", "Path"));
}

TEST_F(RegistryStepTest, RemoveDeletesAValueOrWithoutANameTheWholeTree) {
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "Keep", "1"));
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "Drop", "1"));
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme\\Deep\\Deeper", "x", "1"));
  auto value = Item("HKLM\\Software\\Acme", "Drop", TcvRegType::str, "");
  value->Action = TcvInstallAction::remove;
  EXPECT_EQ(Install(*value), ItemResult::Done);
  EXPECT_FALSE(RegValueExists("HKLM\\Software\\Acme", "Drop"));
  EXPECT_TRUE(RegValueExists("HKLM\\Software\\Acme", "Keep"));
  auto tree = Item("HKLM\\Software\\Acme", "", TcvRegType::str, "");
  tree->Action = TcvInstallAction::remove;
  EXPECT_EQ(Install(*tree), ItemResult::Done);
  EXPECT_FALSE(RegKeyExists("HKLM\\Software\\Acme"));
  EXPECT_TRUE(RegKeyExists("HKLM\\Software"));
  // Missing things are no error.
  EXPECT_EQ(Install(*tree), ItemResult::Done);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(RegistryStepTest, DontOverwriteLeavesAnExistingValueAlone) {
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Acme", "Mine", "user's"));
  const TcvFlags flags{TcvFlag::dont_overwrite};
  EXPECT_EQ(Install(*Item("HKLM\\Software\\Acme", "Mine", TcvRegType::str, "new", flags)),
            ItemResult::Skipped);
  EXPECT_EQ(RegReadString("HKLM\\Software\\Acme", "Mine", ""), "user's");
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(Install(*Item("HKLM\\Software\\Acme", "Absent", TcvRegType::int_, "x", flags)),
            ItemResult::Done);
  // Text that is no number gives 0.
  EXPECT_EQ(Stored("Software\\Acme", "Absent"), (StoredValue{true, REG_DWORD, "\0\0\0\0"s}));
}

TEST_F(RegistryStepTest, FailedWriteShowsTheErrorAndFails) {
  // No key name may be longer than 255 characters.
  const std::string key = "HKLM\\Software\\" + std::string(300, 'k');
  EXPECT_EQ(Install(*Item(key, "Value", TcvRegType::str, "x")), ItemResult::Failed);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Error: Error changing registry data."}));
}

}  // namespace
}  // namespace cv
