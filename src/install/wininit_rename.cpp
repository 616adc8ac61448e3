#include "install/wininit_rename.h"

#include "platform/case_map.h"
#include "platform/trim.h"

namespace cv {

std::vector<std::string> WininitRenameEntries(std::string_view shortSource,
                                              std::string_view shortTarget) {
  if (shortTarget.empty()) return {"NUL=" + std::string(shortSource)};
  return {"NUL=" + std::string(shortTarget),
          std::string(shortTarget) + "=" + std::string(shortSource)};
}

std::vector<std::string> InsertWininitRenameEntries(const std::vector<std::string>& oldLines,
                                                    const std::vector<std::string>& entries) {
  std::vector<std::string> lines;
  bool inRename = false;
  bool inserted = false;
  const auto insert = [&] {
    lines.insert(lines.end(), entries.begin(), entries.end());
    inserted = true;
  };
  for (const std::string& raw : oldLines) {
    const std::string line(Trim(raw));
    if (line.empty()) {
      if (inRename && !inserted) insert();
      if (inserted) lines.push_back(line);
      continue;
    }
    const bool sectionHead = line.front() == '[' && line.back() == ']';
    // A following section without an empty line between still closes
    // [Rename]: entries placed later would land in the wrong section.
    if (sectionHead && inRename && !inserted) insert();
    if (sectionHead) inRename = SameTextNoCase(line, "[Rename]");
    lines.push_back(line);
  }
  if (!inserted) {
    if (!inRename) lines.emplace_back("[Rename]");
    insert();
  }
  return lines;
}

std::string RunOnceRenameName(std::string_view shortPath) {
  return "Rename " + std::string(shortPath);
}

std::string RunOnceRenameCommand(std::string_view shortPath, std::string_view longFileName) {
  return "command.com /c ren " + std::string(shortPath) + " \"" + std::string(longFileName) + "\"";
}

}  // namespace cv
