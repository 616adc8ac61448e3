#include "install/path_list.h"

#include <unordered_set>

#include "platform/case_map.h"
#include "platform/trim.h"

namespace cv {

std::string NormalizePathList(std::string_view list, const ShortPathForm& shortForm,
                              bool useShortNames) {
  std::unordered_set<std::string> seen;
  std::string result;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    const std::string element(Trim(list.substr(start, end - start)));
    start = end + 1;
    if (element.empty()) continue;
    const std::string shortName = shortForm ? shortForm(element) : element;
    const std::string longKey = CaseMapUpper(element);
    const std::string shortKey = CaseMapUpper(shortName);
    if (seen.count(longKey) || seen.count(shortKey)) continue;
    seen.insert(longKey);
    seen.insert(shortKey);
    result += useShortNames ? shortName : element;
    result += ';';
  }
  if (!result.empty()) result.pop_back();
  return result;
}

std::string AppendPathList(const std::string& current, const std::string& added,
                           const ShortPathForm& shortForm) {
  std::string whole = current;
  if (!whole.empty() && whole.back() != ';') whole += ';';
  whole += added;
  return NormalizePathList(whole, shortForm, false);
}

std::string RemoveFromPathList(std::string_view list, std::string_view removed) {
  std::unordered_set<std::string> gone;
  const std::string normalizedRemoved = NormalizePathList(removed, nullptr, false);
  std::size_t start = 0;
  while (start < normalizedRemoved.size()) {
    std::size_t end = normalizedRemoved.find(';', start);
    if (end == std::string::npos) end = normalizedRemoved.size();
    gone.insert(CaseMapUpper(normalizedRemoved.substr(start, end - start)));
    start = end + 1;
  }
  const std::string kept = NormalizePathList(list, nullptr, false);
  std::string result;
  start = 0;
  while (start < kept.size()) {
    std::size_t end = kept.find(';', start);
    if (end == std::string::npos) end = kept.size();
    const std::string element = kept.substr(start, end - start);
    start = end + 1;
    if (gone.count(CaseMapUpper(element))) continue;
    if (!result.empty()) result += ';';
    result += element;
  }
  return result;
}

}  // namespace cv
