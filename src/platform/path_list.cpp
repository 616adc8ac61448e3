#include "platform/path_list.h"

#include <algorithm>
#include <set>

#include "platform/case_map.h"
#include "platform/trim.h"

namespace cv {

std::vector<std::string> PathListElements(std::string_view list,
                                          const AlternateSpelling& alternate) {
  std::vector<std::string> elements;
  std::set<std::string> seen;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    const std::string element(Trim(list.substr(start, end - start)));
    start = end + 1;
    if (element.empty()) continue;
    std::string other = alternate ? alternate(element) : std::string();
    if (seen.count(CaseMapUpper(element)) || (!other.empty() && seen.count(CaseMapUpper(other)))) {
      continue;
    }
    seen.insert(CaseMapUpper(element));
    if (!other.empty()) seen.insert(CaseMapUpper(other));
    elements.push_back(element);
  }
  return elements;
}

std::string JoinPathList(const std::vector<std::string>& elements) {
  std::string joined;
  for (const std::string& element : elements) {
    if (!joined.empty()) joined += ';';
    joined += element;
  }
  return joined;
}

std::string NormalizePathList(std::string_view list, const AlternateSpelling& alternate) {
  return JoinPathList(PathListElements(list, alternate));
}

std::string RemoveFromPathList(std::string_view list, std::string_view removed) {
  std::set<std::string> gone;
  for (const std::string& element : PathListElements(removed)) gone.insert(CaseMapUpper(element));
  std::vector<std::string> kept = PathListElements(list);
  kept.erase(std::remove_if(kept.begin(), kept.end(),
                            [&](const std::string& e) { return gone.count(CaseMapUpper(e)) > 0; }),
             kept.end());
  return JoinPathList(kept);
}

}  // namespace cv
