// Selecting features and install types, the parents' tri-state, searching and
// walking the feature tree, and the sizes of features.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "database/feature_selection.h"
#include "database/feature_sizes.h"
#include "database/main_database.h"
#include "database/model_hooks.h"

namespace cv {
namespace {

// The stand-in evaluator: an expression's value is the text `values` maps it
// to, else the expression itself; "throw" fails the evaluation the way the
// engine's hook abandons an operation. True when the value begins with "1".
std::map<std::string, std::string> values;
int evaluationCount = 0;

bool StandInHook(TXMLObject*, std::int32_t, const std::string& expression, std::intptr_t, bool) {
  ++evaluationCount;
  const auto it = values.find(expression);
  const std::string text = it == values.end() ? expression : it->second;
  if (text == "throw") throw std::runtime_error("evaluation failed");
  return text.rfind('1', 0) == 0;
}

class FeatureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    values.clear();
    evaluationCount = 0;
    ConditionHook = StandInHook;
    SetConditionEvaluation(true);
  }
  void TearDown() override {
    SetConditionEvaluation(false);
    ConditionHook = nullptr;
  }

  void Load(const std::string& body) {
    db->LoadFromString("<cv2project>" + body + "</cv2project>", "");
  }
  void LoadFeatures(const std::string& features) { Load("<features>" + features + "</features>"); }

  // Any feature of the tree by ID, whatever its condition.
  TcvFeature& F(const std::string& id) {
    TcvFeature* found = Search(*db->Features, id);
    if (!found) throw std::logic_error("no feature " + id);
    return *found;
  }
  static TcvFeature* Search(const TcvFeatures& list, const std::string& id) {
    for (int i = 0; i < list.Count(); ++i) {
      TcvFeature* feature = list.Feature(i);
      if (feature->ID == id) return feature;
      if (TcvFeature* below = Search(*feature->Features, id)) return below;
    }
    return nullptr;
  }

  // "AB-" style summary of which of the named features are selected.
  std::string Selected(const std::vector<std::string>& ids) {
    std::string out;
    for (const auto& id : ids) out += F(id).Selected ? id : "-";
    return out;
  }

  // Records every OnFeatureChange as "ID=state".
  void RecordChanges() {
    db->OnFeatureChange = [this](TcvFeature& feature) {
      changes.push_back(feature.ID + "=" + std::to_string(FeatureState(feature)));
    };
  }

  static void ExpectCachesOff(const TcvFeatures& list) {
    EXPECT_EQ(list.Cache.CacheDepth, 0);
    for (int i = 0; i < list.Count(); ++i) {
      const TcvFeature& feature = *list.Feature(i);
      EXPECT_EQ(feature.Cache.CacheDepth, 0) << feature.ID;
      ExpectCachesOff(*feature.Features);
    }
  }

  std::unique_ptr<TcvMainDatabase> db = TcvMainDatabase::New();
  std::vector<std::string> changes;
};

// ---------------------------------------------------------------------------
// State and selection

TEST_F(FeatureTest, StateFollowsSelectedAndPartial) {
  LoadFeatures("<feature id='a'/>");
  TcvFeature& a = F("a");
  EXPECT_EQ(FeatureState(a), 0);
  a.Partial = true;
  EXPECT_EQ(FeatureState(a), 0) << "partial means nothing while deselected";
  a.Selected = true;
  EXPECT_EQ(FeatureState(a), 2);
  a.Partial = false;
  EXPECT_EQ(FeatureState(a), 1);
}

TEST_F(FeatureTest, SelectingTakesSubFeaturesAndDependencies) {
  LoadFeatures(
      "<feature id='a'><features><feature id='a1'/><feature id='a2'/></features>"
      "<depends><feature id='B'/></depends></feature>"
      "<feature id='b'><depends><feature id='c'/></depends></feature>"
      "<feature id='c'/><feature id='d'/>");
  SelectFeature(F("a"), true);
  EXPECT_EQ(Selected({"a", "a1", "a2", "b", "c", "d"}), "aa1a2bc-")
      << "dependencies are found ignoring case and followed transitively";

  // Without recursion the sub-features stay; the partial flag is taken as given.
  SetFeature(F("d"), true, false, false, true);
  EXPECT_EQ(FeatureState(F("d")), 2);
  SetFeature(F("a"), false, false, false, false);
  EXPECT_EQ(Selected({"a", "a1", "a2"}), "-a1a2");
}

TEST_F(FeatureTest, MutualDependenciesSelectAndDeselectTogether) {
  LoadFeatures(
      "<feature id='a'><depends><feature id='b'/></depends></feature>"
      "<feature id='b'><depends><feature id='a'/></depends></feature>");
  RecordChanges();
  SelectFeature(F("a"), true);
  EXPECT_EQ(Selected({"a", "b"}), "ab");
  SelectFeature(F("b"), false);
  EXPECT_EQ(Selected({"a", "b"}), "--");
  EXPECT_EQ(changes, (std::vector<std::string>{"a=1", "b=1", "b=0", "a=0"}));
}

