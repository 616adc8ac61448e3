// COM self-registration and executable checks against libraries built for
// the tests: a COM server whose entries write and remove a key of their own,
// and plain libraries without registration entries.

#include "platform/win/server_registration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

namespace cv {
namespace {

constexpr char kServerKey[] = "Software\\CorvaneTest\\ComServer";

std::string Fixture(const std::string& name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "versioned\\" + name;
}

bool ServerKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

TEST(IsPEFileTest, TellsImagesFromOtherFiles) {
  test::TempFolder folder;
  const std::string dll = Fixture("versioned_1_0_0_0.dll");
  bool isPE = false;
  ASSERT_TRUE(IsPEFile(dll, isPE));
  EXPECT_TRUE(isPE);

  // "MZ" alone, a header pointing past the end, and a text.
  std::string header = test::ReadFileBytes(dll).substr(0, 64);
  ASSERT_TRUE(test::WriteFileBytes(folder.Path() + "short.dll", header));
  ASSERT_TRUE(IsPEFile(folder.Path() + "short.dll", isPE));
  EXPECT_FALSE(isPE);
  ASSERT_TRUE(test::WriteFileBytes(folder.Path() + "text.dll", std::string(100, 'x')));
  ASSERT_TRUE(IsPEFile(folder.Path() + "text.dll", isPE));
  EXPECT_FALSE(isPE);

  EXPECT_FALSE(IsPEFile(folder.Path() + "missing.dll", isPE));
}

TEST(ServerRegistrationTest, LibraryEntriesRegisterAndUnregister) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kServerKey);
  const std::string server = Fixture("versioned_com_2_0_0_0.dll");
  bool has = false;
  ASSERT_TRUE(HasRegisterServer(server, has));
  EXPECT_TRUE(has);

  EXPECT_TRUE(RegisterServerFile(server));
  EXPECT_TRUE(ServerKeyExists());
  EXPECT_TRUE(UnregisterServerFile(server));
  EXPECT_FALSE(ServerKeyExists());
  // The entry fails when there is nothing to remove.
  EXPECT_FALSE(UnregisterServer(server));
}

TEST(ServerRegistrationTest, LibraryWithoutEntriesOrTypeLibraryFails) {
  const std::string plain = Fixture("versioned_1_0_0_0.dll");
  bool has = true;
  ASSERT_TRUE(HasRegisterServer(plain, has));
  EXPECT_FALSE(has);
  EXPECT_FALSE(RegisterServer(plain));
  EXPECT_FALSE(RegisterServerFile(plain));
  EXPECT_FALSE(HasRegisterServer(Fixture("missing.dll"), has));
  EXPECT_FALSE(RegisterServerFile(Fixture("missing.dll")));
}

}  // namespace
}  // namespace cv
