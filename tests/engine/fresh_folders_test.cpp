// When the copy step may take a target for missing without looking: only in a
// folder it created, only for a name it has not written anywhere, and never
// for a path that could name the same file in another spelling.

#include "engine/fresh_folders.h"

#include <gtest/gtest.h>

namespace cv {
namespace {

TEST(FreshFoldersTest, VouchesOnlyForUnwrittenNamesInCreatedFolders) {
  FreshFolders fresh;
  fresh.AddCreated("C:\\App\\Bin\\");
  fresh.AddTarget("C:\\App\\Bin\\one.dll");
  fresh.AddTarget("D:\\Elsewhere\\Two.DLL");
  const struct {
    const char* path;
    bool missing;
  } cases[] = {
      {"C:\\App\\Bin\\new.dll", true},
      {"c:\\app\\bin\\NEW.DLL", true},        // folders compare without case
      {"C:\\App\\Bin\\one.dll", false},       // written by the step
      {"C:\\App\\Bin\\ONE.dll", false},
      {"C:\\App\\Bin\\one.dll.", false},      // trailing dots name the same file
      {"C:\\App\\Bin\\one.dll ", false},
      {"C:\\App\\Bin\\two.dll", false},       // its name was written elsewhere
      {"C:\\App\\new.dll", false},            // the parent was not created by the step
      {"C:\\App\\Bin\\Sub\\new.dll", false},  // nor was the child
      {"C:\\App\\Bin\\NEWFIL~1.DLL", false},  // a short name may be a written file
      {"C:\\App\\Bin\\new.dll:stream", false},
      {"C:\\App\\Bin\\.\\new.dll", false},
      {"C:\\App\\Bin\\..\\Bin\\new.dll", false},
      {"C:\\App\\Bin\\", false},
      {"new.dll", false},
  };
  for (const auto& c : cases) EXPECT_EQ(fresh.KnownMissing(c.path), c.missing) << c.path;
}

TEST(FreshFoldersTest, FoldersSpelledInMoreThanOneWayAreNotVouchedFor) {
  FreshFolders fresh;
  fresh.AddCreated("C:\\PROGRA~1\\App");
  fresh.AddCreated("C:\\App\\..\\Other");
  fresh.AddCreated("C:\\App\\.\\Third");
  EXPECT_FALSE(fresh.KnownMissing("C:\\PROGRA~1\\App\\new.dll"));
  EXPECT_FALSE(fresh.KnownMissing("C:\\App\\..\\Other\\new.dll"));
  EXPECT_FALSE(fresh.KnownMissing("C:\\App\\.\\Third\\new.dll"));
  fresh.AddCreated("C:\\App\\.config");  // a dot that begins a name is a name
  EXPECT_TRUE(fresh.KnownMissing("C:\\App\\.config\\new.dll"));
}

}  // namespace
}  // namespace cv