TEST_F(FeatureTest, DeselectingTakesEveryDependantInTheTree) {
  LoadFeatures(
      "<feature id='base'/>"
      "<feature id='top'><features><feature id='mid'><features>"
      "<feature id='deep'><depends><feature id='BASE'/></depends></feature>"
      "</features></feature></features></feature>"
      "<feature id='user'><depends><feature id='deep'/></depends></feature>"
      "<feature id='other'/>");
  for (const char* id : {"base", "top", "user", "other"}) SelectFeature(F(id), true);
  ASSERT_EQ(Selected({"base", "top", "mid", "deep", "user", "other"}), "basetopmiddeepuserother");
  SelectFeature(F("base"), false);
  EXPECT_EQ(Selected({"base", "top", "mid", "deep", "user", "other"}), "-topmid--other")
      << "a dependant deep in the tree goes, and what depends on it";
}

TEST_F(FeatureTest, RequiredFeaturesGoOnlyThroughDependencies) {
  LoadFeatures(
      "<feature id='base'/>"
      "<feature id='req' required='1'><depends><feature id='base'/></depends></feature>");
  SelectFeature(F("req"), false);
  EXPECT_EQ(Selected({"base", "req"}), "basereq") << "deselecting selects a required feature";
  SelectFeature(F("base"), false);
  EXPECT_EQ(Selected({"base", "req"}), "--");
  EXPECT_TRUE(F("req").Required) << "the flag comes back";
}

TEST_F(FeatureTest, AnExcludedFeatureStaysOutForTheWholeOperation) {
  // a excludes the required b; c, which a needs, needs b.
  LoadFeatures(
      "<feature id='a'><excepts><feature id='b'/></excepts>"
      "<depends><feature id='c'/></depends></feature>"
      "<feature id='b' required='1'/>"
      "<feature id='c'><depends><feature id='b'/></depends></feature>");
  SelectFeature(F("b"), true);
  RecordChanges();
  SelectFeature(F("a"), true);
  EXPECT_EQ(Selected({"a", "b", "c"}), "a-c");
  EXPECT_TRUE(F("b").Required);
  EXPECT_EQ(changes, (std::vector<std::string>{"b=0", "a=1", "c=1"}));

  // The next operation starts with no exclusions.
  SelectFeature(F("b"), true);
  EXPECT_TRUE(F("b").Selected);
}

TEST_F(FeatureTest, ReferencesThatNameNoEnabledFeatureAreSkipped) {
  LoadFeatures(
      "<feature id='first'/>"
      "<feature id='off' condition='0'/>"
      "<feature id='a'><excepts><feature/><feature id='off'/><feature id='ghost'/></excepts>"
      "<depends><feature/><feature id='off'/><feature id='ghost'/></depends></feature>");
  F("first").Selected = true;
  F("off").Selected = true;
  SelectFeature(F("a"), true);
  EXPECT_TRUE(F("a").Selected);
  EXPECT_FALSE(F("first").Selected) << "an empty reference names the first enabled feature";
  EXPECT_TRUE(F("off").Selected) << "a feature whose condition fails is not found";
  SelectFeature(F("first"), true);
  SelectFeature(F("first"), false);
  EXPECT_TRUE(F("a").Selected) << "dependents are found by the ID they name, and it is empty";
}

TEST_F(FeatureTest, AFeatureWhoseConditionFailsIsLeftAlone) {
  LoadFeatures(
      "<feature id='a' condition='0'><features><feature id='a1'/></features></feature>"
      "<feature id='b'><features><feature id='b1' condition='0'/></features></feature>");
  RecordChanges();
  SelectFeature(F("a"), true);
  SelectFeature(F("b"), true);
  EXPECT_EQ(Selected({"a", "a1", "b", "b1"}), "--b-");
  EXPECT_EQ(changes, (std::vector<std::string>{"b=1"}));
}

TEST_F(FeatureTest, UserChoicesAreKeptOnRequest) {
  LoadFeatures(
      "<feature id='a'><features><feature id='a1'/><feature id='a2'/></features></feature>");
  SelectFeature(F("a"), true);
  db->UserFeatures.insert("A");
  SetFeature(F("a"), false, true, true, false);
  EXPECT_EQ(Selected({"a", "a1", "a2"}), "aa1a2") << "IDs compare ignoring case";

  SetFeature(F("a"), false, true, false, false);
  EXPECT_EQ(Selected({"a", "a1", "a2"}), "---") << "only when asked to keep them";

  // A parent takes all its children with it, choices made on them included.
  SelectFeature(F("a"), true);
  db->UserFeatures = {"a1"};
  SetFeature(F("a"), false, true, true, false);
  EXPECT_EQ(Selected({"a", "a1", "a2"}), "---");
}

TEST_F(FeatureTest, AChangeIsJudgedAgainstTheStateBeforeExclusions) {
  // Selecting 'a' excludes 'b', which takes 'a' (it depends on 'b') with it
  // for a moment; 'a' ends selected as it began, so only the moment is heard.
  LoadFeatures(
      "<feature id='a'><depends><feature id='b'/></depends><excepts><feature id='b'/></excepts>"
      "</feature><feature id='b'/>");
  SelectFeature(F("b"), true);
  F("a").Selected = true;
  RecordChanges();
  SelectFeature(F("a"), true);
  EXPECT_EQ(Selected({"a", "b"}), "a-");
  EXPECT_EQ(changes, (std::vector<std::string>{"b=0", "a=0"}));
}

