// Parameter blocks: conversions between the kinds, counts, ids, and the
// release of blocks after a mark.

#include "plugins/message_params.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <thread>
#include <vector>

#include "messaging_test_support.h"

namespace cv {
namespace {

using test::BlockGuard;

TEST(MessageParam, StringReadAsEachKind) {
  TcvMessageParam param;
  param.SetString("42");
  EXPECT_EQ(param.Kind, kParamString);
  EXPECT_EQ(param.AsString(), "42");
  EXPECT_EQ(param.AsInteger(), 42);
  EXPECT_FALSE(param.AsBoolean()) << "only a text beginning with 1 is true";
  param.SetString("x");
  EXPECT_EQ(param.AsInteger(), 0);
  param.SetString("12abc");
  EXPECT_EQ(param.AsInteger(), 0) << "a text with trailing garbage is no integer";
  EXPECT_TRUE(param.AsBoolean());
  param.SetString("$1F");
  EXPECT_EQ(param.AsInteger(), 31);
  param.SetString(" -7");
  EXPECT_EQ(param.AsInteger(), -7);
  param.SetString("");
  EXPECT_FALSE(param.AsBoolean());
  EXPECT_EQ(param.AsInteger(), 0);
  param.SetString("1");
  EXPECT_TRUE(param.AsBoolean());
  param.SetString("0");
  EXPECT_FALSE(param.AsBoolean());
  param.SetString("true");
  EXPECT_FALSE(param.AsBoolean());
}

TEST(MessageParam, IntegerReadAsEachKind) {
  TcvMessageParam param;
  param.SetInteger(42);
  EXPECT_EQ(param.Kind, kParamInteger);
  EXPECT_EQ(param.AsString(), "42");
  EXPECT_EQ(param.StrValue, "42") << "the text is kept";
  EXPECT_EQ(param.AsInteger(), 42);
  EXPECT_FALSE(param.AsBoolean());
  param.SetInteger(2);
  EXPECT_FALSE(param.AsBoolean()) << "only exactly 1 is true";
  param.SetInteger(1);
  EXPECT_TRUE(param.AsBoolean());
  param.SetInteger(-1);
  EXPECT_FALSE(param.AsBoolean());
  EXPECT_EQ(param.AsString(), "-1");
  param.SetInteger(-2147483647 - 1);
  EXPECT_EQ(param.AsString(), "-2147483648");
}

TEST(MessageParam, BooleanReadAsEachKind) {
  TcvMessageParam param;
  param.SetBoolean(true);
  EXPECT_EQ(param.Kind, kParamBoolean);
  EXPECT_EQ(param.BoolValue, 1);
  EXPECT_EQ(param.AsString(), "1");
  EXPECT_EQ(param.AsInteger(), 1);
  EXPECT_TRUE(param.AsBoolean());
  param.SetBoolean(false);
  EXPECT_EQ(param.BoolValue, 0);
  EXPECT_EQ(param.AsString(), "0");
  EXPECT_EQ(param.AsInteger(), 0);
  EXPECT_FALSE(param.AsBoolean());
}

TEST(MessageParam, WritingChangesTheKind) {
  TcvMessageParam param;
  param.SetInteger(5);
  param.SetString("text");
  EXPECT_EQ(param.Kind, kParamString);
  EXPECT_EQ(param.AsString(), "text");
  param.SetBoolean(true);
  EXPECT_EQ(param.Kind, kParamBoolean);
  EXPECT_EQ(param.AsString(), "1");
  param.SetInteger(9);
  EXPECT_EQ(param.Kind, kParamInteger);
  EXPECT_EQ(param.AsString(), "9");
}

TEST(ParamsBlock, ConversionsThroughTheBlockFunctions) {
  BlockGuard block(CreateBlock());
  AddInt(block.Id(), 42);
  AddInt(block.Id(), 2);
  AddStr(block.Id(), "x");
  AddBool(block.Id(), true);
  AddStr(block.Id(), "15");
  ASSERT_EQ(GetCount(block.Id()), 5);
  EXPECT_EQ(GetStr(block.Id(), 0), "42");
  EXPECT_FALSE(GetBool(block.Id(), 1));
  EXPECT_EQ(GetInt(block.Id(), 2), 0);
  EXPECT_EQ(GetStr(block.Id(), 3), "1");
  EXPECT_EQ(GetInt(block.Id(), 3), 1);
  EXPECT_EQ(GetInt(block.Id(), 4), 15);
  EXPECT_TRUE(GetBool(block.Id(), 4));
  EXPECT_EQ(GetKind(block.Id(), 0), kParamInteger);
  EXPECT_EQ(GetKind(block.Id(), 2), kParamString);
  EXPECT_EQ(GetKind(block.Id(), 3), kParamBoolean);
}

TEST(ParamsBlock, SettersChangeKindAndValueOfExistingIndexOnly) {
  BlockGuard block(CreateBlock());
  SetCount(block.Id(), 3);
  SetInt(block.Id(), 0, 7);
  SetBool(block.Id(), 1, true);
  SetStr(block.Id(), 2, "abc");
  SetStr(block.Id(), 3, "beyond");
  SetInt(block.Id(), -1, 1);
  SetBool(block.Id(), 99, true);
  ASSERT_EQ(GetCount(block.Id()), 3) << "writing beyond the end appends nothing";
  EXPECT_EQ(GetKind(block.Id(), 0), kParamInteger);
  EXPECT_EQ(GetInt(block.Id(), 0), 7);
  EXPECT_EQ(GetKind(block.Id(), 1), kParamBoolean);
  EXPECT_TRUE(GetBool(block.Id(), 1));
  EXPECT_EQ(GetKind(block.Id(), 2), kParamString);
  EXPECT_EQ(GetStr(block.Id(), 2), "abc");
  SetStr(block.Id(), 0, "now text");
  EXPECT_EQ(GetKind(block.Id(), 0), kParamString);
  EXPECT_EQ(GetStr(block.Id(), 0), "now text");
}

TEST(ParamsBlock, OutOfRangeIndexesReadEmpty) {
  BlockGuard block(NewParamsBlock({"a", 5, true}));
  for (std::int32_t index : {3, 4, -1, 1000000}) {
    EXPECT_EQ(GetStr(block.Id(), index), "") << index;
    EXPECT_EQ(GetInt(block.Id(), index), 0) << index;
    EXPECT_FALSE(GetBool(block.Id(), index)) << index;
    EXPECT_EQ(GetKind(block.Id(), index), kParamString) << index;
    EXPECT_STREQ(GetStrData(block.Id(), index), "") << index;
  }
  EXPECT_EQ(GetInt(block.Id(), 1), 5) << "the block itself is unchanged";
}

TEST(ParamsBlock, SetCountGrowsWithEmptyStringsAndShrinksFromTheEnd) {
  BlockGuard block(NewParamsBlock({1, 2}));
  SetCount(block.Id(), 4);
  ASSERT_EQ(GetCount(block.Id()), 4);
  EXPECT_EQ(GetInt(block.Id(), 0), 1);
  EXPECT_EQ(GetInt(block.Id(), 1), 2);
  EXPECT_EQ(GetKind(block.Id(), 2), kParamString);
  EXPECT_EQ(GetStr(block.Id(), 2), "");
  EXPECT_EQ(GetStr(block.Id(), 3), "");
  SetCount(block.Id(), 1);
  ASSERT_EQ(GetCount(block.Id()), 1);
  EXPECT_EQ(GetInt(block.Id(), 0), 1) << "the first parameter stays";
  EXPECT_EQ(GetStr(block.Id(), 1), "");
  SetCount(block.Id(), 3);
  EXPECT_EQ(GetStr(block.Id(), 1), "") << "a regrown parameter starts empty";
  EXPECT_EQ(GetKind(block.Id(), 1), kParamString);
}

TEST(ParamsBlock, NegativeCountCountsAsZero) {
  BlockGuard block(NewParamsBlock({"a", "b"}));
  SetCount(block.Id(), -5);
  EXPECT_EQ(GetCount(block.Id()), 0);
  EXPECT_TRUE(BlockExists(block.Id())) << "the block itself stays";
  SetCount(block.Id(), -2147483647 - 1);
  EXPECT_EQ(GetCount(block.Id()), 0);
}

TEST(ParamsBlock, IdZeroIsNeverValid) {
  EXPECT_FALSE(BlockExists(0));
  AddStr(0, "lost");
  AddInt(0, 1);
  AddBool(0, true);
  SetCount(0, 5);
  SetStr(0, 0, "lost");
  EXPECT_EQ(GetCount(0), 0);
  EXPECT_EQ(GetStr(0, 0), "");
  EXPECT_EQ(GetInt(0, 0), 0);
  EXPECT_FALSE(GetBool(0, 0));
  EXPECT_EQ(GetKind(0, 0), kParamString);
  DestroyBlock(0);  // nothing to destroy, nothing raised
  const std::int32_t block = CreateBlock();
  BlockGuard guard(block);
  EXPECT_GT(block, 0) << "no block is ever given id 0";
}

TEST(ParamsBlock, NegativeAndUnknownIdsDoNothing) {
  const std::int32_t unknown = LastBlockId() + 1000;
  for (std::int32_t id : {-1, -2147483647 - 1, unknown, 2147483647}) {
    AddStr(id, "x");
    SetCount(id, 3);
    EXPECT_FALSE(BlockExists(id)) << id;
    EXPECT_EQ(GetCount(id), 0) << id;
    EXPECT_EQ(GetStr(id, 0), "") << id;
    DestroyBlock(id);
  }
}

TEST(ParamsBlock, DestroyedBlockIsGoneAndItsIdNeverComesBack) {
  const std::int32_t first = CreateBlock();
  AddStr(first, "value");
  DestroyBlock(first);
  EXPECT_FALSE(BlockExists(first));
  EXPECT_EQ(GetCount(first), 0);
  EXPECT_EQ(GetStr(first, 0), "");
  AddStr(first, "again");
  EXPECT_EQ(GetCount(first), 0) << "a destroyed id takes no more values";
  DestroyBlock(first);  // twice is harmless

  std::vector<std::int32_t> later;
  for (int i = 0; i < 5; ++i) later.push_back(CreateBlock());
  for (std::int32_t id : later) {
    EXPECT_GT(id, first);
    DestroyBlock(id);
  }
  for (std::size_t i = 1; i < later.size(); ++i) EXPECT_EQ(later[i], later[i - 1] + 1);
  EXPECT_GT(CreateBlock(), later.back()) << "destroying the newest does not free its id";
  DestroyBlock(LastBlockId());
}

TEST(ParamsBlock, DestroyingOneBlockLeavesTheOthers) {
  BlockGuard a(NewParamsBlock({"a"}));
  const std::int32_t b = NewParamsBlock({"b"});
  BlockGuard c(NewParamsBlock({"c"}));
  DestroyBlock(b);
  EXPECT_EQ(GetStr(a.Id(), 0), "a");
  EXPECT_EQ(GetStr(c.Id(), 0), "c");
  EXPECT_FALSE(BlockExists(b));
}

TEST(ParamsBlock, NewParamsBlockGivesEachValueTheKindOfItsType) {
  const std::string text = "from a string";
  BlockGuard block(NewParamsBlock({"literal", text, 42, true, false, std::int32_t{-3}}));
  ASSERT_EQ(GetCount(block.Id()), 6);
  EXPECT_EQ(GetKind(block.Id(), 0), kParamString) << "a string literal is no boolean";
  EXPECT_EQ(GetStr(block.Id(), 0), "literal");
  EXPECT_EQ(GetKind(block.Id(), 1), kParamString);
  EXPECT_EQ(GetStr(block.Id(), 1), "from a string");
  EXPECT_EQ(GetKind(block.Id(), 2), kParamInteger);
  EXPECT_EQ(GetInt(block.Id(), 2), 42);
  EXPECT_EQ(GetKind(block.Id(), 3), kParamBoolean);
  EXPECT_TRUE(GetBool(block.Id(), 3));
  EXPECT_EQ(GetKind(block.Id(), 4), kParamBoolean);
  EXPECT_FALSE(GetBool(block.Id(), 4));
  EXPECT_EQ(GetKind(block.Id(), 5), kParamInteger);
  EXPECT_EQ(GetInt(block.Id(), 5), -3);
}

TEST(ParamsBlock, NewParamsBlockFromAListOfValues) {
  const std::vector<MessageParamValue> values = {std::string("ENU"), 1033, true};
  BlockGuard block(NewParamsBlock(values));
  ASSERT_EQ(GetCount(block.Id()), 3);
  EXPECT_EQ(GetStr(block.Id(), 0), "ENU");
  EXPECT_EQ(GetKind(block.Id(), 1), kParamInteger);
  EXPECT_EQ(GetKind(block.Id(), 2), kParamBoolean);
  BlockGuard empty(NewParamsBlock({}));
  EXPECT_TRUE(BlockExists(empty.Id()));
  EXPECT_EQ(GetCount(empty.Id()), 0);
}

TEST(ParamsBlock, StoredTextStaysUntilTheBlockChanges) {
  BlockGuard block(NewParamsBlock({"text", 1234, false}));
  const char* text = GetStrData(block.Id(), 0);
  const char* number = GetStrData(block.Id(), 1);
  const char* flag = GetStrData(block.Id(), 2);
  EXPECT_STREQ(text, "text");
  EXPECT_STREQ(number, "1234");
  EXPECT_STREQ(flag, "0");
  EXPECT_EQ(GetKind(block.Id(), 1), kParamInteger) << "reading the text keeps the kind";
  EXPECT_EQ(GetKind(block.Id(), 2), kParamBoolean);
  EXPECT_FALSE(GetBool(block.Id(), 2));
  // Other blocks coming and going leave the stored text where it is.
  std::vector<std::int32_t> others;
  for (int i = 0; i < 64; ++i) others.push_back(NewParamsBlock({"other"}));
  for (std::int32_t id : others) DestroyBlock(id);
  EXPECT_STREQ(text, "text");
  EXPECT_STREQ(number, "1234");
}

TEST(ParamsBlock, LastBlockIdFollowsCreationAndDestruction) {
  const std::int32_t a = CreateBlock();
  EXPECT_EQ(LastBlockId(), a);
  const std::int32_t b = CreateBlock();
  EXPECT_EQ(LastBlockId(), b);
  DestroyBlock(b);
  EXPECT_EQ(LastBlockId(), a) << "the newest block that still exists";
  DestroyBlock(a);
}

TEST(ReleaseBlocksAfter, DestroysExactlyTheBlocksAfterTheMark) {
  BlockGuard before(NewParamsBlock({"before"}));
  const std::int32_t mark = LastBlockId();
  const std::int32_t first = NewParamsBlock({"after 1"});
  const std::int32_t second = CreateBlock();
  ReleaseBlocksAfter(mark);
  EXPECT_FALSE(BlockExists(first));
  EXPECT_FALSE(BlockExists(second));
  EXPECT_TRUE(BlockExists(before.Id()));
  EXPECT_EQ(GetStr(before.Id(), 0), "before");
  EXPECT_EQ(LastBlockId(), mark);
}

TEST(ReleaseBlocksAfter, KeepsEarlierBlocksWhenTheMarkedBlockIsGone) {
  // A handler may destroy the block that was newest when the dispatch began
  // (typically the in-block); the blocks before it stay all the same.
  BlockGuard out(CreateBlock());
  const std::int32_t in = CreateBlock();
  const std::int32_t mark = LastBlockId();
  ASSERT_EQ(mark, in);
  DestroyBlock(in);
  const std::int32_t temporary = CreateBlock();
  ReleaseBlocksAfter(mark);
  EXPECT_FALSE(BlockExists(temporary));
  EXPECT_TRUE(BlockExists(out.Id()));
}

TEST(ReleaseBlocksAfter, MarkAtTheEndReleasesNothing) {
  BlockGuard a(CreateBlock());
  BlockGuard b(CreateBlock());
  ReleaseBlocksAfter(LastBlockId());
  EXPECT_TRUE(BlockExists(a.Id()));
  EXPECT_TRUE(BlockExists(b.Id()));
}

TEST(ReleaseBlocksAfter, LeavesTheBlocksOfOtherThreads) {
  BlockGuard mine(CreateBlock());
  const std::int32_t mark = LastBlockId();
  const std::int32_t ownTemporary = CreateBlock();
  std::int32_t workerBlock = 0;
  std::thread([&] { workerBlock = NewParamsBlock({"worker"}); }).join();
  BlockGuard workerGuard(workerBlock);
  const std::int32_t ownLater = CreateBlock();
  ReleaseBlocksAfter(mark);
  EXPECT_FALSE(BlockExists(ownTemporary));
  EXPECT_FALSE(BlockExists(ownLater));
  EXPECT_TRUE(BlockExists(workerBlock)) << "the worker's block is not this thread's to free";
  EXPECT_EQ(GetStr(workerBlock, 0), "worker");
  EXPECT_TRUE(BlockExists(mine.Id()));
}

TEST(ParamsBlock, ThreadsCreatingAndFillingBlocksAtOnceGetDistinctBlocks) {
  constexpr int kThreads = 4;
  constexpr int kBlocksEach = 200;
  std::array<std::vector<std::int32_t>, kThreads> ids;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&ids, t] {
      for (int i = 0; i < kBlocksEach; ++i) {
        const std::int32_t id = CreateBlock();
        AddInt(id, t);
        AddInt(id, i);
        ids[static_cast<std::size_t>(t)].push_back(id);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<std::int32_t> all;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kBlocksEach; ++i) {
      const std::int32_t id = ids[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)];
      EXPECT_EQ(GetCount(id), 2);
      EXPECT_EQ(GetInt(id, 0), t);
      EXPECT_EQ(GetInt(id, 1), i);
      all.push_back(id);
    }
  }
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "no id given twice";
  for (std::int32_t id : all) DestroyBlock(id);
}

TEST(ParamsBlock, HandedOutTextOutlivesLaterWritesToItsBlock) {
  BlockGuard block(NewParamsBlock({"first"}));
  const char* text = GetStrData(block.Id(), 0);
  // Writes that reallocate the parameters or replace the text.
  for (int i = 0; i < 100; ++i) AddStr(block.Id(), std::string(40, 'x'));
  SetStr(block.Id(), 0, "second, and long enough to need its own allocation");
  SetCount(block.Id(), 0);
  EXPECT_STREQ(text, "first");
  SetCount(block.Id(), 1);
  SetStr(block.Id(), 0, "first");
  EXPECT_EQ(GetStrData(block.Id(), 0), text) << "the same text shares its copy";
}

}  // namespace
}  // namespace cv
