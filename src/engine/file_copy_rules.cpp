#include "engine/file_copy_rules.h"

#include "database/condition_object.h"
#include "engine/presetup_rules.h"
#include "platform/case_map.h"
#include "platform/paths.h"
#include "platform/wildcards.h"

namespace cv {

namespace {

constexpr std::string_view kDataPrefix = "data\\";

// A path without an extension in its file name gets "." appended, as the
// package builder stores such names.
std::string WithDotWhenNoExtension(std::string_view path) {
  const std::string name = ExtractFileName(path);
  std::string result(path);
  if (name.find('.') == std::string::npos) result += '.';
  return result;
}

TcvComponent* FindComponent(const TcvMainDatabase& database, std::string_view id) {
  for (int i = 0; i < database.Components->Count(); ++i) {
    TcvComponent* component = database.Components->Component(i);
    if (SameTextNoCase(component->ID(), id)) return component;
  }
  return nullptr;
}

bool Qualifies(const TcvFile& item, std::string_view relative, bool external) {
  if (item.Action != TcvInstallAction::add) return false;
  if (item.Flags.Contains(TcvFlag::external) != external) return false;
  if (SameTextNoCase(WithDotWhenNoExtension(item.Src), WithDotWhenNoExtension(relative))) {
    return true;
  }
  const std::string pattern = ExtractFileName(item.Src);
  if (!HasWildcards(pattern)) return false;
  const std::string folder = ExtractFolder(item.Src);
  const std::string memberFolder = ExtractFolder(relative);
  return MatchesMask(ExtractFileName(relative), pattern, true) &&
         memberFolder.size() >= folder.size() &&
         SameTextNoCase(std::string_view(memberFolder).substr(0, folder.size()), folder);
}

}  // namespace

FoundItem FindArchiveItem(const TcvMainDatabase& database, std::string_view memberName,
                          ItemSearch& search) {
  if (memberName.size() <= kDataPrefix.size() ||
      !SameTextNoCase(memberName.substr(0, kDataPrefix.size()), kDataPrefix)) {
    return {};
  }
  const std::string_view rest = memberName.substr(kDataPrefix.size());
  const std::size_t slash = rest.find('\\');
  if (slash == std::string_view::npos) return {};
  TcvComponent* component = FindComponent(database, rest.substr(0, slash));
  if (!component) return {};
  if (component != search.Component) {
    search.Component = component;
    search.Index = 0;
  }
  const std::string_view relative = rest.substr(slash + 1);
  const TcvFiles& files = *component->Files;
  for (int i = search.Index; i < files.Count(); ++i) {
    TcvFile* item = files.ItemAs<TcvFile>(i);
    if (Qualifies(*item, relative, false) && IsEnabled(*item)) {
      search.Index = i;
      return {component, item};
    }
  }
  return {};
}

std::string PathBelowPatternFolder(std::string_view source, std::string_view sourcePattern) {
  const std::string folder = ExtractFolder(sourcePattern);
  if (source.size() < folder.size() ||
      !SameTextNoCase(source.substr(0, folder.size()), folder)) {
    return {};
  }
  return std::string(source.substr(folder.size()));
}

std::optional<std::string> WildcardDestination(std::string_view resolvedDst,
                                               std::string_view relativePart) {
  // A folder-only entry ends in "." (the folder itself); the rest of its path
  // is checked like any other.
  std::string_view checked = relativePart;
  if (checked == ".") return ExtractFolder(resolvedDst) + ".";
  if (checked.size() >= 2 && checked.substr(checked.size() - 2) == "\\.") {
    checked.remove_suffix(2);
  }
  if (!IsContainedEntryName(checked)) return std::nullopt;
  return ExtractFolder(resolvedDst) + std::string(relativePart);
}

}  // namespace cv
