#pragma once
// Windows-style ini files ("[Section]" header lines, each followed by
// "name=value" lines) read and written without the system's profile
// functions. The whole file is kept in memory as a list of sections, each a
// list of lines; a writable object keeps its file open and locked against
// other writers for its whole life and writes it back in one piece when it
// has been changed. Names are compared without regard to case (by the locale,
// locale_text.h) throughout.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/ini_file_handle.h"

namespace cv {

// The input/output error raised when an ini file cannot be opened.
class EInOutError : public Error {
 public:
  using Error::Error;
};

// The lines of one section, in file order, each as read after the clean-up.
using TIniLines = std::vector<std::string>;

// The sections of a file in file order: a name (as written between the
// brackets) with its own line list.
class TSectionList {
 public:
  // Where the next IndexOf starts looking. Callers that remove sections reset
  // it, since an index past the end would make every search start there.
  std::int32_t LastFound = 0;

  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  const std::string& Name(std::int32_t index) const { return items_[static_cast<std::size_t>(index)].name; }
  TIniLines& Lines(std::int32_t index) { return *items_[static_cast<std::size_t>(index)].lines; }
  const TIniLines& Lines(std::int32_t index) const { return *items_[static_cast<std::size_t>(index)].lines; }

  // Appends a section with no lines; its index.
  std::int32_t Add(std::string name);
  void Delete(std::int32_t index);
  void Clear();

  // Index of the section named `name` (case ignored), or -1. The search runs
  // from LastFound to the end, then from the start up to LastFound - 1, so a
  // run of look-ups of the same section costs one comparison each; a hit
  // becomes the new LastFound.
  std::int32_t IndexOf(std::string_view name);

 private:
  struct Item {
    std::string name;
    // Separately allocated, so line lists handed out stay put when sections
    // are added.
    std::unique_ptr<TIniLines> lines;
  };
  std::vector<Item> items_;
};

class TkeIniFile {
 public:
  // Create: all four line options on.
  explicit TkeIniFile(const std::string& fileName, bool readOnly = false);
  // CreateWithOptions.
  TkeIniFile(const std::string& fileName, bool stripQuotes, bool trimAroundEquals,
             bool skipNoEquals, bool skipComments, bool readOnly);
  static std::unique_ptr<TkeIniFile> Create(const std::string& fileName, bool readOnly);
  static std::unique_ptr<TkeIniFile> CreateWithOptions(const std::string& fileName,
                                                       bool stripQuotes, bool trimAroundEquals,
                                                       bool skipNoEquals, bool skipComments,
                                                       bool readOnly);
  TkeIniFile(const TkeIniFile&) = delete;
  TkeIniFile& operator=(const TkeIniFile&) = delete;
  // Writes pending changes back (errors are not reported) and closes the file.
  virtual ~TkeIniFile();

  // Writes pending changes of the current file, closes it, forgets its
  // sections and loads `name` (a bare name lives in the Windows folder,
  // IniFullFileName). An empty name loads nothing. Raises EInOutError when
  // the file exists but cannot be opened.
  void SetFileName(const std::string& name);

  // Reads the file into the sections (appending to those already held).
  // A missing file is no error: it is created on write-back. Raises
  // EInOutError "Cannot open file <name>" when the file cannot be opened.
  void Load();

  // Adds the sections held in `bytes`, read by the same rules as a file's
  // content (no file is touched; for checks of the loader on its own).
  void LoadText(std::string_view bytes);

  void ClearSections();

  // Looks for `section`, starting at CurrentSection and wrapping around, and
  // leaves CurrentSection where the search stopped. Found: `sectionLines` is
  // its line list and the result the index of the first line named `ident`,
  // or -1. Not found: with `createSection` an empty section is appended (and
  // becomes current) and handed out, else `sectionLines` is null; -1.
  std::int32_t FindKey(std::string_view section, std::string_view ident,
                       TIniLines*& sectionLines, bool createSection);

  virtual std::string ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue);
  virtual void WriteString(std::string_view section, std::string_view ident,
                           std::string_view value);
  virtual std::int32_t ReadInteger(std::string_view section, std::string_view ident,
                                   std::int32_t defaultValue);
  virtual void WriteInteger(std::string_view section, std::string_view ident, std::int32_t value);
  virtual bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue);
  virtual void WriteBool(std::string_view section, std::string_view ident, bool value);
  virtual void ReadSection(std::string_view section, std::vector<std::string>& strings);
  virtual void ReadSections(std::vector<std::string>& strings);
  virtual void ReadSectionValues(std::string_view section, std::vector<std::string>& strings);
  virtual void WriteSectionValues(std::string_view section, const std::vector<std::string>& strings);
  virtual void EraseSection(std::string_view section);
  virtual void DeleteKey(std::string_view section, std::string_view ident);
  virtual void GetStrings(std::vector<std::string>& strings);
  virtual void UpdateFile();

  std::string FileName;
  IniFileHandle Handle;
  bool Modified = false;
  TSectionList Sections;
  std::int32_t CurrentSection = 0;
  bool ReadOnly = false;
  bool SkipComments = true;
  bool SkipNoEquals = true;
  bool TrimAroundEquals = true;
  bool StripQuotes = true;
  // While set, WriteString adds its line at the end of the section without
  // looking for a line of the same name (lists that may name a key twice,
  // such as the install log's files and folders).
  bool AppendMode = false;

 private:
  void AddLines(std::string_view bytes);
  void RemoveDuplicateSections();
  std::string FileText() const;
};


}  // namespace cv
