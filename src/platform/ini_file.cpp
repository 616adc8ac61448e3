#include "platform/ini_file.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/locale_text.h"
#include "platform/name_value.h"
#include "platform/numbers.h"
#include "platform/trim.h"

namespace cv {

namespace {

bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

// The name part of a stored line when it has one (text before the first "=").
bool LineName(std::string_view line, std::string_view& name) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  name = line.substr(0, equals);
  return true;
}

}  // namespace

// --- TSectionList ---

std::int32_t TSectionList::Add(std::string name) {
  items_.push_back(Item{std::move(name), std::make_unique<TIniLines>()});
  return Count() - 1;
}

void TSectionList::Delete(std::int32_t index) {
  items_.erase(items_.begin() + index);
}

void TSectionList::Clear() { items_.clear(); }

std::int32_t TSectionList::IndexOf(std::string_view name) {
  const std::int32_t count = Count();
  const std::int32_t start = LastFound >= 0 && LastFound < count ? LastFound : 0;
  for (std::int32_t step = 0; step < count; ++step) {
    const std::int32_t index = (start + step) % count;
    if (SameTextLocale(items_[static_cast<std::size_t>(index)].name, name)) {
      LastFound = index;
      return index;
    }
  }
  return -1;
}

// --- TkeIniFile ---

TkeIniFile::TkeIniFile(const std::string& fileName, bool readOnly)
    : TkeIniFile(fileName, true, true, true, true, readOnly) {}

TkeIniFile::TkeIniFile(const std::string& fileName, bool stripQuotes, bool trimAroundEquals,
                       bool skipNoEquals, bool skipComments, bool readOnly)
    : ReadOnly(readOnly),
      SkipComments(skipComments),
      SkipNoEquals(skipNoEquals),
      TrimAroundEquals(trimAroundEquals),
      StripQuotes(stripQuotes) {
  SetFileName(fileName);
}

std::unique_ptr<TkeIniFile> TkeIniFile::Create(const std::string& fileName, bool readOnly) {
  return std::make_unique<TkeIniFile>(fileName, readOnly);
}

std::unique_ptr<TkeIniFile> TkeIniFile::CreateWithOptions(const std::string& fileName,
                                                          bool stripQuotes, bool trimAroundEquals,
                                                          bool skipNoEquals, bool skipComments,
                                                          bool readOnly) {
  return std::make_unique<TkeIniFile>(fileName, stripQuotes, trimAroundEquals, skipNoEquals,
                                      skipComments, readOnly);
}

TkeIniFile::~TkeIniFile() {
  UpdateFile();
  Handle.Close();
  ClearSections();
}

void TkeIniFile::SetFileName(const std::string& name) {
  UpdateFile();
  Handle.Close();
  ClearSections();
  // An empty name stays empty: it means "no file", not the Windows folder.
  FileName = IniFullFileName(name);
  if (!name.empty()) Load();
  // A load that dropped duplicate sections marks the object modified; the
  // file is only rewritten without them when something else changes too.
  Modified = false;
}

void TkeIniFile::Load() {
  CurrentSection = 0;
  Handle.Close();
  if (!IniPathExists(FileName)) return;
  std::string bytes;
  if (!Handle.Open(FileName, ReadOnly ? IniFileHandle::Mode::Read : IniFileHandle::Mode::ReadWrite) ||
      !Handle.ReadAll(bytes)) {
    Handle.Close();
    throw EInOutError("Cannot open file " + FileName);
  }
  AddLines(bytes);
  RemoveDuplicateSections();
  // Writable objects keep the file open, and so locked, for the write-back.
  if (ReadOnly) Handle.Close();
}

void TkeIniFile::LoadText(std::string_view bytes) {
  CurrentSection = 0;
  AddLines(bytes);
  RemoveDuplicateSections();
}

