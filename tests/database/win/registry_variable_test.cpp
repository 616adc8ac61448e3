// Variables whose value lives in the registry, read through the real registry
// under the test's own key.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "database/main_database.h"
#include "database/variable_access.h"
#include "platform/win/registry_path.h"
#include "registry_sandbox.h"

namespace cv {
namespace {

class RegistryVariable : public ::testing::Test {
 protected:
  void SetUp() override {
    auto variable = TcvVariable::New();
    variable->Name = "Edition";
    variable->VarType = TcvVarType::vtReg;
    variable->RegKey = "HKLM\\Software\\Demo";
    variable->RegParam = "Edition";
    variable->DefValue = "Standard";
    edition_ = variable.get();
    db_->Variables->Add(std::move(variable));
  }

  const test::RegistrySandbox sandbox_{"Variable"};
  std::unique_ptr<TcvMainDatabase> db_ = TcvMainDatabase::New();
  TcvVariable* edition_ = nullptr;
};

TEST_F(RegistryVariable, ReadsTheCurrentValueOrTheDefault) {
  EXPECT_EQ(GetVar(db_.get(), "Edition", ""), "Standard") << "no key yet";
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Demo", "Edition", "Pro"));
  EXPECT_EQ(GetVar(db_.get(), "edition", ""), "Pro");
  ASSERT_TRUE(RegWriteString("HKLM\\Software\\Demo", "Edition", "Lite"));
  EXPECT_EQ(GetVar(db_.get(), "Edition", ""), "Lite") << "read afresh each time";
  ASSERT_TRUE(RegWriteDword("HKLM\\Software\\Demo", "Edition", 42));
  EXPECT_EQ(GetVarInt(db_.get(), "Edition", 0), 42) << "any value type in its textual form";
  ASSERT_TRUE(RegDeleteValuePath("HKLM\\Software\\Demo", "Edition"));
  EXPECT_EQ(GetVar(db_.get(), "Edition", ""), "Standard");
  EXPECT_EQ(edition_->Value, "") << "the stored value is not touched";
}

TEST_F(RegistryVariable, KeyAndValueNamesPassThroughTheExpander) {
  ASSERT_TRUE(RegWriteString("HKCU\\Software\\Other", "Kind", "expanded"));
  edition_->RegKey = "%Key%";
  edition_->RegParam = "%Name%";
  const auto expand = [](const std::string& text) {
    if (text == "%Key%") return std::string("Software\\Other");  // no root: HKCU
    if (text == "%Name%") return std::string("Kind");
    return text;
  };
  EXPECT_EQ(VariableValue(*edition_, expand), "expanded");
  EXPECT_EQ(VariableValue(*edition_), "Standard") << "unexpanded names find nothing";
}

}  // namespace
}  // namespace cv
