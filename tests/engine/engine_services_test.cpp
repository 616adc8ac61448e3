#include "engine/engine_services.h"

#include <gtest/gtest.h>

#include "database/variable_access.h"
#include "script/package_password.h"

namespace cv {
namespace {

TEST(PackagePassword, WithoutACheckValueEveryPasswordOpensThePackage) {
  auto database = TcvMainDatabase::New();
  EXPECT_FALSE(HasPackagePassword(*database));
  EXPECT_TRUE(CheckPackagePassword(*database, ""));
  EXPECT_EQ(SetPackagePassword(*database, "anything"), 0);
  EXPECT_EQ(database->Password, "anything");
}

TEST(PackagePassword, OnlyThePasswordOfTheCheckValueIsKept) {
  auto database = TcvMainDatabase::New();
  SetVar(database.get(), "PswCheckHash", PasswordCheckValue("Secret"));
  EXPECT_TRUE(HasPackagePassword(*database));
  EXPECT_FALSE(CheckPackagePassword(*database, ""));
  EXPECT_FALSE(CheckPackagePassword(*database, "secret")) << "case counts";
  EXPECT_EQ(SetPackagePassword(*database, "secret"), 1);
  EXPECT_TRUE(database->Password.empty());
  EXPECT_EQ(SetPackagePassword(*database, "Secret"), 0);
  EXPECT_EQ(database->Password, "Secret");
  // A wrong password later leaves the accepted one.
  EXPECT_EQ(SetPackagePassword(*database, "wrong"), 1);
  EXPECT_EQ(database->Password, "Secret");
}

TEST(InstallTypeService, UnknownInstallTypesAreRefused) {
  auto database = TcvMainDatabase::New();
  database->LoadFromString(
      "<cv2project><installtypes><installtype id='Typical'/><installtype id='Full'/>"
      "</installtypes></cv2project>",
      "cv2project");
  EXPECT_EQ(SetInstallType(*database, "Full"), 0);
  EXPECT_EQ(database->ActiveInstallType, "Full");
  EXPECT_EQ(SetInstallType(*database, "Minimal"), -1);
  EXPECT_EQ(database->ActiveInstallType, "Full");
}

}  // namespace
}  // namespace cv
