// The ini loader on arbitrary bytes: every option combination (chosen by the
// first byte), then every reader and the write-back text on what was loaded.
// Nothing touches a file: the object has no file name and the bytes are
// loaded from memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned options = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  cv::TkeIniFile ini("", (options & 1) != 0, (options & 2) != 0, (options & 4) != 0,
                     (options & 8) != 0, (options & 16) != 0);
  ini.LoadText(bytes);

  std::vector<std::string> sections;
  ini.ReadSections(sections);
  for (const std::string& section : sections) {
    std::vector<std::string> names;
    ini.ReadSection(section, names);
    for (const std::string& name : names) {
      (void)ini.ReadString(section, name, "");
      (void)ini.ReadInteger(section, name, 0);
    }
    std::vector<std::string> values{"fallback=1"};
    ini.ReadSectionValues(section, values);
  }
  std::vector<std::string> lines;
  ini.GetStrings(lines);
  if (!sections.empty()) {
    ini.WriteString(sections.front(), "Key", "Value");
    ini.DeleteKey(sections.back(), "Key");
    ini.EraseSection(sections.back());
  }
  ini.UpdateFile();
  return 0;
}
