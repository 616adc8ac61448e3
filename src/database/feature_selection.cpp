#include "database/feature_selection.h"

#include <string>

#include "database/feature_scratch.h"
#include "database/main_database.h"
#include "database/model_navigation.h"
#include "platform/case_map.h"

namespace cv {

namespace {

using feature_detail::IdList;
using feature_detail::ScratchScope;

// IDs of the features excluded during the current selection operation.
thread_local IdList* exclusionList = nullptr;
// SetFeature calls currently running on this thread.
thread_local int selectionNesting = 0;

class NestingScope {
 public:
  NestingScope() {
    if (selectionNesting >= kMaxSelectionNesting) throw TcvSelectionNestingError();
    ++selectionNesting;
  }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;
  ~NestingScope() { --selectionNesting; }
};

// Lets an exclusion or a dependency deselect a required feature: the flag is
// lifted for the call and comes back however the call ends.
class RequiredLifted {
 public:
  explicit RequiredLifted(TcvFeature& feature) : feature_(feature), saved_(feature.Required) {
    feature_.Required = false;
  }
  RequiredLifted(const RequiredLifted&) = delete;
  RequiredLifted& operator=(const RequiredLifted&) = delete;
  ~RequiredLifted() { feature_.Required = saved_; }

 private:
  TcvFeature& feature_;
  bool saved_;
};

// Condition caching on a whole feature tree for one operation.
class CachedConditions {
 public:
  explicit CachedConditions(TcvFeatures& features) : features_(features) {
    features_.CacheConditions(true);
  }
  CachedConditions(const CachedConditions&) = delete;
  CachedConditions& operator=(const CachedConditions&) = delete;
  ~CachedConditions() { features_.CacheConditions(false); }

