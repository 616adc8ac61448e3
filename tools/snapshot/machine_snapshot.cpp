#include "machine_snapshot.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/case_map.h"
#include "platform/file_io.h"

namespace cv::snapshot {

namespace {

constexpr std::uint64_t kDigestLimit = 1u << 20;

std::string Hex(const BYTE* data, DWORD size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(size * 2);
  for (DWORD i = 0; i < size; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 15];
  }
  return text;
}

// FNV-1a over the file's bytes: enough to see that content changed.
std::string Digest(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return "unreadable";
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_DWORD: return "REG_DWORD";
    case REG_BINARY: return "REG_BINARY";
    case REG_QWORD: return "REG_QWORD";
    case REG_NONE: return "REG_NONE";
    default: return "REG_OTHER";
  }
}

// A value as "TYPE hexbytes", and readable for the string kinds.
std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
  std::string text = std::string(TypeName(type)) + " " + Hex(data, size);
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
    std::string readable(reinterpret_cast<const char*>(data), size);
    std::replace(readable.begin(), readable.end(), '\0', '|');
    text += " \"" + readable + "\"";
  } else if (type == REG_DWORD && size == 4) {
    text += " " + std::to_string(*reinterpret_cast<const DWORD*>(data));
  }
  return text;
}

}  // namespace

void MachineSnapshot::Exclude(const std::string& namePrefix) { excluded_.push_back(CaseMapUpper(namePrefix)); }

bool MachineSnapshot::Excluded(const std::string& name) const {
  const std::string upper = CaseMapUpper(name);
  return std::any_of(excluded_.begin(), excluded_.end(),
                     [&](const std::string& prefix) { return upper.rfind(prefix, 0) == 0; });
}

