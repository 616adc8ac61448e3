#include "machine_snapshot.h"

#include "temp_folder.h"

namespace cv::test {

namespace {

void AddKey(HKEY key, const std::string& name, std::map<std::string, std::string>& entries) {
  entries["REG " + name + "\\"] = "";
  char valueName[16384];
  BYTE data[65536];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof(valueName);
    DWORD dataSize = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    entries["REG " + name + "\\" + std::string(valueName, nameSize)] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  for (DWORD index = 0;; ++index) {
    char subName[256];
    DWORD subSize = sizeof(subName);
    if (RegEnumKeyExA(key, index, subName, &subSize, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    HKEY sub = nullptr;
    if (RegOpenKeyExA(key, subName, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      AddKey(sub, name + "\\" + std::string(subName, subSize), entries);
      RegCloseKey(sub);
    }
  }
}

void AddTree(const std::string& folder, std::map<std::string, std::string>& entries) {
  entries["DIR " + folder] = "";
  for (const std::string& name : FolderEntries(folder)) {
    const std::string path = folder + name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      AddTree(path + "\\", entries);
    } else {
      entries["FILE " + path] = ReadFileBytes(path);
    }
  }
}

}  // namespace

void MachineSnapshot::AddRegistry(HKEY root, const std::string& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  AddKey(key, subkey, entries_);
  RegCloseKey(key);
}

void MachineSnapshot::AddFolder(const std::string& folder) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\') path += '\\';
  AddTree(path, entries_);
}

std::vector<std::string> MachineSnapshot::DifferencesTo(const MachineSnapshot& later) const {
  std::vector<std::string> differences;
  for (const auto& [name, value] : entries_) {
    const auto found = later.entries_.find(name);
    if (found == later.entries_.end()) {
      differences.push_back("removed " + name);
    } else if (found->second != value) {
      differences.push_back("changed " + name);
    }
  }
  for (const auto& [name, value] : later.entries_) {
    if (!entries_.count(name)) differences.push_back("added " + name);
  }
  return differences;
}

}  // namespace cv::test
