// Which project item an archive member belongs to, where files matched
// through wildcards go, and how versions compare.

#include "engine/file_copy_rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/version_halves.h"

namespace cv {
namespace {

class ArchiveItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add("Core", "app.exe", {});
    Add("Core", "README", {});
    Add("Core", "bin\\*.dll", {});
    Add("Core", "ext.dat", {TcvFlag::external});
    Add("Core", "gone.txt", {}, TcvInstallAction::remove);
    Add("Docs", "app.exe", {});
  }

  TcvFile* Add(const std::string& component, const std::string& src, TcvFlags flags,
               TcvInstallAction action = TcvInstallAction::add) {
    TcvComponent* owner = nullptr;
    for (int i = 0; i < database_->Components->Count(); ++i) {
      if (database_->Components->Component(i)->ID() == component) {
        owner = database_->Components->Component(i);
      }
    }
    if (!owner) {
      auto created = TcvComponent::New();
      created->SetID(component);
      owner = created.get();
      database_->Components->Add(std::move(created));
    }
    auto item = TcvFile::New();
    item->Src = src;
    item->Flags = flags;
    item->Action = action;
    TcvFile* result = item.get();
    owner->Files->Add(std::move(item));
    return result;
  }

  const TcvFile* Item(const std::string& component, int index) {
    for (int i = 0; i < database_->Components->Count(); ++i) {
      if (database_->Components->Component(i)->ID() == component) {
        return database_->Components->Component(i)->Files->ItemAs<TcvFile>(index);
      }
    }
    return nullptr;
  }

  std::unique_ptr<TcvMainDatabase> database_ = TcvMainDatabase::New();
  ItemSearch search_;
};

TEST_F(ArchiveItemTest, MembersFindTheirItems) {
  struct Case {
    const char* member;
    const char* component;  // nullptr: no item
    int index;
  };
  const Case cases[] = {
      {"data\\Core\\app.exe", "Core", 0},
      {"DATA\\core\\APP.EXE", "Core", 0},
      {"data\\Core\\README.", "Core", 1},   // stored with a dot, item without
      {"data\\Core\\bin\\a.dll", "Core", 2},
      {"data\\Core\\bin\\sub\\b.dll", "Core", 2},
      {"data\\Core\\bin\\a.exe", nullptr, 0},
      {"data\\Core\\ext.dat", nullptr, 0},  // external items are not in the archive
      {"data\\Core\\gone.txt", nullptr, 0}, // remove items neither
      {"data\\Docs\\app.exe", "Docs", 0},
      {"data\\Nope\\app.exe", nullptr, 0},
      {"other\\Core\\app.exe", nullptr, 0},
      {"data\\Core", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    ItemSearch fresh;
    const FoundItem found = FindArchiveItem(*database_, c.member, fresh);
    if (!c.component) {
      EXPECT_EQ(found.Item, nullptr);
      continue;
    }
    EXPECT_EQ(found.Item, Item(c.component, c.index));
    EXPECT_EQ(found.Component->ID(), c.component);
  }
}

TEST_F(ArchiveItemTest, SearchGoesOnWhereTheLastOneMatched) {
  // A second item for the same file later in the list: after the search has
  // moved past the first one, the later one is found.
  TcvFile* later = Add("Core", "app.exe", {});
  EXPECT_EQ(FindArchiveItem(*database_, "data\\Core\\bin\\a.dll", search_).Item, Item("Core", 2));
  EXPECT_EQ(search_.Index, 2);
  EXPECT_EQ(FindArchiveItem(*database_, "data\\Core\\app.exe", search_).Item, later);
  // Another component starts its search at its first item.
  EXPECT_EQ(FindArchiveItem(*database_, "data\\Docs\\app.exe", search_).Item, Item("Docs", 0));
  EXPECT_EQ(FindArchiveItem(*database_, "data\\Core\\app.exe", search_).Item, Item("Core", 0));
}

TEST(WildcardDestinationTest, MapsBelowTheFolderAndRefusesEscapes) {
  EXPECT_EQ(PathBelowPatternFolder("bin\\sub\\b.dll", "bin\\*.dll"), "sub\\b.dll");
  EXPECT_EQ(PathBelowPatternFolder("C:\\Src\\x\\a.txt", "c:\\src\\*.txt"), "x\\a.txt");
  EXPECT_EQ(PathBelowPatternFolder("D:\\Other\\a.txt", "C:\\Src\\*.txt"), "");
  struct Case {
    const char* relative;
    const char* expected;  // nullptr: refused
  };
  const Case cases[] = {
      {"a.dll", "C:\\App\\a.dll"},
      {"sub\\b.dll", "C:\\App\\sub\\b.dll"},
      {".", "C:\\App\\."},
      {"sub\\.", "C:\\App\\sub\\."},
      {"..\\evil.dll", nullptr},
      {"sub\\..\\..\\evil.dll", nullptr},
      {". .\\evil.dll", nullptr},
      {"\\Windows\\evil.dll", nullptr},
      {"D:evil.dll", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.relative);
    const auto destination = WildcardDestination("C:\\App\\*.dll", c.relative);
    if (c.expected) {
      ASSERT_TRUE(destination.has_value());
      EXPECT_EQ(*destination, c.expected);
    } else {
      EXPECT_FALSE(destination.has_value());
    }
  }
}

TEST(VersionHalvesTest, ComparesHighHalfFirstAsSignedNumbers) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"1.2.3.4", "1.2.3", 1},  {"1.10", "1.9", 1},     {"2", "2.0.0.0", 0},
      {"1.2.3.4", "1.2.3.4", 0}, {"1.0.0.9", "1.0.1.0", -1}, {"x.1", "0.1", 0},
      // 32768.0 is negative as a signed high half.
      {"32768.0", "1.0", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(CompareVersionHalves(ParseVersionHalves(c.a), ParseVersionHalves(c.b)), c.expected);
  }
  EXPECT_EQ(ParseVersionHalves("3.5.7.9").MS, 3 * 65536 + 5);
  EXPECT_EQ(ParseVersionHalves("3.5.7.9").LS, 7 * 65536 + 9);
}

}  // namespace
}  // namespace cv
