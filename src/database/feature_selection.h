#pragma once
// Selecting features and install types: the state of a feature, selection
// with dependencies, exclusions, required features and sub-features, the
// tri-state of parents, and searching and walking the feature tree.
//
// Feature references (the items of a feature's Depends and Excepts, and of an
// install type's Features) carry only an ID. They are resolved in the tree of
// the database the referring object belongs to, among the features whose
// condition holds; a reference with an empty ID, or from an object outside a
// database, names nothing.

#include <string_view>
#include <vector>

#include "database/features.h"
#include "platform/error.h"

namespace cv {

class TcvMainDatabase;

// The states a feature reports to plug-ins and the main flow.
inline constexpr int kFeatureNotSelected = 0;
inline constexpr int kFeatureSelected = 1;
inline constexpr int kFeaturePartlySelected = 2;

int FeatureState(const TcvFeature& feature);

// Selects or deselects a feature. Selecting it also selects what it depends
// on and deselects what it excludes (even required features); deselecting it
// also deselects every selected feature that depends on it. A required
// feature is always selected. With `recurse` the sub-features follow it; with
// `keepUserChoice` a feature whose ID is among the database's UserFeatures is
// left as the user set it (sub-features included). The database's
// OnFeatureChange hears of every feature whose state changed; it may select
// and deselect, but must not add or remove features while it is called.
//
// A feature excluded once stays deselected until the outermost selection
// operation of this thread ends.
void SetFeature(TcvFeature& feature, bool select, bool recurse, bool keepUserChoice, bool partial);
inline void SelectFeature(TcvFeature& feature, bool select) {
  SetFeature(feature, select, true, false, false);
}

// Makes a parent's state follow its sub-features (bottom-up): all selected
// gives 1, some gives 2, none deselects it unless it has components of its
// own (then it stays partly selected). A feature without sub-features keeps
// its state; one whose condition fails answers 0. The result is the state
// afterwards.
int UpdateFeatureState(TcvFeature& feature);
// Updates every item whose condition holds; the combined state is their
// common state, 2 when they differ, 0 when no item counts.
int UpdateStates(TcvFeatures& features);

// The first item at `start` or later whose condition holds.
TcvFeature* FirstEnabled(const TcvFeatures& features, int start);

// Visits the features of a tree whose conditions hold in pre-order: a feature,
// then its sub-features, then its later siblings. A feature whose condition
// fails hides its sub-features. The walk follows the objects, not their IDs,
// so duplicate IDs cannot send it round in circles, and it needs no stack
// depth for deep trees. The tree must keep its shape while it is walked.
class FeatureTreeWalk {
 public:
  explicit FeatureTreeWalk(const TcvFeatures& root);
  // The next feature, or null at the end.
  TcvFeature* Next();
  // The feature whose sub-feature list held the feature Next returned last;
  // null when that list has no feature as its owner (the tree's top).
  TcvFeature* Parent() const;

 private:
  struct Level {
    const TcvFeatures* List;
    int Index;
  };
  std::vector<Level> levels_;
  TcvFeature* current_ = nullptr;
};

// The first feature in pre-order (see FeatureTreeWalk) whose ID equals `id`
// ignoring case; an empty `id` stands for the first feature whose condition
// holds. `nextOut` receives the feature after it in pre-order, `parentOut`
// the feature that owns the list it was found in; both receive null when
// there is none or nothing is found.
TcvFeature* FindFeature(const TcvFeatures& features, std::string_view id,
                        TcvFeature** parentOut = nullptr, TcvFeature** nextOut = nullptr);

// The first install type whose ID equals `id` ignoring case and whose
// condition holds; an empty `id` stands for the first type whose condition
// holds. `nextOut` receives the next type whose condition holds.
TcvInstallType* FirstEnabledType(const TcvInstallTypes& types, int start);
TcvInstallType* FindType(const TcvInstallTypes& types, std::string_view id,
                         TcvInstallType** nextOut = nullptr);

// Makes the type with that ID (ignoring case) the active one and selects
// exactly its features, keeping the choices of UserFeatures (forgotten when
// the type changes) and required features; then tells OnInstallTypeChange.
// False, and nothing changes, when there is no such type or its condition
// fails.
bool SetActiveInstallType(TcvMainDatabase& database, std::string_view id);

// Selects or deselects the feature with that ID (ignoring case; an empty ID
// names none) and brings the parents' states up to date. True when the
// feature's selection is now what was asked.
bool SetFeatureState(TcvMainDatabase& database, std::string_view id, bool select);

// Raised when a selection nests deeper than kMaxSelectionNesting calls (an
// endless chain of dependencies would otherwise exhaust the stack). Every
// operation on the way out restores what it set up; feature states changed
// until then stay changed.
class TcvSelectionNestingError : public Error {
 public:
  TcvSelectionNestingError();
};
inline constexpr int kMaxSelectionNesting = 2000;

}  // namespace cv