void TkeIniFile::AddLines(std::string_view bytes) {
  TIniLines* current = nullptr;  // lines before the first header are dropped
  std::string line;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    // A line ends at CR; LF bytes anywhere in it are removed, so a file with
    // LF-only line ends is one long line.
    std::size_t end = bytes.find('\r', begin);
    if (end == std::string_view::npos) end = bytes.size();
    line.clear();
    for (std::size_t i = begin; i < end; ++i) {
      if (bytes[i] != '\n') line.push_back(bytes[i]);
    }
    begin = end + 1;

    if (line == "\x1A") line.clear();  // the old end-of-file mark
    line = std::string(Trim(line));
    if (SkipComments && !line.empty() && line.front() == ';') line.clear();
    if (line.empty()) continue;

    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = &Sections.Lines(Sections.Add(line.substr(1, line.size() - 2)));
      continue;
    }

    if (TrimAroundEquals) {
      auto equals = line.find('=');
      if (equals != std::string::npos) {
        std::size_t first = equals;
        while (first > 0 && IsSpaceOrTab(line[first - 1])) --first;
        line.erase(first, equals - first);
        equals = first;
        if (equals > 0) {
          std::size_t last = equals + 1;
          while (last < line.size() && IsSpaceOrTab(line[last])) ++last;
          line.erase(equals + 1, last - equals - 1);
        }
      }
    }

    if (StripQuotes) {
      const auto equals = line.find('=');
      if (equals != std::string::npos && equals > 0 && line.size() - equals - 1 >= 2) {
        const char quote = line[equals + 1];
        if ((quote == '"' || quote == '\'') && line.back() == quote) {
          line.pop_back();
          line.erase(equals + 1, 1);
        }
      }
    }

    if (SkipNoEquals && line.find('=') == std::string::npos) continue;
    if (current != nullptr) current->push_back(line);
  }
}

void TkeIniFile::RemoveDuplicateSections() {
  // The first section of each name (case ignored) in file order stays.
  std::map<std::string, std::int32_t> firstOfName;
  std::vector<std::int32_t> later;
  for (std::int32_t index = 0; index < Sections.Count(); ++index) {
    if (!firstOfName.emplace(UpperCaseLocale(Sections.Name(index)), index).second) {
      later.push_back(index);
    }
  }
  for (auto it = later.rbegin(); it != later.rend(); ++it) Sections.Delete(*it);
  if (!later.empty()) {
    Sections.LastFound = 0;
    Modified = true;
  }
}

void TkeIniFile::ClearSections() {
  Sections.Clear();
  Sections.LastFound = 0;
}

std::int32_t TkeIniFile::FindKey(std::string_view section, std::string_view ident,
                                 TIniLines*& sectionLines, bool createSection) {
  sectionLines = nullptr;
  const std::int32_t count = Sections.Count();
  // After sections were erased CurrentSection may lie past the end; the
  // search then starts at the first section.
  std::int32_t index = CurrentSection >= 0 && CurrentSection < count ? CurrentSection : 0;
  bool found = false;
  for (std::int32_t step = 0; step < count; ++step) {
    if (SameTextLocale(Sections.Name(index), section)) {
      found = true;
      break;
    }
    index = (index + 1) % count;
  }
  if (count > 0) CurrentSection = index;
  if (!found) {
    if (createSection) {
      CurrentSection = Sections.Add(std::string(section));
      sectionLines = &Sections.Lines(CurrentSection);
    }
    return -1;
  }
  sectionLines = &Sections.Lines(index);
  for (std::size_t line = 0; line < sectionLines->size(); ++line) {
    std::string_view name;
    if (LineName((*sectionLines)[line], name) && SameTextLocale(name, ident)) {
      return static_cast<std::int32_t>(line);
    }
  }
  return -1;
}

std::string TkeIniFile::ReadString(std::string_view section, std::string_view ident,
                                   std::string_view defaultValue) {
  TIniLines* lines = nullptr;
  const std::int32_t index = FindKey(section, ident, lines, false);
  if (index < 0) return std::string(defaultValue);
  return ValueOf((*lines)[static_cast<std::size_t>(index)]);
}

void TkeIniFile::WriteString(std::string_view section, std::string_view ident,
                             std::string_view value) {
  if (ident.empty()) {
    if (!section.empty() || !value.empty()) {
      EraseSection(section);
    } else {
      UpdateFile();
    }
    return;
  }
  std::string line;
  line.reserve(ident.size() + 1 + value.size());
  line.append(ident).append("=").append(value);
  TIniLines* lines = nullptr;
  const std::int32_t found = FindKey(section, ident, lines, true);
  const std::int32_t index = AppendMode ? -1 : found;
  if (index < 0) {
    lines->push_back(std::move(line));
    Modified = true;
  } else if ((*lines)[static_cast<std::size_t>(index)] != line) {
    (*lines)[static_cast<std::size_t>(index)] = std::move(line);
    Modified = true;
  }
}