 private:
  TcvFeatures& features_;
};

// The feature a reference names, in the tree of `database` (an empty ID names
// the first enabled feature).
TcvFeature* Resolve(const TcvMainDatabase* database, const std::string& id) {
  if (!database || !database->Features) return nullptr;
  return FindFeature(*database->Features, id);
}

bool DependsOn(const TcvFeature& feature, const std::string& id) {
  if (!feature.Depends) return false;
  for (int i = 0; i < feature.Depends->Count(); ++i) {
    const TcvFeature* reference = feature.Depends->Feature(i);
    if (reference && SameTextNoCase(reference->ID, id)) return true;
  }
  return false;
}

bool HasComponents(const TcvFeature& feature) {
  return feature.Components && feature.Components->Count() > 0;
}

void Notify(TcvMainDatabase* database, TcvFeature& feature) {
  if (database && database->OnFeatureChange) database->OnFeatureChange(feature);
}

}  // namespace

TcvSelectionNestingError::TcvSelectionNestingError()
    : Error("Feature selection nests too deeply.") {}

int FeatureState(const TcvFeature& feature) {
  if (!feature.Selected) return kFeatureNotSelected;
  return feature.Partial ? kFeaturePartlySelected : kFeatureSelected;
}

void SetFeature(TcvFeature& feature, bool select, bool recurse, bool keepUserChoice, bool partial) {
  TcvMainDatabase* database = GetDatabase(&feature);
  if (keepUserChoice && database && database->UserFeatures.contains(feature.ID)) return;
  if (!IsEnabled(feature)) return;
  const NestingScope nesting;
  // Changes are reported against the state the feature had when the call
  // began, so a round trip caused by an exclusion below reports nothing more.
  const int before = FeatureState(feature);
  const ScratchScope exclusions(exclusionList, false);
  if (feature.Required) select = true;

  if (select) {
    // Excluded earlier in this operation: it stays as it is.
    if (exclusions.Ids().contains(feature.ID)) return;
    if (feature.Excepts) {
      for (int i = 0; i < feature.Excepts->Count(); ++i) {
        const TcvFeature* reference = feature.Excepts->Feature(i);
        TcvFeature* excepted = reference ? Resolve(database, reference->ID) : nullptr;
        if (!excepted) continue;
        exclusions.Ids().insert(excepted->ID);
        if (excepted->Selected) {
          const RequiredLifted lifted(*excepted);
          SelectFeature(*excepted, false);
        }
      }
    }
  }

  feature.Selected = select;
  feature.Partial = partial;
  if (FeatureState(feature) != before) Notify(database, feature);

  if (recurse && feature.Features) {
    // Checking or clearing a parent takes all its children with it, earlier
    // choices on the children included.
    for (int i = 0; i < feature.Features->Count(); ++i) {
      if (TcvFeature* sub = feature.Features->Feature(i)) SelectFeature(*sub, select);
    }
  }

  if (!select && database && database->Features) {
    // Every feature that depends on this one goes with it.
    FeatureTreeWalk walk(*database->Features);
    while (TcvFeature* other = walk.Next()) {
      if (other->ID == feature.ID || !other->Selected || !DependsOn(*other, feature.ID)) continue;
      const RequiredLifted lifted(*other);
      SelectFeature(*other, false);
    }
  }

  if (select && feature.Depends) {
    for (int i = 0; i < feature.Depends->Count(); ++i) {
      const TcvFeature* reference = feature.Depends->Feature(i);
      TcvFeature* needed = reference ? Resolve(database, reference->ID) : nullptr;
      if (needed && !needed->Selected) SelectFeature(*needed, true);
    }
  }
}

int UpdateFeatureState(TcvFeature& feature) {
  if (!IsEnabled(feature)) return kFeatureNotSelected;
  if (feature.Features && feature.Features->Count() > 0) {
    switch (UpdateStates(*feature.Features)) {
      case kFeatureSelected: SetFeature(feature, true, false, false, false); break;
      case kFeaturePartlySelected: SetFeature(feature, true, false, false, true); break;
      default:
        if (feature.Selected) {
          // Its own components keep it partly installed.
          if (HasComponents(feature)) {
            SetFeature(feature, true, false, false, true);
          } else {
            SetFeature(feature, false, false, false, false);
          }
        }
        break;
    }
  }
  return FeatureState(feature);
}

int UpdateStates(TcvFeatures& features) {
  bool any = false;
  int combined = kFeatureNotSelected;
  for (int i = 0; i < features.Count(); ++i) {
    TcvFeature* feature = features.Feature(i);
    if (!feature || !IsEnabled(*feature)) continue;
    const int state = UpdateFeatureState(*feature);
    if (!any) {
      combined = state;
      any = true;
    } else if (state != combined) {
      combined = kFeaturePartlySelected;
    }
  }
  return combined;
}

TcvFeature* FirstEnabled(const TcvFeatures& features, int start) {
  for (int i = start < 0 ? 0 : start; i < features.Count(); ++i) {
    TcvFeature* feature = features.Feature(i);
    if (feature && IsEnabled(*feature)) return feature;
  }
  return nullptr;
}

FeatureTreeWalk::FeatureTreeWalk(const TcvFeatures& root) { levels_.push_back({&root, -1}); }

TcvFeature* FeatureTreeWalk::Next() {
  // The sub-features of the feature returned last come first.
  if (current_ && current_->Features && current_->Features->Count() > 0) {
    levels_.push_back({current_->Features.get(), -1});
  }
  current_ = nullptr;
  while (!levels_.empty()) {
    Level& level = levels_.back();
    while (++level.Index < level.List->Count()) {
      TcvFeature* feature = level.List->Feature(level.Index);
      if (feature && IsEnabled(*feature)) {
        current_ = feature;
        return feature;
      }
    }
    levels_.pop_back();
  }
  return nullptr;
}

TcvFeature* FeatureTreeWalk::Parent() const {
  if (!current_ || levels_.empty()) return nullptr;
  return dynamic_cast<TcvFeature*>(levels_.back().List->Owner);
}

TcvFeature* FindFeature(const TcvFeatures& features, std::string_view id, TcvFeature** parentOut,
                        TcvFeature** nextOut) {
  if (parentOut) *parentOut = nullptr;
  if (nextOut) *nextOut = nullptr;
  FeatureTreeWalk walk(features);
  // The first feature the walk meets is the first one whose condition holds.
  for (TcvFeature* feature = walk.Next(); feature; feature = walk.Next()) {
    if (!id.empty() && !SameTextNoCase(feature->ID, id)) continue;
    if (parentOut) *parentOut = walk.Parent();
    if (nextOut) *nextOut = walk.Next();
    return feature;
  }
  return nullptr;
}

TcvInstallType* FirstEnabledType(const TcvInstallTypes& types, int start) {
  for (int i = start < 0 ? 0 : start; i < types.Count(); ++i) {
    TcvInstallType* type = types.InstallType(i);
    if (type && IsEnabled(*type)) return type;
  }
  return nullptr;
}

TcvInstallType* FindType(const TcvInstallTypes& types, std::string_view id,
                         TcvInstallType** nextOut) {
  if (nextOut) *nextOut = nullptr;
  std::string wanted(id);
  if (wanted.empty()) {
    const TcvInstallType* first = FirstEnabledType(types, 0);
    if (!first) return nullptr;
    wanted = first->ID;
  }
  for (int i = 0; i < types.Count(); ++i) {
    TcvInstallType* type = types.InstallType(i);
    if (!type || !SameTextNoCase(type->ID, wanted) || !IsEnabled(*type)) continue;
    if (nextOut) *nextOut = FirstEnabledType(types, i + 1);
    return type;
  }
  return nullptr;
}

bool SetActiveInstallType(TcvMainDatabase& database, std::string_view id) {
  if (!database.InstallTypes) return false;
  auto* type = dynamic_cast<TcvInstallType*>(database.InstallTypes->FindByID(id));
  if (!type || !IsEnabled(*type)) return false;

  // The user's choices belong to the type they were made under; a request
  // that fails above keeps them.
  if (type->ID != database.ActiveInstallType) database.UserFeatures.clear();
  database.InstallTypes->Active = type;
  database.ActiveInstallType = type->ID;

  if (database.Features) {
    TcvFeatures& features = *database.Features;
    const CachedConditions cached(features);
    for (int i = 0; i < features.Count(); ++i) {
      if (TcvFeature* feature = features.Feature(i)) SetFeature(*feature, false, true, true, false);
    }
    {
      // One exclusion list for all of the type's features, apart from any
      // operation this one runs inside.
      const ScratchScope exclusions(exclusionList, true);
      if (type->Features) {
        for (int i = 0; i < type->Features->Count(); ++i) {
          const TcvFeature* reference = type->Features->Feature(i);
          if (TcvFeature* feature = reference ? Resolve(&database, reference->ID) : nullptr) {
            SetFeature(*feature, true, true, true, false);
          }
        }
      }
    }
    UpdateStates(features);
  }

  if (database.OnInstallTypeChange) database.OnInstallTypeChange(*type);
  return true;
}

bool SetFeatureState(TcvMainDatabase& database, std::string_view id, bool select) {
  if (!database.Features) return false;
  const CachedConditions cached(*database.Features);
  TcvFeature* feature = FindFeature(*database.Features, id);
  if (!feature) return false;
  SelectFeature(*feature, select);
  UpdateStates(*database.Features);
  return feature->Selected == select;
}

}  // namespace cv