TEST_F(FeatureTest, AnEmptyReferenceNamesTheFirstEnabledFeature) {
  values["off"] = "0";
  LoadFeatures(
      "<feature id='hidden' condition='off'/><feature id='first'/>"
      "<feature id='user'><depends><feature id=''/></depends></feature>");
  SelectFeature(F("user"), true);
  EXPECT_EQ(Selected({"hidden", "first", "user"}), "-firstuser");
}

TEST_F(FeatureTest, ChangesAreReportedOncePerChange) {
  LoadFeatures(
      "<feature id='a'><features><feature id='a1'/></features></feature><feature id='b'/>");
  RecordChanges();
  SelectFeature(F("a"), true);
  SelectFeature(F("a"), true);  // no change
  SetFeature(F("a"), true, false, false, true);
  SetFeature(F("a"), true, false, false, true);  // no change
  SelectFeature(F("a"), false);
  EXPECT_EQ(changes, (std::vector<std::string>{"a=1", "a1=1", "a=2", "a=0", "a1=0"}));

  db->OnFeatureChange = nullptr;
  SelectFeature(F("b"), true);  // no handler: nothing to call
  EXPECT_TRUE(F("b").Selected);
}

TEST_F(FeatureTest, SelfReferencesEnd) {
  LoadFeatures(
      "<feature id='self'><excepts><feature id='self'/></excepts>"
      "<depends><feature id='self'/></depends></feature>"
      "<feature id='dup'><features><feature id='mid'><features>"
      "<feature id='dup'><depends><feature id='dup'/></depends></feature>"
      "</features></feature></features></feature>"
      "<feature id='user'><depends><feature id='dup'/></depends></feature>");
  RecordChanges();
  SelectFeature(F("self"), true);
  EXPECT_TRUE(F("self").Selected);
  SelectFeature(F("self"), true);
  EXPECT_TRUE(F("self").Selected);
  EXPECT_EQ(changes, (std::vector<std::string>{"self=1", "self=0"}))
      << "excluding itself deselects it on the way; it ends as it began, so nothing more";
  SelectFeature(F("self"), false);
  EXPECT_FALSE(F("self").Selected);

  // A sub-feature that repeats its ancestor's ID: walking the tree for
  // dependants must not go round in circles.
  SelectFeature(F("dup"), true);
  SelectFeature(F("user"), true);
  TcvFeature& inner = *F("mid").Features->Feature(0);
  EXPECT_TRUE(inner.Selected);
  SelectFeature(inner, false);
  EXPECT_FALSE(inner.Selected);
  EXPECT_FALSE(F("user").Selected);
  EXPECT_TRUE(F("dup").Selected) << "the same ID is no dependant of itself";
}

TEST_F(FeatureTest, FeatureOutsideADatabaseFindsNoReferences) {
  auto loose = TcvFeature::New();
  loose->LoadFromString(
      "<feature id='x'><features><feature id='x1'/></features>"
      "<depends><feature id='y'/></depends><excepts><feature id='z'/></excepts>"
      "<components><component id='c'/></components></feature>",
      "");
  ASSERT_EQ(loose->Depends->Count(), 1);
  SelectFeature(*loose, true);
  EXPECT_TRUE(loose->Selected);
  EXPECT_TRUE(loose->Features->Feature(0)->Selected);
  SelectFeature(*loose, false);
  EXPECT_FALSE(loose->Features->Feature(0)->Selected);
  EXPECT_EQ(UpdateFeatureState(*loose), 0);
  EXPECT_EQ(FeatureSize(*loose, false), 0);
}

TEST_F(FeatureTest, ConditionsHoldWhenTheirValueBeginsWithOne) {
  values = {{"ten", "10"}, {"word", "True"}};
  LoadFeatures("<feature id='ten' condition='ten'/><feature id='word' condition='word'/>");
  SelectFeature(F("ten"), true);
  SelectFeature(F("word"), true);
  EXPECT_EQ(Selected({"ten", "word"}), "ten-");
}

// ---------------------------------------------------------------------------
// Parent states

TEST_F(FeatureTest, ParentsFollowTheirSubFeatures) {
  LoadFeatures(
      "<feature id='own'><components><component id='c'/></components>"
      "<features><feature id='own1'/><feature id='own2'/></features></feature>"
      "<feature id='bare'><features><feature id='bare1'/><feature id='bare2'/></features>"
      "</feature>");
  TcvFeatures& top = *db->Features;
  for (const char* id : {"own", "bare"}) F(id).Selected = true;

  EXPECT_EQ(UpdateStates(top), 2) << "one parent partly selected, one deselected";
  EXPECT_EQ(FeatureState(F("own")), 2) << "its own components keep it";
  EXPECT_EQ(FeatureState(F("bare")), 0);

  SelectFeature(F("bare1"), true);
  EXPECT_EQ(UpdateFeatureState(F("bare")), 2);
  SelectFeature(F("bare2"), true);
  EXPECT_EQ(UpdateFeatureState(F("bare")), 1);
  SelectFeature(F("own1"), true);
  SelectFeature(F("own2"), true);
  EXPECT_EQ(UpdateStates(top), 1);

  // A parent that was deselected stays so while its sub-features are.
  SelectFeature(F("bare"), false);
  EXPECT_EQ(UpdateFeatureState(F("bare")), 0);
  EXPECT_EQ(UpdateStates(top), 2);
}

