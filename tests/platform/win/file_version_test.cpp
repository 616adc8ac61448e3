// Versions read from the test libraries' resources, and the tests that
// decide whether an installed file is newer than or the same as a new one.

#include "platform/win/file_version.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

namespace cv {
namespace {

std::string Fixture(const std::string& version) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "versioned\\versioned_" + version +
         ".dll";
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

FILETIME Shifted(FILETIME time, long long seconds) {
  ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
  value.QuadPart += static_cast<unsigned long long>(seconds * 10000000LL);
  return {value.LowPart, value.HighPart};
}

TEST(FileVersionTest, ReadsTheFixedVersion) {
  std::string text;
  ASSERT_TRUE(GetFileVersionText(Fixture("3_5_0_0"), text));
  EXPECT_EQ(text, "3.5.0.0");
  ASSERT_TRUE(GetFileVersionText("\"" + Fixture("2_0_0_1") + "\"", text));
  EXPECT_EQ(text, "2.0.0.1");
}

TEST(FileVersionTest, NewerAndSameByVersionThenByDate) {
  const std::string file = Fixture("2_0_0_1");
  const FILETIME date = LastWrite(file);
  const FILETIME later = Shifted(date, 3600);
  struct Case {
    const char* version;
    FILETIME date;
    bool newer;
    bool same;
  };
  const Case cases[] = {
      {"2.0.0.0", later, true, false},   // the version decides, not the date
      {"2.0.0.1", later, false, true},
      {"2.0.1.0", date, false, false},
      {"10.0", date, false, false},
      {"", Shifted(date, -60), true, false},  // without a version: the date
      {"", date, false, true},
      {"", later, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(ExistingFileIsNewer(c.version, file, c.date), c.newer);
    EXPECT_EQ(ExistingFileIsSame(c.version, file, c.date), c.same);
  }
  // A file without a version resource is compared by date.
  test::TempFolder folder;
  ASSERT_TRUE(test::WriteFileBytes(folder.Path() + "plain.txt", "text"));
  const FILETIME plain = LastWrite(folder.Path() + "plain.txt");
  EXPECT_TRUE(ExistingFileIsNewer("9.9.9.9", folder.Path() + "plain.txt", Shifted(plain, -60)));
  EXPECT_FALSE(ExistingFileIsNewer("1.0", folder.Path() + "missing.dll", Shifted(plain, -60)));
  EXPECT_FALSE(ExistingFileIsSame("", folder.Path() + "missing.dll", plain));
}

}  // namespace
}  // namespace cv
