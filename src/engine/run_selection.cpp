#include "engine/run_selection.h"

#include "database/condition_object.h"
#include "database/feature_selection.h"
#include "database/variable_access.h"
#include "platform/case_map.h"
#include "platform/paths.h"

namespace cv {
namespace {

TcvComponent* FindComponent(const TcvComponents& components, std::string_view id) {
  for (int i = 0; i < components.Count(); ++i) {
    TcvComponent* component = components.Component(i);
    if (component && SameTextNoCase(component->ID(), id)) return component;
  }
  return nullptr;
}

TcvPackage* FindPackage(const TcvPackages& packages, std::string_view id) {
  for (int i = 0; i < packages.Count(); ++i) {
    TcvPackage* package = packages.Package(i);
    if (package && SameTextNoCase(package->ID, id)) return package;
  }
  return nullptr;
}

void Mark(TcvComponent& component) {
  component.Marked = true;
  component.Install = true;
}

}  // namespace

void SelectInstallTypeAndFeatures(TcvMainDatabase& database, const TcvSilentSettings& silent) {
  const TcvInstallTypes& types = *database.InstallTypes;
  if (types.Count() > 0) {
    std::string id = silent.ActiveInstallType;
    if (id.empty()) {
      const TcvInstallType* chosen = nullptr;
      for (int i = 0; i < types.Count() && !chosen; ++i) {
        const TcvInstallType* type = types.InstallType(i);
        if (type && type->Default && IsEnabled(*type)) chosen = type;
      }
      if (!chosen) chosen = types.InstallType(0);
      if (chosen) id = chosen->ID;
    }
    SetActiveInstallType(database, id);
  } else {
    FeatureTreeWalk walk(*database.Features);
    while (TcvFeature* feature = walk.Next()) {
      if (IsEnabled(*feature)) SelectFeature(*feature, true);
    }
  }
}

void SelectSilentFeatures(TcvMainDatabase& database, const TcvSilentSettings& silent) {
  if (!silent.Features) return;
  for (int i = 0; i < silent.Features->Count(); ++i) {
    const TcvFeature* feature = silent.Features->Feature(i);
    if (feature) SetFeatureState(database, feature->ID, true);
  }
}

void ApplyRepairSettings(TcvMainDatabase& database, const TcvSilentSettings& silent) {
  if (GetVarInt(&database, "SilentMode", 0) == 0) SetVarInt(&database, "SilentMode", 2);
  database.InstallTypes->Active = nullptr;
  const TcvInstallTypes& types = *database.InstallTypes;
  for (int i = 0; i < types.Count(); ++i) {
    TcvInstallType* type = types.InstallType(i);
    if (type && SameTextNoCase(type->ID, silent.ActiveInstallType)) {
      database.InstallTypes->Active = type;
      database.ActiveInstallType = type->ID;
      break;
    }
  }
  SelectSilentFeatures(database, silent);
}

void RestoreActiveInstallType(TcvMainDatabase& database) {
  database.InstallTypes->Active = nullptr;
  const TcvInstallTypes& types = *database.InstallTypes;
  for (int i = 0; i < types.Count(); ++i) {
    TcvInstallType* type = types.InstallType(i);
    if (type && SameTextNoCase(type->ID, database.ActiveInstallType)) {
      database.InstallTypes->Active = type;
      return;
    }
  }
}

void ReactivateInstallType(TcvMainDatabase& database) {
  if (!database.ActiveInstallType.empty()) {
    SetActiveInstallType(database, database.ActiveInstallType);
  }
}

bool FailedLaunchCondition(TcvMainDatabase& database, std::string& message) {
  const TcvLaunchConditions& conditions = *database.LaunchConditions;
  for (int i = 0; i < conditions.Count(); ++i) {
    const TcvLaunchCondition* condition = conditions.LaunchCondition(i);
    if (condition && !IsEnabled(*condition)) {
      message = condition->Msg;
      return true;
    }
  }
  return false;
}

bool MarkComponentsToInstall(TcvMainDatabase& database, const std::string& setupFileName,
                             std::string& missing) {
  TcvComponents& components = *database.Components;
  if (database.Features->Count() > 0) {
    FeatureTreeWalk walk(*database.Features);
    while (const TcvFeature* feature = walk.Next()) {
      if (!feature->Selected || !feature->Components) continue;
      for (int i = 0; i < feature->Components->Count(); ++i) {
        const TcvComponent* reference = feature->Components->Component(i);
        if (!reference) continue;
        TcvComponent* component = FindComponent(components, reference->ID());
        if (!component) {
          missing = reference->ID();
          return false;
        }
        if (IsEnabled(*component)) Mark(*component);
      }
    }
  } else {
    for (int i = 0; i < components.Count(); ++i) {
      TcvComponent* component = components.Component(i);
      if (component && IsEnabled(*component)) Mark(*component);
    }
  }
  const std::string ownPackage = ChangeExtension(ExtractFileName(setupFileName), "");
  for (int i = components.Count() - 1; i >= 0; --i) {
    TcvComponent* component = components.Component(i);
    if (component && component->Marked) {
      if (component->Package.empty()) component->Package = ownPackage;
    } else {
      components.Delete(i);
    }
  }
  return true;
}

bool AssignComponentPackages(TcvMainDatabase& database, std::string& missing) {
  TcvPackages& packages = *database.Packages;
  const TcvComponents& components = *database.Components;
  for (int i = 0; i < components.Count(); ++i) {
    const TcvComponent* component = components.Component(i);
    if (!component) continue;
    TcvPackage* package = FindPackage(packages, component->Package);
    if (!package) {
      missing = component->Package;
      return false;
    }
    package->Needed = true;
  }
  for (int i = packages.Count() - 1; i >= 1; --i) {
    const TcvPackage* package = packages.Package(i);
    if (!package || !package->Needed) packages.Delete(i);
  }
  return true;
}

void TakeOverPackageComponents(TcvMainDatabase& database) {
  const TcvComponents& components = *database.Components;
  for (int i = 0; i < components.Count(); ++i) {
    TcvComponent* component = components.Component(i);
    if (!component) continue;
    const TcvPackage* package = FindPackage(*database.Packages, component->Package);
    if (!package || !package->Components) continue;
    TcvComponent* full = FindComponent(*package->Components, component->ID());
    if (!full) continue;
    full->Package = component->Package;
    // The run-time marks are no part of a definition.
    const bool marked = component->Marked;
    const bool install = component->Install;
    component->Assign(*full);
    component->Marked = marked;
    component->Install = install;
  }
}

void SetFileDestinations(TcvMainDatabase& database) {
  const TcvComponents& components = *database.Components;
  for (int i = 0; i < components.Count(); ++i) {
    const TcvComponent* component = components.Component(i);
    if (!component || !component->Files) continue;
    const std::string folder =
        component->Dst.empty() ? std::string("%InstallPath%") : ExcludeBackslash(component->Dst);
    for (int j = 0; j < component->Files->Count(); ++j) {
      TcvFile* file = component->Files->ItemAs<TcvFile>(j);
      if (file) file->Dst = folder + "\\" + file->Dst;
    }
  }
}

}  // namespace cv