TEST_F(FeatureTest, StatesAreUpdatedBottomUp) {
  LoadFeatures(
      "<feature id='a'><features><feature id='b'><features>"
      "<feature id='c'/><feature id='d'/></features></feature></features></feature>");
  SelectFeature(F("a"), true);
  SelectFeature(F("d"), false);
  EXPECT_EQ(UpdateStates(*db->Features), 2);
  EXPECT_EQ(FeatureState(F("b")), 2);
  EXPECT_EQ(FeatureState(F("a")), 2);
  SelectFeature(F("c"), false);
  EXPECT_EQ(UpdateStates(*db->Features), 0);
  EXPECT_EQ(Selected({"a", "b"}), "--");
}

TEST_F(FeatureTest, CombinedStateCountsOnlyFeaturesWhoseConditionHolds) {
  LoadFeatures(
      "<feature id='p' condition='0'><features><feature id='p1'/></features></feature>"
      "<feature id='leaf'/><feature id='off' condition='0'/>");
  TcvFeatures& top = *db->Features;
  F("p").Selected = true;
  EXPECT_EQ(UpdateFeatureState(F("p")), 0);
  EXPECT_TRUE(F("p").Selected) << "left unchanged";
  EXPECT_EQ(UpdateStates(top), 0);
  F("leaf").Selected = true;
  F("leaf").Partial = true;
  EXPECT_EQ(UpdateFeatureState(F("leaf")), 2) << "a feature without sub-features keeps its state";
  EXPECT_EQ(UpdateStates(top), 2);
  F("leaf").Partial = false;
  EXPECT_EQ(UpdateStates(top), 1) << "the feature whose condition fails does not count";
  EXPECT_EQ(UpdateStates(*F("leaf").Features), 0) << "no items";
}

// ---------------------------------------------------------------------------
// Searching the tree

class FeatureSearch : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    LoadFeatures(
        "<feature id='hidden' condition='0'><features><feature id='h1'/></features></feature>"
        "<feature id='a'><features>"
        "  <feature id='a1'><features><feature id='a1x'/><feature id='a1y' condition='0'/>"
        "  </features></feature>"
        "  <feature id='a2' condition='0'><features><feature id='a2x'/></features></feature>"
        "  <feature id='a3'><features><feature id='a3x'/></features></feature>"
        "</features></feature>"
        "<feature id='b'><features><feature id='b1'/></features></feature>"
        "<feature id='c'/><feature id='d' condition='0'/>");
  }
};

TEST_F(FeatureSearch, WalksTheEnabledFeaturesInPreOrder) {
  std::vector<std::string> order;
  std::vector<std::string> parents;
  TcvFeature* next = nullptr;
  TcvFeature* parent = nullptr;
  TcvFeature* feature = FindFeature(*db->Features, "", &parent, &next);
  while (feature) {
    order.push_back(feature->ID);
    parents.push_back(parent ? parent->ID : "");
    if (!next) break;
    feature = FindFeature(*db->Features, next->ID, &parent, &next);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"a", "a1", "a1x", "a3", "a3x", "b", "b1", "c"}));
  EXPECT_EQ(parents, (std::vector<std::string>{"", "a", "a1", "a", "a3", "", "b", ""}));

  std::vector<std::string> walked;
  FeatureTreeWalk walk(*db->Features);
  while (TcvFeature* f = walk.Next()) walked.push_back(f->ID);
  EXPECT_EQ(walked, order);
}

TEST_F(FeatureSearch, FindsByIdIgnoringCase) {
  TcvFeature* next = nullptr;
  TcvFeature* parent = &F("c");  // stale values are overwritten
  EXPECT_EQ(FindFeature(*db->Features, "A1X", &parent, &next), &F("a1x"));
  EXPECT_EQ(parent, &F("a1"));
  EXPECT_EQ(next, &F("a3")) << "the next sibling of the nearest ancestor that has one";

  // A top-level result after a fruitless descent has no parent.
  EXPECT_EQ(FindFeature(*db->Features, "c", &parent, &next), &F("c"));
  EXPECT_EQ(parent, nullptr);
  EXPECT_EQ(next, nullptr) << "the last one: d's condition fails";

  EXPECT_EQ(FindFeature(*db->Features, "b", &parent, &next), &F("b"));
  EXPECT_EQ(next, &F("b1"));
  EXPECT_EQ(FindFeature(*db->Features, "a1", nullptr, &next), &F("a1"));
  EXPECT_EQ(next, &F("a1x"));
  EXPECT_EQ(FindFeature(*db->Features, "a1"), &F("a1")) << "both outputs are optional";
}

