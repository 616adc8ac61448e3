#include "engine/language_list.h"

#include "platform/case_map.h"

namespace cv {

namespace {

std::size_t IndexOf(const std::vector<LanguageEntry>& list, const std::string& id) {
  const std::string wanted = CaseMapUpper(id);
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (CaseMapUpper(list[i].Id) == wanted) return i;
  }
  return list.size();
}

}  // namespace

void ApplyWindowsLanguageNames(std::vector<LanguageEntry>& list,
                               const std::vector<WindowsLanguage>& windowsLanguages) {
  for (const WindowsLanguage& language : windowsLanguages) {
    if (language.Abbreviation.empty()) continue;
    const std::string abbreviation = CaseMapUpper(language.Abbreviation);
    const std::size_t index = IndexOf(list, abbreviation);
    if (index < list.size()) list[index] = LanguageEntry{abbreviation, language.Name};
  }
}

std::size_t AutoSelectedLanguage(const std::vector<LanguageEntry>& list,
                                 const std::string& userLangId) {
  std::size_t index = IndexOf(list, userLangId);
  if (index == list.size()) index = IndexOf(list, "ENU");
  if (index == list.size()) index = 0;
  return index;
}

}  // namespace cv
