#include "databases.h"

#include "platform/case_map.h"

namespace cv::build {
namespace {

constexpr const char* kIdentityVariables[] = {"AppID", "AppName", "AppVersion", "CompanyName"};

template <typename T>
std::unique_ptr<T> CopyOf(const T& source, TXMLObject* owner) {
  std::unique_ptr<T> copy = T::New(owner);
  copy->Assign(static_cast<const TXMLObject&>(source));
  return copy;
}

std::string Serialise(const TXMLObject& object, std::string_view rootName) {
  TXMLTag root;
  root.SetName(rootName);
  object.AssignTo(root);
  return root.AsXML();
}

void CopyVariables(const TcvVariables& from, TcvVariables& to) {
  for (int i = 0; i < from.Count(); ++i) to.Add(CopyOf(*from.Variable(i), &to));
}

}  // namespace

std::string MainDatabaseXml(const Project& project, const ProjectPlan& plan,
                            const std::string& passwordCheck) {
  const TcvMainDatabase& source = project.Database();
  auto database = TcvMainDatabase::New();
  database->Version = source.Version;
  // The engine's own list starts with its two event variables; the project's
  // copies of them (if any) are not repeated.
  database->Variables->ClearItems();
  for (int i = 0; i < source.Variables->Count(); ++i) {
    const TcvVariable& variable = *source.Variables->Variable(i);
    if (SameTextNoCase(variable.Name, "EventParams") ||
        SameTextNoCase(variable.Name, "EventResult") ||
        SameTextNoCase(variable.Name, "PswCheckHash")) {
      continue;
    }
    database->Variables->Add(CopyOf(variable, database->Variables.get()));
  }
  if (!passwordCheck.empty()) {
    auto check = TcvVariable::New(database->Variables.get());
    check->Name = "PswCheckHash";
    check->Value = passwordCheck;
    database->Variables->Add(std::move(check));
  }
  for (const PackagePlan& package : plan.Packages) {
    if (package.Main) continue;
    auto entry = TcvPackage::New(database->Packages.get());
    entry->ID = package.Id;
    entry->FileName = package.FileName;
    database->Packages->Add(std::move(entry));
  }
  for (int i = 0; i < source.Components->Count(); ++i) {
    const TcvComponent& full = *source.Components->Component(i);
    auto component = TcvComponent::New(database->Components.get());
    component->SetID(full.ID());
    component->Name = full.Name;
    component->Package = full.Package;
    component->Size = full.Size;
    component->Condition = full.Condition;
    database->Components->Add(std::move(component));
  }
  database->Features = CopyOf(*source.Features, database.get());
  database->InstallTypes = CopyOf(*source.InstallTypes, database.get());
  database->LaunchConditions = CopyOf(*source.LaunchConditions, database.get());
  database->Events = CopyOf(*source.Events, database.get());
  return Serialise(*database, kProjectRootName);
}

std::string PackageDatabaseXml(const Project& project, const PackagePlan& package) {
  (void)project;
  auto database = TcvPackage::New();
  database->ID = package.Id;
  for (const TcvComponent* component : package.Components) {
    database->Components->Add(CopyOf(*component, database->Components.get()));
  }
  if (package.Entry) {
    database->Plugins = CopyOf(*package.Entry->Plugins, database.get());
    CopyVariables(*package.Entry->Variables, *database->Variables);
  }
  for (const FileInfoRecord& record : package.FileInfos) {
    auto info = TcvFileInfo::New(database->FileInfos.get());
    info->Name = record.Name;
    info->Size = record.Size;
    info->Version = record.Version;
    info->FontName = record.FontName;
    database->FileInfos->Add(std::move(info));
  }
  return Serialise(*database, "package");
}

std::string HeaderVariablesXml(const Project& project, const PackagePlan& package) {
  auto variables = TcvVariables::New();
  if (package.Main) {
    const TcvVariables& source = *project.Database().Variables;
    for (int i = 0; i < source.Count(); ++i) {
      const TcvVariable& variable = *source.Variable(i);
      const std::string marked = project.Attribute(variable, "header");
      bool identity = false;
      for (const char* name : kIdentityVariables) {
        identity = identity || SameTextNoCase(variable.Name, name);
      }
      // Identity variables only in their plain form: a registry, ini or
      // conditional value means nothing outside the target machine.
      identity = identity && variable.VarType == TcvVarType::vtNormal && variable.Condition.empty();
      if (marked == "1" || (identity && marked != "0")) {
        variables->Add(CopyOf(variable, variables.get()));
      }
    }
  }
  if (variables->Count() == 0) return {};
  return Serialise(*variables, "variables");
}

}  // namespace cv::build