TEST_F(FeatureSearch, AFeatureWhoseConditionFailsHidesItsSubtree) {
  TcvFeature* next = &F("a");
  TcvFeature* parent = &F("a");
  for (const char* id : {"hidden", "h1", "a2", "a2x", "a1y", "d", "nothing"}) {
    EXPECT_EQ(FindFeature(*db->Features, id, &parent, &next), nullptr) << id;
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(parent, nullptr);
  }
  EXPECT_EQ(FindFeature(*db->Features, "a1x", &parent, &next), &F("a1x"));
  EXPECT_EQ(next, &F("a3")) << "a1y is skipped, a2 with its subtree too";
}

TEST_F(FeatureSearch, EmptyListsAndListsWithoutEnabledFeatures) {
  TcvFeature* next = &F("a");
  EXPECT_EQ(FindFeature(*F("c").Features, "", nullptr, &next), nullptr);
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(FindFeature(*F("hidden").Features, "", nullptr, &next), &F("h1"))
      << "a sub-list searched by itself";
  values["1"] = "0";
  F("a").Condition = F("b").Condition = F("c").Condition = "1";
  EXPECT_EQ(FindFeature(*db->Features, ""), nullptr);
  EXPECT_EQ(FirstEnabled(*db->Features, 0), nullptr);
}

TEST_F(FeatureSearch, FirstEnabledStartsAtAnIndex) {
  const TcvFeatures& top = *db->Features;  // hidden, a, b, c, d
  EXPECT_EQ(FirstEnabled(top, 0), &F("a"));
  EXPECT_EQ(FirstEnabled(top, -5), &F("a"));
  EXPECT_EQ(FirstEnabled(top, 2), &F("b"));
  EXPECT_EQ(FirstEnabled(top, 3), &F("c"));
  EXPECT_EQ(FirstEnabled(top, 4), nullptr);
  EXPECT_EQ(FirstEnabled(top, 99), nullptr);
}

TEST_F(FeatureSearch, TheWalkFollowsObjectsNotIds) {
  LoadFeatures(
      "<feature id='x'><features><feature id='y'><features><feature id='X'/>"
      "</features></feature></features></feature><feature id='z'/>");
  std::vector<std::string> walked;
  std::vector<std::string> parents;
  FeatureTreeWalk walk(*db->Features);
  while (TcvFeature* f = walk.Next()) {
    walked.push_back(f->ID);
    parents.push_back(walk.Parent() ? walk.Parent()->ID : "");
  }
  EXPECT_EQ(walked, (std::vector<std::string>{"x", "y", "X", "z"}));
  EXPECT_EQ(parents, (std::vector<std::string>{"", "x", "y", ""}));
}

// ---------------------------------------------------------------------------
// Install types

TEST_F(FeatureTest, FindTypeSkipsTypesWhoseConditionFails) {
  Load(
      "<installtypes><installtype id='off' condition='0'/><installtype id='typical'/>"
      "<installtype id='off2' condition='0'/><installtype id='full'/>"
      "<installtype id='off3' condition='0'/></installtypes>");
  const TcvInstallTypes& types = *db->InstallTypes;
  TcvInstallType* next = types.InstallType(0);
  EXPECT_EQ(FindType(types, "", &next), types.InstallType(1)) << "empty: the first that counts";
  EXPECT_EQ(next, types.InstallType(3));
  EXPECT_EQ(FindType(types, "FULL", &next), types.InstallType(3));
  EXPECT_EQ(next, nullptr) << "the types after it do not count";
  EXPECT_EQ(FindType(types, "off", &next), nullptr);
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(FindType(types, "none"), nullptr);

  values["0"] = "0";
  Load("<installtypes><installtype id='only' condition='0'/></installtypes>");
  EXPECT_EQ(FindType(*db->InstallTypes, ""), nullptr);
  Load("");
  EXPECT_EQ(FindType(*db->InstallTypes, "", &next), nullptr);
  EXPECT_EQ(next, nullptr);
}

class InstallTypeTest : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    Load(
        "<features>"
        "<feature id='core' required='1'/>"
        "<feature id='docs'><features><feature id='manual'/><feature id='samples'/></features>"
        "</feature>"
        "<feature id='tools'><depends><feature id='extra'/></depends></feature>"
        "<feature id='extra'/>"
        "<feature id='gated' condition='gate'/>"
        "</features>"
        "<installtypes>"
        "<installtype id='Typical'><features><feature id='docs'/><feature id='gated'/>"
        "</features></installtype>"
        "<installtype id='full'><features><feature id='docs'/><feature id='tools'/>"
        "</features></installtype>"
        "<installtype id='hidden' condition='0'/>"
        "</installtypes>");
    values["gate"] = "0";
    db->OnInstallTypeChange = [this](TcvInstallType& type) { typeChanges.push_back(type.ID); };
  }
  std::vector<std::string> All() { return {"core", "docs", "manual", "samples", "tools", "extra"}; }
  std::vector<std::string> typeChanges;
};

TEST_F(InstallTypeTest, SelectsExactlyTheTypesFeatures) {
  F("extra").Selected = true;
  EXPECT_TRUE(SetActiveInstallType(*db, "typical"));
  EXPECT_EQ(db->ActiveInstallType, "Typical") << "the type's own ID";
  EXPECT_EQ(db->InstallTypes->Active, db->InstallTypes->InstallType(0));
  EXPECT_EQ(Selected(All()), "coredocsmanualsamples--");
  EXPECT_FALSE(F("gated").Selected) << "a listed feature whose condition fails";
  EXPECT_EQ(typeChanges, (std::vector<std::string>{"Typical"}));

  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(Selected(All()), "coredocsmanualsamplestoolsextra");
  EXPECT_EQ(typeChanges, (std::vector<std::string>{"Typical", "full"}));
}

