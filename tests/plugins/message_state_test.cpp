// The per-message state: the event variables set for a dispatch and put back
// after it, and the blocks of the dispatch released.

#include "plugins/message_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "database/main_database.h"
#include "messaging_test_support.h"
#include "plugins/message_params.h"

namespace cv {
namespace {

using test::BlockGuard;
using test::ScopedMainDatabase;

// The database's own variable of that name, ignoring conditions.
TcvVariable* Own(TcvMainDatabase& db, const std::string& name) {
  for (int i = 0; i < db.Variables->Count(); ++i) {
    TcvVariable* variable = db.Variables->Variable(i);
    if (variable && variable->Name == name) return variable;
  }
  return nullptr;
}

class MessageStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Own(*db, "EventParams"), nullptr);
    ASSERT_NE(Own(*db, "EventResult"), nullptr);
    // Texts with references show that the raw text is saved and restored,
    // not its expansion.
    Own(*db, "EventParams")->Value = "%Outer%";
    Own(*db, "EventResult")->Value = "#1+1#";
  }

  std::unique_ptr<TcvMainDatabase> db = TcvMainDatabase::New();
  ScopedMainDatabase current{db.get()};
};

TEST_F(MessageStateTest, VariableListOfTheDatabaseBeginsWithTheEventVariables) {
  auto fresh = TcvMainDatabase::New();
  ASSERT_GE(fresh->Variables->Count(), 2);
  EXPECT_EQ(fresh->Variables->Variable(0)->Name, kEventParamsVariable);
  EXPECT_EQ(fresh->Variables->Variable(1)->Name, kEventResultVariable);
}

TEST_F(MessageStateTest, SetsTheBlockIdsAndRestoresTheTexts) {
  {
    TMessageState state(12, 345);
    EXPECT_EQ(Own(*db, "EventParams")->Value, "12");
    EXPECT_EQ(Own(*db, "EventResult")->Value, "345");
  }
  EXPECT_EQ(Own(*db, "EventParams")->Value, "%Outer%");
  EXPECT_EQ(Own(*db, "EventResult")->Value, "#1+1#");
}

TEST_F(MessageStateTest, ZeroAndNegativeIdsAreWrittenInDecimal) {
  TMessageState state(0, -7);
  EXPECT_EQ(Own(*db, "EventParams")->Value, "0");
  EXPECT_EQ(Own(*db, "EventResult")->Value, "-7");
}

TEST_F(MessageStateTest, NestedStatesRestoreInTurn) {
  {
    TMessageState outer(1, 2);
    {
      TMessageState inner(3, 4);
      EXPECT_EQ(Own(*db, "EventParams")->Value, "3");
    }
    EXPECT_EQ(Own(*db, "EventParams")->Value, "1");
    EXPECT_EQ(Own(*db, "EventResult")->Value, "2");
  }
  EXPECT_EQ(Own(*db, "EventParams")->Value, "%Outer%");
}

TEST_F(MessageStateTest, RecordsTheLastBlockAsMarkAndReleasesTheLaterOnes) {
  BlockGuard before(CreateBlock());
  std::int32_t during = 0;
  {
    TMessageState state(before.Id(), 0);
    EXPECT_EQ(state.Mark(), before.Id());
    during = NewParamsBlock({"temporary"});
    EXPECT_TRUE(BlockExists(during));
  }
  EXPECT_FALSE(BlockExists(during));
  EXPECT_TRUE(BlockExists(before.Id()));
}

TEST_F(MessageStateTest, RestoresAlsoWhenLeftByAnException) {
  BlockGuard before(CreateBlock());
  std::int32_t during = 0;
  EXPECT_THROW(
      {
        TMessageState state(5, 6);
        during = CreateBlock();
        throw std::runtime_error("handler failed");
      },
      std::runtime_error);
  EXPECT_EQ(Own(*db, "EventParams")->Value, "%Outer%");
  EXPECT_EQ(Own(*db, "EventResult")->Value, "#1+1#");
  EXPECT_FALSE(BlockExists(during));
  EXPECT_TRUE(BlockExists(before.Id()));
}

TEST_F(MessageStateTest, RebuiltVariableGetsTheSavedText) {
  {
    TMessageState state(8, 9);
    // A handler replaces the variable object: the state must not write
    // through a pointer to the freed one.
    db->Variables->Delete(0);
    auto replacement = TcvVariable::New(db->Variables.get());
    replacement->Name = "EventParams";
    replacement->Value = "changed by the handler";
    db->Variables->Add(std::move(replacement));
  }
  EXPECT_EQ(Own(*db, "EventParams")->Value, "%Outer%");
  EXPECT_EQ(Own(*db, "EventResult")->Value, "#1+1#");
}

TEST_F(MessageStateTest, WithoutMainDatabaseOnlyBlocksAreReleased) {
  ScopedMainDatabase none(nullptr);
  std::int32_t during = 0;
  {
    TMessageState state(1, 2);
    during = CreateBlock();
  }
  EXPECT_FALSE(BlockExists(during));
  EXPECT_EQ(Own(*db, "EventParams")->Value, "%Outer%") << "a database that is not the main one";
}

TEST_F(MessageStateTest, DatabaseReplacedDuringTheDispatchIsNotTouched) {
  auto other = TcvMainDatabase::New();
  Own(*other, "EventParams")->Value = "other";
  {
    TMessageState state(1, 2);
    SetMainDatabase(other.get());
  }
  EXPECT_EQ(Own(*other, "EventParams")->Value, "other");
  EXPECT_EQ(Own(*db, "EventParams")->Value, "1") << "left as the dispatch set it";
}

TEST_F(MessageStateTest, DatabaseWithoutVariableListIsLeftAlone) {
  auto bare = TcvMainDatabase::New();
  bare->Variables.reset();
  ScopedMainDatabase current2(bare.get());
  std::int32_t during = 0;
  {
    TMessageState state(1, 2);
    during = CreateBlock();
  }
  EXPECT_EQ(bare->Variables, nullptr);
  EXPECT_FALSE(BlockExists(during));
}

}  // namespace
}  // namespace cv
