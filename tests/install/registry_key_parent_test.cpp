#include "install/registry_key_parent.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(RegistryParentKey, LastBackslashOutsideQuotes) {
  EXPECT_EQ(RegistryParentKey("HKLM\\Software\\Acme"), "HKLM\\Software");
  EXPECT_EQ(RegistryParentKey("HKLM\\Software\\'a\\b'"), "HKLM\\Software");
  EXPECT_EQ(RegistryParentKey("HKLM\\Software\\\"x\\y\\z\""), "HKLM\\Software");
  EXPECT_EQ(RegistryParentKey("HKLM"), "HKLM");
  EXPECT_EQ(RegistryParentKey("'HKLM\\x'"), "'HKLM\\x'");
}

}  // namespace
}  // namespace cv