TEST_F(InstallTypeTest, ReportsFeatureChangesAndUpdatesParents) {
  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  RecordChanges();
  // The user's choice on 'docs' keeps it and its children as they are.
  db->UserFeatures.insert("docs");
  F("samples").Selected = false;
  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(FeatureState(F("docs")), 2) << "parents follow after the selection";
  EXPECT_EQ(changes,
            (std::vector<std::string>{"tools=0", "extra=0", "tools=1", "extra=1", "docs=2"}));

  db->UserFeatures.clear();
  changes.clear();
  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(changes, (std::vector<std::string>{"docs=0", "manual=0", "tools=0", "extra=0", "docs=1",
                                               "manual=1", "samples=1", "tools=1", "extra=1"}))
      << "a parent takes all its children";
}

TEST_F(InstallTypeTest, ListedFeaturesThatCannotBeFoundAreSkipped) {
  db->InstallTypes->InstallType(0)->Features->Feature(0)->ID = "missing";
  EXPECT_TRUE(SetActiveInstallType(*db, "Typical"));
  EXPECT_EQ(db->ActiveInstallType, "Typical");
  EXPECT_EQ(Selected(All()), "core-----");
  EXPECT_FALSE(F("gated").Selected);
  values["gate"] = "1";
  EXPECT_TRUE(SetActiveInstallType(*db, "Typical"));
  EXPECT_TRUE(F("gated").Selected);
}

TEST_F(InstallTypeTest, ChoicesMadeByPluginsLastUntilTheTypeChanges) {
  ASSERT_TRUE(SetActiveInstallType(*db, "full"));
  // A plug-in drops the tools and a sample; the engine records both.
  for (const char* id : {"tools", "samples"}) {
    ASSERT_TRUE(SetFeatureState(*db, id, false));
    db->UserFeatures.insert(id);
  }
  ASSERT_EQ(Selected(All()), "coredocsmanual--extra");

  EXPECT_TRUE(SetActiveInstallType(*db, "FULL")) << "the same type, named in another case";
  EXPECT_EQ(db->UserFeatures.size(), 2u);
  EXPECT_EQ(Selected(All()), "coredocsmanualsamples--")
      << "the sample comes back with its parent; extra came only with the tools";
  EXPECT_EQ(FeatureState(F("docs")), 1);
  db->UserFeatures.insert("docs");
  ASSERT_TRUE(SetFeatureState(*db, "samples", false));
  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(Selected(All()), "coredocsmanual---") << "a kept parent keeps its children";
  EXPECT_EQ(FeatureState(F("docs")), 2);

  // A request that fails forgets nothing.
  EXPECT_FALSE(SetActiveInstallType(*db, "nosuchtype"));
  EXPECT_FALSE(SetActiveInstallType(*db, "hidden"));
  EXPECT_EQ(db->ActiveInstallType, "full");
  EXPECT_EQ(db->InstallTypes->Active, db->InstallTypes->InstallType(1));
  EXPECT_EQ(db->UserFeatures.size(), 3u);
  EXPECT_EQ(typeChanges.size(), 3u);

  EXPECT_TRUE(SetActiveInstallType(*db, "Typical"));
  EXPECT_TRUE(db->UserFeatures.empty());
  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(Selected(All()), "coredocsmanualsamplestoolsextra");
}

TEST_F(InstallTypeTest, ConditionsAreEvaluatedOncePerOperation) {
  for (const char* id : {"core", "docs", "manual", "samples", "tools", "extra"}) {
    F(id).Condition = "1";
  }
  evaluationCount = 0;
  ASSERT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(evaluationCount, 7) << "six features and 'gated', each once";
  ExpectCachesOff(*db->Features);

  evaluationCount = 0;
  ASSERT_TRUE(SetFeatureState(*db, "manual", false));
  EXPECT_EQ(evaluationCount, 7);
  ExpectCachesOff(*db->Features);
}

TEST_F(InstallTypeTest, AFailedEvaluationLeavesNoCacheOn) {
  values["gate"] = "throw";
  EXPECT_THROW(SetActiveInstallType(*db, "Typical"), std::runtime_error);
  ExpectCachesOff(*db->Features);
  EXPECT_TRUE(typeChanges.empty());
  EXPECT_TRUE(F("core").Selected);

  values["gate"] = "0";
  EXPECT_TRUE(SetActiveInstallType(*db, "full"));
  EXPECT_EQ(Selected(All()), "coredocsmanualsamplestoolsextra");
  ExpectCachesOff(*db->Features);

  values["gate"] = "throw";
  EXPECT_THROW(SetFeatureState(*db, "gated", true), std::runtime_error);
  ExpectCachesOff(*db->Features);
}