void MachineSnapshot::AddKey(HKEY key, const std::string& name) {
  const std::string keyName = "REG " + name + "\\";
  if (Excluded(keyName)) return;
  entries_[keyName] = "";
  std::vector<char> valueName(32768);
  std::vector<BYTE> data(1 << 16);
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = static_cast<DWORD>(valueName.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG status = RegEnumValueA(key, index, valueName.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    if (status == ERROR_MORE_DATA) {
      data.resize(dataSize + 1);
      nameSize = static_cast<DWORD>(valueName.size());
      dataSize = static_cast<DWORD>(data.size());
      status = RegEnumValueA(key, index, valueName.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    }
    if (status != ERROR_SUCCESS) break;
    const std::string entry = keyName + "\\" + std::string(valueName.data(), nameSize);
    if (!Excluded(entry)) entries_[entry] = ValueText(type, data.data(), dataSize);
  }
  std::vector<std::string> subkeys;
  for (DWORD index = 0;; ++index) {
    char subName[256];
    DWORD subSize = sizeof subName;
    if (RegEnumKeyExA(key, index, subName, &subSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(subName, subSize);
  }
  for (const std::string& sub : subkeys) {
    HKEY child = nullptr;
    if (RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
      AddKey(child, name + "\\" + sub);
      RegCloseKey(child);
    }
  }
}

void MachineSnapshot::AddRegistry(HKEY root, const std::string& rootName, const std::string& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  AddKey(key, subkey.empty() ? rootName : rootName + "\\" + subkey);
  RegCloseKey(key);
}

void MachineSnapshot::AddTree(const std::string& folder) {
  if (Excluded("DIR " + folder)) return;
  entries_["DIR " + folder] = "";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<WIN32_FIND_DATAA> children;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") children.push_back(found);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const WIN32_FIND_DATAA& child : children) {
    const std::string path = folder + child.cFileName;
    if (child.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A junction is described, never followed.
      if (child.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        entries_["DIR " + path + "\\"] = "junction";
      } else {
        AddTree(path + "\\");
      }
      continue;
    }
    if (Excluded("FILE " + path)) continue;
    const std::uint64_t size = (static_cast<std::uint64_t>(child.nFileSizeHigh) << 32) | child.nFileSizeLow;
    const std::uint64_t written =
        (static_cast<std::uint64_t>(child.ftLastWriteTime.dwHighDateTime) << 32) |
        child.ftLastWriteTime.dwLowDateTime;
    // The bytes decide; a large file is known by its time instead, which
    // only a writer changes.
    char text[96];
    std::snprintf(text, sizeof text, "%llu bytes, attributes %lx, ", static_cast<unsigned long long>(size),
                  static_cast<unsigned long>(child.dwFileAttributes));
    entries_["FILE " + path] =
        text + (size <= kDigestLimit ? "digest " + Digest(path) : "written " + std::to_string(written));
  }
}

void MachineSnapshot::AddFolder(const std::string& folder) {
  AddTree(!folder.empty() && folder.back() == '\\' ? folder : folder + "\\");
}

std::vector<Difference> MachineSnapshot::DifferencesTo(const MachineSnapshot& later) const {
  std::vector<Difference> differences;
  const auto excluded = [&](const std::string& name) { return Excluded(name) || later.Excluded(name); };
  for (const auto& [name, value] : entries_) {
    if (excluded(name)) continue;
    const auto found = later.entries_.find(name);
    if (found == later.entries_.end()) {
      differences.push_back({"removed", name, value});
    } else if (found->second != value) {
      differences.push_back({"changed", name, value + " -> " + found->second});
    }
  }
  for (const auto& [name, value] : later.entries_) {
    if (!excluded(name) && !entries_.count(name)) differences.push_back({"added", name, value});
  }
  return differences;
}

bool MachineSnapshot::Save(const std::string& file) const {
  std::string text;
  for (const auto& [name, value] : entries_) text += name + '\t' + value + '\n';
  return WriteWholeFile(file, text);
}

bool MachineSnapshot::Load(const std::string& file) {
  std::string text;
  if (!ReadWholeFile(file, text)) return false;
  entries_.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    entries_[line.substr(0, tab)] = line.substr(tab + 1);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

MachineSnapshot TakeMachineSnapshot(const std::vector<std::string>& alsoExclude) {
  MachineSnapshot snapshot;
  // What Wine, the window system and every process's start touch by
  // themselves.
  for (const char* prefix :
       {"REG HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
        "REG HKLM\\Software\\Wine", "REG HKCU\\Software\\Wine", "REG HKLM\\Hardware",
        "REG HKLM\\System\\CurrentControlSet\\Services\\",
        "REG HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
        "REG HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib",
        "REG HKLM\\System\\CurrentControlSet\\Control\\ServiceCurrent",
        "REG HKLM\\System\\CurrentControlSet\\Control\\Video", "REG HKCU\\Console",
        // The display's devices, set up by the first window of a session.
        "REG HKLM\\System\\CurrentControlSet\\Control\\Class\\",
        "REG HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses\\",
        "REG HKLM\\System\\CurrentControlSet\\Hardware Profiles\\"}) {
    snapshot.Exclude(prefix);
  }
  for (const std::string& prefix : alsoExclude) snapshot.Exclude(prefix);
  snapshot.AddRegistry(HKEY_LOCAL_MACHINE, "HKLM");
  snapshot.AddRegistry(HKEY_CURRENT_USER, "HKCU");
  snapshot.AddFolder("C:\\");
  return snapshot;
}

namespace {

// "12 bytes, attributes 20, digest ..." gives "12 bytes"; "REG_SZ 41.. "A|""
// gives "REG_SZ A"; "REG_DWORD 2A000000 42" gives "REG_DWORD 42".
std::string BriefState(const std::string& state) {
  if (state.find(" bytes, ") != std::string::npos) return state.substr(0, state.find(','));
  const std::size_t space = state.find(' ');
  if (state.rfind("REG_", 0) != 0 || space == std::string::npos) return state;
  const std::string type = state.substr(0, space);
  const std::size_t quote = state.find(" \"");
  if (quote != std::string::npos) {
    std::string text = state.substr(quote + 2, state.size() - quote - 3);
    while (!text.empty() && text.back() == '|') text.pop_back();
    return type + " " + text;
  }
  const std::size_t number = state.find(' ', space + 1);
  return number == std::string::npos ? state : type + state.substr(number);
}

}  // namespace

std::string DescribeDifferences(const std::vector<Difference>& differences, bool brief) {
  std::string text;
  for (const Difference& d : differences) {
    std::string detail = d.Detail;
    if (brief) {
      const std::size_t arrow = detail.find(" -> ");
      detail = arrow == std::string::npos
                   ? BriefState(detail)
                   : BriefState(detail.substr(0, arrow)) + " -> " + BriefState(detail.substr(arrow + 4));
    }
    text += d.Kind + " " + d.Name + (detail.empty() ? "" : ": " + detail) + "\n";
  }
  return text;
}

}  // namespace cv::snapshot
