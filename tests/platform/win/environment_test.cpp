#include "platform/win/environment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "test_window.h"

namespace cv {
namespace {

// Variable names of this test run only, so that runs side by side and
// leftovers of an aborted run do not meet.
std::string VariableName(const std::string& suffix) {
  return test::RunUniqueName("CorvaneTest") + "_" + suffix;
}

// A process variable for one test.
class ProcessVariable {
 public:
  ProcessVariable(std::string name, const std::string& value) : name_(std::move(name)) {
    SetEnvironmentVariableA(name_.c_str(), value.c_str());
  }
  ProcessVariable(const ProcessVariable&) = delete;
  ProcessVariable& operator=(const ProcessVariable&) = delete;
  ~ProcessVariable() { SetEnvironmentVariableA(name_.c_str(), nullptr); }

 private:
  std::string name_;
};

// What the registry holds for a variable, read without the code under test.
struct StoredValue {
  bool exists = false;
  DWORD type = 0;
  std::string data;  // all bytes, terminating NUL included
};

HKEY Root(bool system) { return system ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

const char* Key(bool system) {
  return system ? "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"
                : "Environment";
}

StoredValue ReadStored(bool system, const std::string& name) {
  StoredValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(Root(system), Key(system), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return value;
  }
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.assign(size, '\0');
    value.exists =
        RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                         reinterpret_cast<BYTE*>(value.data.data()), &size) == ERROR_SUCCESS;
    value.data.resize(size);
  }
  RegCloseKey(key);
  return value;
}

bool Store(bool system, const std::string& name, DWORD type, const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(Root(system), Key(system), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok =
      RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

void Remove(bool system, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(Root(system), Key(system), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

std::string WithNul(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

TEST(ProcessEnvVar, ReadsTheVariableOfTheProcess) {
  const std::string name = VariableName("Process");
  const ProcessVariable variable(name, "C:\\Program Files\\Brindle");
  EXPECT_EQ(ProcessEnvVar(name), "C:\\Program Files\\Brindle");
}

TEST(ProcessEnvVar, ReadsLongValuesWhole) {
  const std::string name = VariableName("Long");
  std::string value;
  for (int i = 0; value.size() < 5000; ++i) value += "C:\\Folder" + std::to_string(i) + ";";
  const ProcessVariable variable(name, value);
  EXPECT_EQ(ProcessEnvVar(name), value);
}

TEST(ProcessEnvVar, IsEmptyForMissingAndEmptyVariables) {
  EXPECT_EQ(ProcessEnvVar(VariableName("Missing")), "");
  const std::string name = VariableName("Empty");
  const ProcessVariable variable(name, "");
  EXPECT_EQ(ProcessEnvVar(name), "");
}

TEST(EnvironmentList, IsTheProcessEnvironmentInItsOrder) {
  const std::string name = VariableName("Listed");
  const ProcessVariable variable(name, "listed value");
  std::vector<std::string> expected;
  char* block = GetEnvironmentStringsA();
  ASSERT_NE(block, nullptr);
  for (const char* entry = block; *entry; entry += std::strlen(entry) + 1)
    expected.push_back(entry);
  FreeEnvironmentStringsA(block);

  std::vector<std::string> list{"left over from before"};
  EnvironmentList(list);
  EXPECT_EQ(list, expected);
  EXPECT_NE(std::find(list.begin(), list.end(), name + "=listed value"), list.end());
  EXPECT_EQ(std::find(list.begin(), list.end(), "left over from before"), list.end());
}

TEST(ExpandEnvironmentText, ReplacesKnownReferences) {
  const std::string name = VariableName("Base");
  const ProcessVariable variable(name, "C:\\Brindle");
  EXPECT_EQ(ExpandEnvironmentText("%" + name + "%\\bin;%" + name + "%\\lib"),
            "C:\\Brindle\\bin;C:\\Brindle\\lib");
  const std::string unknown = "%" + VariableName("Unknown") + "%\\bin";
  EXPECT_EQ(ExpandEnvironmentText(unknown), unknown);
  EXPECT_EQ(ExpandEnvironmentText(""), "");
}

// The same behaviour for the user's variables (false) and the machine's (true).
class RegistryEnvironment : public ::testing::TestWithParam<bool> {
 protected:
  bool System() const { return GetParam(); }
  void TearDown() override {
    for (const std::string& name : names_) Remove(System(), name);
  }
  // A variable name that is removed from the registry after the test.
  std::string Name(const std::string& suffix) {
    names_.push_back(VariableName(suffix));
    return names_.back();
  }

 private:
  std::vector<std::string> names_;
};

TEST_P(RegistryEnvironment, SetWritesAPlainStringAndGetReadsIt) {
  const std::string name = Name("Plain");
  EXPECT_TRUE(SetEnvVar(name, "C:\\Brindle\\bin", System()));
  const StoredValue stored = ReadStored(System(), name);
  ASSERT_TRUE(stored.exists);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.data, WithNul("C:\\Brindle\\bin"));
  EXPECT_EQ(GetEnvVar(name, System(), false), "C:\\Brindle\\bin");
  EXPECT_EQ(GetEnvVar(name, System(), true), "C:\\Brindle\\bin");
}

TEST_P(RegistryEnvironment, OtherTypesAreReadInTheirTextualForm) {
  const std::string number = Name("Number");
  // Store adds a terminating zero: four bytes in all.
  ASSERT_TRUE(Store(System(), number, REG_DWORD, std::string("\x2A\x01\0", 3)));
  EXPECT_EQ(GetEnvVar(number, System(), false), "298");
  EXPECT_EQ(GetEnvVar(number, System(), true), "298");
  const std::string bytes = Name("Bytes");
  ASSERT_TRUE(Store(System(), bytes, REG_BINARY, "\x01\xAB"));
  EXPECT_EQ(GetEnvVar(bytes, System(), false), "01AB00");
}

TEST_P(RegistryEnvironment, SetReplacesAnExistingValue) {
  const std::string name = Name("Replaced");
  ASSERT_TRUE(Store(System(), name, REG_SZ, "old"));
  EXPECT_TRUE(SetEnvVar(name, "new", System()));
  EXPECT_EQ(ReadStored(System(), name).data, WithNul("new"));
  EXPECT_EQ(GetEnvVar(name, System(), false), "new");
}

TEST_P(RegistryEnvironment, ExpandableValueIsReadExpandedOnlyWhenAsked) {
  const std::string base = VariableName("Home");
  const ProcessVariable home(base, "C:\\Brindle");
  const std::string name = Name("Expandable");
  ASSERT_TRUE(Store(System(), name, REG_EXPAND_SZ, "%" + base + "%\\bin"));
  EXPECT_EQ(GetEnvVar(name, System(), true), "C:\\Brindle\\bin");
  EXPECT_EQ(GetEnvVar(name, System(), false), "%" + base + "%\\bin");
}

TEST_P(RegistryEnvironment, PlainValueIsNeverExpanded) {
  const std::string base = VariableName("Home");
  const ProcessVariable home(base, "C:\\Brindle");
  const std::string name = Name("PlainWithReference");
  EXPECT_TRUE(SetEnvVar(name, "%" + base + "%\\bin", System()));
  EXPECT_EQ(ReadStored(System(), name).type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(GetEnvVar(name, System(), true), "%" + base + "%\\bin");
}

TEST_P(RegistryEnvironment, SetKeepsTheExpandableType) {
  const std::string name = Name("KeepsType");
  ASSERT_TRUE(Store(System(), name, REG_EXPAND_SZ, "%SystemRoot%\\old"));
  EXPECT_TRUE(SetEnvVar(name, "%SystemRoot%\\new;C:\\Brindle", System()));
  const StoredValue stored = ReadStored(System(), name);
  ASSERT_TRUE(stored.exists);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_EXPAND_SZ));
  // Stored as given: expanding is left to whoever reads it.
  EXPECT_EQ(stored.data, WithNul("%SystemRoot%\\new;C:\\Brindle"));
}

TEST_P(RegistryEnvironment, EmptyValueDeletesTheVariable) {
  const std::string name = Name("Deleted");
  const std::string neighbour = Name("Neighbour");
  ASSERT_TRUE(Store(System(), name, REG_EXPAND_SZ, "%SystemRoot%"));
  ASSERT_TRUE(Store(System(), neighbour, REG_SZ, "stays"));
  EXPECT_TRUE(SetEnvVar(name, "", System()));
  EXPECT_FALSE(ReadStored(System(), name).exists);
  EXPECT_EQ(GetEnvVar(name, System(), true), "");
  EXPECT_EQ(ReadStored(System(), neighbour).data, WithNul("stays"));
  // Nothing left to delete.
  EXPECT_FALSE(SetEnvVar(name, "", System()));
}

TEST_P(RegistryEnvironment, MissingVariableIsEmpty) {
  EXPECT_EQ(GetEnvVar(VariableName("Missing"), System(), false), "");
  EXPECT_EQ(GetEnvVar(VariableName("Missing"), System(), true), "");
}

TEST_P(RegistryEnvironment, EmptyNameReadsNothingAndWritesNothing) {
  const StoredValue before = ReadStored(System(), "");
  EXPECT_EQ(GetEnvVar("", System(), false), "");
  EXPECT_FALSE(SetEnvVar("", "C:\\Brindle", System()));
  EXPECT_FALSE(SetEnvVar("", "", System()));
  const StoredValue after = ReadStored(System(), "");
  EXPECT_EQ(after.exists, before.exists);
  EXPECT_EQ(after.data, before.data);
}

TEST_P(RegistryEnvironment, UserAndMachineVariablesAreSeparate) {
  const std::string name = Name("OneScope");
  EXPECT_TRUE(SetEnvVar(name, "here", System()));
  EXPECT_EQ(GetEnvVar(name, !System(), false), "");
  EXPECT_FALSE(ReadStored(!System(), name).exists);
}

TEST_P(RegistryEnvironment, NamesCompareWithoutRegardToCase) {
  const std::string name = Name("MixedCase");
  ASSERT_TRUE(Store(System(), name, REG_SZ, "value"));
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(GetEnvVar(upper, System(), false), "value");
}

INSTANTIATE_TEST_SUITE_P(Scope, RegistryEnvironment, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& scope) {
                           return scope.param ? "Machine" : "User";
                         });

}  // namespace
}  // namespace cv