TEST_F(InstallTypeTest, SetFeatureStateAnswersWhetherTheStateWasTaken) {
  EXPECT_TRUE(SetFeatureState(*db, "MANUAL", true));
  EXPECT_EQ(Selected(All()), "-docsmanual---");
  EXPECT_EQ(FeatureState(F("docs")), 2);
  EXPECT_TRUE(SetFeatureState(*db, "samples", true));
  EXPECT_EQ(FeatureState(F("docs")), 1);
  EXPECT_TRUE(SetFeatureState(*db, "tools", true));
  EXPECT_TRUE(F("extra").Selected);

  EXPECT_FALSE(SetFeatureState(*db, "core", false)) << "required";
  EXPECT_TRUE(F("core").Selected);
  EXPECT_FALSE(SetFeatureState(*db, "gated", true)) << "condition fails";
  EXPECT_FALSE(SetFeatureState(*db, "nothing", true));
  EXPECT_FALSE(SetFeatureState(*db, "", false)) << "the first feature, which is required";
  EXPECT_TRUE(F("core").Selected);
  F("core").Required = false;
  EXPECT_TRUE(SetFeatureState(*db, "", false));
  EXPECT_FALSE(F("core").Selected);
}

// ---------------------------------------------------------------------------
// Failures inside an operation

TEST_F(FeatureTest, AFailedSelectionLeavesNoExclusionsBehind) {
  LoadFeatures(
      "<feature id='a'><excepts><feature id='b'/></excepts>"
      "<depends><feature id='boom'/></depends></feature>"
      "<feature id='b'/><feature id='boom' condition='fail'/>");
  values["fail"] = "throw";
  EXPECT_THROW(SelectFeature(F("a"), true), std::runtime_error);
  EXPECT_TRUE(F("a").Selected) << "what was done stays done";

  values["fail"] = "1";
  SelectFeature(F("b"), true);
  EXPECT_TRUE(F("b").Selected) << "b is no longer excluded";
}

TEST_F(FeatureTest, AFailedSelectionRestoresRequiredFlags) {
  LoadFeatures(
      "<feature id='a'><excepts><feature id='b'/></excepts></feature>"
      "<feature id='b' required='1'/>"
      "<feature id='late' condition='fail'/>");
  SelectFeature(F("b"), true);
  // Deselecting b walks the tree for its dependants and meets 'late'.
  values["fail"] = "throw";
  EXPECT_THROW(SelectFeature(F("a"), true), std::runtime_error);
  EXPECT_TRUE(F("b").Required);
  EXPECT_FALSE(F("b").Selected);
}

TEST_F(FeatureTest, AFailedSizeComputationLeavesNoCountedComponents) {
  Load(
      "<components><component id='c' size='7'/></components>"
      "<features><feature id='a'><components><component id='c'/></components></feature>"
      "<feature id='boom' condition='fail'/></features>");
  values["fail"] = "throw";
  EXPECT_THROW(TotalSize(*db->Features, false), std::runtime_error);
  EXPECT_EQ(FeatureSize(F("a"), false), 7) << "c counts again in the next computation";
}

TEST_F(FeatureTest, ExclusionsBelongToTheirThread) {
  LoadFeatures("<feature id='a'><excepts><feature id='b'/></excepts></feature><feature id='b'/>");
  auto elsewhere = TcvMainDatabase::New();
  elsewhere->LoadFromString("<cv2project><features><feature id='b'/></features></cv2project>", "");
  bool selectedThere = false;
  int calls = 0;
  // While this thread's operation has b excluded, another thread selects a b
  // of its own.
  db->OnFeatureChange = [&](TcvFeature&) {
    ++calls;
    std::thread([&] {
      TcvFeature& b = *elsewhere->Features->Feature(0);
      SelectFeature(b, true);
      selectedThere = b.Selected;
    }).join();
  };
  SelectFeature(F("a"), true);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(selectedThere);
}

TEST_F(FeatureTest, TooDeepANestingFailsCleanly) {
  // A chain of dependencies longer than the nesting allows.
  std::string text;
  const int length = kMaxSelectionNesting + 10;
  for (int i = 0; i < length; ++i) {
    text += "<feature id='f" + std::to_string(i) + "'><depends><feature id='f" +
            std::to_string(i + 1) + "'/></depends></feature>";
  }
  LoadFeatures(text +
               "<feature id='x'><excepts><feature id='y'/></excepts></feature>"
               "<feature id='y' required='1'/>");
  EXPECT_THROW(SelectFeature(F("f0"), true), TcvSelectionNestingError);
  EXPECT_FALSE(F("f" + std::to_string(length - 1)).Selected);

  // Everything is back for the next operation.
  SelectFeature(F("y"), true);
  SelectFeature(F("x"), true);
  EXPECT_EQ(Selected({"x", "y"}), "x-");
  SelectFeature(F("y"), true);
  EXPECT_TRUE(F("y").Selected);
  SelectFeature(F("f" + std::to_string(length - 5)), true);
  EXPECT_TRUE(F("f" + std::to_string(length - 1)).Selected);
}

// ---------------------------------------------------------------------------
// Sizes

