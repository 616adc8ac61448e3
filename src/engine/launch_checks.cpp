#include "engine/launch_checks.h"

#include <charconv>
#include <vector>

#include "platform/case_map.h"
#include "platform/delimited_words.h"

namespace cv {

namespace {

std::vector<std::string> SystemWords(const SystemInfoRecord& system) {
  if (system.IsNT()) {
    std::vector<std::string> words{"NT"};
    if (system.Major == 4) words.push_back("NT4");
    if (system.Kind == WindowsKind::Win2000) words.push_back("2K");
    if (system.Kind == WindowsKind::WinXP) words.push_back("XP");
    if (system.Kind == WindowsKind::Win2003) words.push_back("2K3");
    return words;
  }
  if (system.Is9x()) {
    std::vector<std::string> words{"9X"};
    if (system.Kind == WindowsKind::Win95) words.push_back("95");
    if (system.Kind == WindowsKind::Win98) words.push_back("98");
    if (system.Kind == WindowsKind::WinMe) words.push_back("ME");
    return words;
  }
  return {};
}

// A version part: its number, or `fallback` when missing or not a number.
int PartOr(const std::vector<std::string>& parts, std::size_t index, int fallback) {
  if (index >= parts.size() || parts[index].empty()) return fallback;
  int value = 0;
  const std::string& text = parts[index];
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return fallback;
  return value;
}

}  // namespace

bool SupportedOsPasses(const std::string& supportedOs, const SystemInfoRecord& system) {
  const std::string list = CaseMapUpper(supportedOs);
  if (list.empty()) return true;
  for (const std::string& word : SystemWords(system)) {
    if (IsWordInList(word, list, ",", true)) return true;
  }
  return false;
}

bool MinOsVersionPasses(const std::string& minOsVersion, const SystemInfoRecord& system) {
  if (minOsVersion.empty()) return true;
  std::vector<std::string> parts;
  std::string part;
  for (char c : minOsVersion) {
    if (c == '.') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  const int major = PartOr(parts, 0, system.Major);
  const int minor = PartOr(parts, 1, system.Minor);
  const int build = PartOr(parts, 2, system.Build);
  if (major > system.Major) return false;
  if (major == system.Major && system.Minor < minor) return false;
  if (major == system.Major && minor == system.Minor && build > system.Build) return false;
  return true;
}

}  // namespace cv
