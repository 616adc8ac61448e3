// When an object's condition holds, and the cache that lets one operation
// evaluate each condition once.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/main_database.h"
#include "database/model_hooks.h"

namespace cv {
namespace {

struct Evaluation {
  TXMLObject* Context;
  std::string Expression;
};
std::vector<Evaluation> evaluations;
std::string answer = "1";

bool RecordingHook(TXMLObject* context, std::int32_t pluginId, const std::string& expression,
                   std::intptr_t, bool expand) {
  EXPECT_EQ(pluginId, 0);
  EXPECT_TRUE(expand);
  evaluations.push_back({context, expression});
  return answer.rfind('1', 0) == 0;
}

class Conditions : public ::testing::Test {
 protected:
  void SetUp() override {
    evaluations.clear();
    answer = "1";
    ConditionHook = RecordingHook;
    SetConditionEvaluation(true);
    db->LoadFromString(
        "<cv2project><packages><package filename='p.cvp'><components>"
        "<component id='c' condition='inner'/></components></package></packages>"
        "<features condition='list'><feature id='f' condition='outer'><features>"
        "<feature id='g' condition='sub'/></features></feature></features></cv2project>",
        "");
  }
  void TearDown() override {
    SetConditionEvaluation(false);
    ConditionHook = nullptr;
  }
  TcvFeature& F() { return *db->Features->Feature(0); }
  TcvFeature& G() { return *F().Features->Feature(0); }

  std::unique_ptr<TcvMainDatabase> db = TcvMainDatabase::New();
};

TEST_F(Conditions, HoldUntilEvaluationIsSwitchedOn) {
  SetConditionEvaluation(false);
  answer = "0";
  EXPECT_TRUE(IsEnabled(F()));
  EXPECT_TRUE(evaluations.empty());
  SetConditionEvaluation(true);
  EXPECT_FALSE(IsEnabled(F()));
}

TEST_F(Conditions, HoldWithoutHookOrCondition) {
  ConditionHook = nullptr;
  EXPECT_TRUE(IsEnabled(F()));
  ConditionHook = RecordingHook;
  answer = "0";
  F().Condition.clear();
  EXPECT_TRUE(IsEnabled(F()));
  EXPECT_TRUE(evaluations.empty());
}

TEST_F(Conditions, EvaluatedInTheObjectsVariableContext) {
  TcvPackage& package = *db->Packages->Package(0);
  EXPECT_TRUE(IsEnabled(*package.Components->Component(0)));
  EXPECT_TRUE(IsEnabled(G()));
  EXPECT_TRUE(IsEnabled(*db->Features));
  ASSERT_EQ(evaluations.size(), 3u);
  EXPECT_EQ(evaluations[0].Context, &package);
  EXPECT_EQ(evaluations[0].Expression, "inner");
  EXPECT_EQ(evaluations[1].Context, db.get());
  EXPECT_EQ(evaluations[2].Expression, "list");
  // A detached object is evaluated for the main database (no context).
  auto loose = TcvFeature::New();
  loose->Condition = "x";
  IsEnabled(*loose);
  EXPECT_EQ(evaluations.back().Context, nullptr);
}

TEST_F(Conditions, EveryCallEvaluatesWithoutTheCache) {
  IsEnabled(F());
  answer = "0";
  EXPECT_FALSE(IsEnabled(F()));
  EXPECT_EQ(evaluations.size(), 2u);
}

TEST_F(Conditions, CacheEvaluatesOncePerOutermostPair) {
  db->Features->CacheConditions(true);
  EXPECT_TRUE(IsEnabled(F()));
  answer = "0";
  EXPECT_TRUE(IsEnabled(F())) << "cached";
  EXPECT_FALSE(IsEnabled(G())) << "sub-features are cached from their first evaluation";
  db->Features->CacheConditions(true);  // nested: keeps what is cached
  EXPECT_TRUE(IsEnabled(F()));
  db->Features->CacheConditions(false);
  db->Features->CacheConditions(false);
  EXPECT_FALSE(IsEnabled(F())) << "evaluated afresh after the outermost pair";
  EXPECT_EQ(F().Cache.CacheDepth, 0);
  EXPECT_EQ(G().Cache.CacheDepth, 0);
  EXPECT_EQ(db->Features->Cache.CacheDepth, 0);

  // A new outermost pair forgets the old result.
  answer = "1";
  db->Features->CacheConditions(true);
  EXPECT_TRUE(IsEnabled(F()));
  db->Features->CacheConditions(false);
  EXPECT_EQ(evaluations.size(), 4u);
}

TEST_F(Conditions, FeatureReachesItsSubFeatures) {
  F().CacheConditions(true);
  EXPECT_EQ(G().Cache.CacheDepth, 1);
  EXPECT_EQ(db->Features->Cache.CacheDepth, 0);
  F().CacheConditions(false);
  EXPECT_EQ(G().Cache.CacheDepth, 0);
}

TEST_F(Conditions, ResultBeginsWithOne) {
  // The stand-in answers like the engine's hook: the text begins with "1".
  for (const auto& [text, holds] : std::vector<std::pair<std::string, bool>>{
           {"1", true}, {"10", true}, {"0", false}, {"", false}, {"True", false}, {"-1", false}}) {
    answer = text;
    EXPECT_EQ(IsEnabled(F()), holds) << text;
  }
}

}  // namespace
}  // namespace cv