class FeatureSizeTest : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    Load(
        "<components><component id='c1' size='10'/><component id='c2' size='200'/>"
        "<component id='shared' size='3000'/><component id='off' size='40000' condition='0'/>"
        "</components>"
        "<features>"
        "<feature id='a'><components><component id='c1'/><component id='SHARED'/>"
        "<component id='off'/><component id='missing'/><component/></components>"
        "<features><feature id='a1'><components><component id='c2'/></components></feature>"
        "<feature id='a2' condition='0'><components><component id='c2'/></components>"
        "</feature></features></feature>"
        "<feature id='b'><components><component id='shared'/><component id='c2'/>"
        "</components></feature>"
        "<feature id='gone' condition='0'><components><component id='c1'/></components>"
        "</feature>"
        "</features>");
  }
};

TEST_F(FeatureSizeTest, CountsEachEnabledComponentOnce) {
  EXPECT_EQ(FeatureSize(F("a"), false), 3210) << "c1, shared and c2 through a1";
  EXPECT_EQ(FeatureSize(F("b"), false), 3200) << "a new computation counts again";
  EXPECT_EQ(TotalSize(*db->Features, false), 3210);
  EXPECT_EQ(FeatureSize(F("gone"), false), 0);
  EXPECT_EQ(FeatureSize(F("a2"), false), 0);
}

TEST_F(FeatureSizeTest, OnlySelectedFeaturesWhenAsked) {
  EXPECT_EQ(TotalSize(*db->Features, true), 0);
  SelectFeature(F("a"), true);
  SelectFeature(F("b"), true);
  SelectFeature(F("a1"), false);
  EXPECT_EQ(FeatureSize(F("a"), true), 3010);
  EXPECT_EQ(FeatureSize(F("a1"), true), 0);
  EXPECT_EQ(TotalSize(*db->Features, true), 3210) << "shared counts once, c2 through b";
  EXPECT_EQ(TotalSize(*F("a").Features, true), 0);
}

TEST_F(FeatureSizeTest, SumsStayWithinRange) {
  Load(
      "<components><component id='big' size='2000000000'/>"
      "<component id='huge' size='2000000000'/><component id='neg' size='-2000000000'/>"
      "<component id='neg2' size='-2000000000'/></components>"
      "<features><feature id='pos'><features>"
      "<feature id='a'><components><component id='big'/></components></feature>"
      "<feature id='b'><components><component id='huge'/></components></feature>"
      "</features></feature>"
      "<feature id='n'><components><component id='neg'/><component id='neg2'/></components>"
      "</feature></features>");
  EXPECT_EQ(FeatureSize(F("a"), false), 2000000000);
  EXPECT_EQ(FeatureSize(F("pos"), false), std::numeric_limits<std::int32_t>::max())
      << "not wrapped round into a negative size";
  EXPECT_EQ(TotalSize(*F("pos").Features, false), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(FeatureSize(F("n"), false), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(TotalSize(*db->Features, false), 0) << "the parts are not cut off on the way";
}

// ---------------------------------------------------------------------------
// Deep projects

std::string Chain(int levels, const std::string& extra) {
  std::string text;
  for (int i = 0; i < levels; ++i) {
    text += "<feature id='l" + std::to_string(i) + "'>" + extra + "<features>";
  }
  for (int i = 0; i < levels; ++i) text += "</features></feature>";
  return text;
}

TEST_F(FeatureTest, DeepTreesWork) {
  const int levels = 200;
  Load("<components><component id='c' size='5'/></components><features>" +
       Chain(levels, "<components><component id='c'/></components>") + "</features>");
  const std::string last = "l" + std::to_string(levels - 1);

  SelectFeature(F("l0"), true);
  EXPECT_TRUE(F(last).Selected);
  EXPECT_EQ(TotalSize(*db->Features, true), 5);

  TcvFeature* parent = nullptr;
  TcvFeature* next = &F("l0");
  EXPECT_EQ(FindFeature(*db->Features, last, &parent, &next), &F(last));
  EXPECT_EQ(parent, &F("l" + std::to_string(levels - 2)));
  EXPECT_EQ(next, nullptr);
  int walked = 0;
  for (FeatureTreeWalk walk(*db->Features); walk.Next();) ++walked;
  EXPECT_EQ(walked, levels);

  SelectFeature(F(last), false);
  EXPECT_EQ(UpdateStates(*db->Features), 2);
  EXPECT_EQ(FeatureState(F("l0")), 2);
  SelectFeature(F("l0"), false);
  EXPECT_FALSE(F(last).Selected);
}

TEST_F(FeatureTest, DeepTreesWithDependenciesWork) {
  const int levels = 200;
  // Each level needs the one below it; the deepest needs the top.
  std::string text;
  for (int i = 0; i < levels; ++i) {
    text += "<feature id='l" + std::to_string(i) + "'><depends><feature id='l" +
            std::to_string((i + 1) % levels) + "'/></depends><features>";
  }
  for (int i = 0; i < levels; ++i) text += "</features></feature>";
  LoadFeatures(text);
  const std::string last = "l" + std::to_string(levels - 1);

  SetFeature(F(last), true, false, false, false);
  for (int i = 0; i < levels; ++i) EXPECT_TRUE(F("l" + std::to_string(i)).Selected) << i;
  SetFeature(F(last), false, false, false, false);
  for (int i = 0; i < levels; ++i) EXPECT_FALSE(F("l" + std::to_string(i)).Selected) << i;
}

}  // namespace
}  // namespace cv