std::int32_t TkeIniFile::ReadInteger(std::string_view section, std::string_view ident,
                                     std::int32_t defaultValue) {
  std::string text = ReadString(section, ident, "");
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    // "0x1F" reads as "$1F": one character less in front.
    text.erase(0, 1);
    text[0] = '$';
  }
  return StrToIntDef(text, defaultValue);
}

void TkeIniFile::WriteInteger(std::string_view section, std::string_view ident,
                              std::int32_t value) {
  WriteString(section, ident, std::to_string(value));
}

bool TkeIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TkeIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TkeIniFile::ReadSection(std::string_view section, std::vector<std::string>& strings) {
  const std::int32_t index = Sections.IndexOf(section);
  if (index < 0) return;
  for (const std::string& line : Sections.Lines(index)) {
    std::string_view name;
    strings.emplace_back(LineName(line, name) ? name : std::string_view());
  }
}

void TkeIniFile::ReadSections(std::vector<std::string>& strings) {
  strings.clear();
  for (std::int32_t index = 0; index < Sections.Count(); ++index) {
    strings.push_back(Sections.Name(index));
  }
}

void TkeIniFile::ReadSectionValues(std::string_view section, std::vector<std::string>& strings) {
  const std::int32_t index = Sections.IndexOf(section);
  if (index < 0) return;
  const TIniLines& lines = Sections.Lines(index);
  std::vector<std::string> merged(lines.begin(), lines.end());
  for (std::string& fallback : strings) {
    std::string_view fallbackName;
    LineName(fallback, fallbackName);
    const bool present = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      std::string_view name;
      LineName(line, name);
      return SameTextLocale(name, fallbackName);
    });
    if (!present) merged.push_back(std::move(fallback));
  }
  strings = std::move(merged);
}

void TkeIniFile::WriteSectionValues(std::string_view section,
                                    const std::vector<std::string>& strings) {
  for (const std::string& line : strings) WriteString(section, NameOf(line), ValueOf(line));
}

void TkeIniFile::EraseSection(std::string_view section) {
  const std::int32_t index = Sections.IndexOf(section);
  if (index < 0) return;
  Sections.Delete(index);
  Sections.LastFound = 0;
  Modified = true;
}

void TkeIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  TIniLines* lines = nullptr;
  const std::int32_t index = FindKey(section, ident, lines, true);
  if (index < 0) return;
  Modified = true;
  lines->erase(lines->begin() + index);
}

void TkeIniFile::GetStrings(std::vector<std::string>& strings) {
  for (std::int32_t index = 0; index < Sections.Count(); ++index) {
    const TIniLines& lines = Sections.Lines(index);
    if (lines.empty()) continue;
    strings.push_back("[" + Sections.Name(index) + "]");
    strings.insert(strings.end(), lines.begin(), lines.end());
    strings.emplace_back();
  }
}

std::string TkeIniFile::FileText() const {
  std::string text;
  for (std::int32_t index = 0; index < Sections.Count(); ++index) {
    const TIniLines& lines = Sections.Lines(index);
    if (lines.empty()) continue;  // an empty section leaves no trace in the file
    text.append("[").append(Sections.Name(index)).append("]\r\n");
    for (const std::string& line : lines) text.append(line).append("\r\n");
    text.append("\r\n");
  }
  return text;
}

void TkeIniFile::UpdateFile() {
  if (!Modified) return;
  if (!FileName.empty() && !ReadOnly) {
    if (!Handle.IsOpen()) {
      IniCreateFolderOf(FileName);
      Handle.Open(FileName, IniFileHandle::Mode::ReadWrite);
    }
    // Write errors are not reported: the changes are simply lost.
    if (Handle.IsOpen()) Handle.Rewrite(FileText());
  }
  Modified = false;
}

}  // namespace cv
