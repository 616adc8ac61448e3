#include "platform/ini_cache.h"

#include "platform/locale_text.h"

namespace cv {

namespace {

std::unique_ptr<TkeIniFile> OpenCached(const std::string& file, bool readOnly) {
  try {
    return TkeIniFile::CreateWithOptions(file, /*stripQuotes=*/false, /*trimAroundEquals=*/true,
                                         /*skipNoEquals=*/true, /*skipComments=*/true, readOnly);
  } catch (const EInOutError&) {
    return nullptr;
  }
}

}  // namespace

TkeIniFile* IniCache::Lookup(const std::string& file, bool readOnly) {
  const std::string key = UpperCaseLocale(file);
  auto found = entries_.find(key);
  if (found != entries_.end() && found->second.ReadOnly && !readOnly) {
    // A write needs the file open for writing: reopen it so.
    entries_.erase(found);
    found = entries_.end();
  }
  if (found != entries_.end()) return found->second.Ini.get();
  std::unique_ptr<TkeIniFile> ini = OpenCached(file, readOnly);
  if (!ini) return nullptr;
  TkeIniFile* result = ini.get();
  entries_[key] = Entry{std::move(ini), readOnly};
  return result;
}

void IniCache::Flush() {
  // Each object writes its changes as it is freed.
  entries_.clear();
}

void IniCache::Drop(const std::string& file) { entries_.erase(UpperCaseLocale(file)); }

IniCache& TheIniCache() {
  static IniCache cache;
  return cache;
}

std::string IniReadValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) {
  TkeIniFile* ini = TheIniCache().Lookup(file, true);
  return ini ? ini->ReadString(section, key, defaultValue) : defaultValue;
}

bool IniWriteValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
  // A file that cannot be opened for writing is reported, not passed off as
  // written.
  TkeIniFile* ini = TheIniCache().Lookup(file, false);
  if (!ini) return false;
  ini->WriteString(section, key, value);
  return true;
}

bool IniAppendValue(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  TkeIniFile* ini = TheIniCache().Lookup(file, false);
  if (!ini) return false;
  ini->AppendMode = true;
  ini->WriteString(section, key, value);
  ini->AppendMode = false;
  return true;
}

void IniDeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  if (TkeIniFile* ini = TheIniCache().Lookup(file, false)) ini->DeleteKey(section, key);
}

void IniReadSectionKeys(const std::string& file, const std::string& section,
                        std::vector<std::string>& list) {
  list.clear();
  if (TkeIniFile* ini = TheIniCache().Lookup(file, true)) ini->ReadSection(section, list);
}

void IniReadSection(const std::string& file, const std::string& section,
                    std::vector<std::string>& list) {
  list.clear();
  if (TkeIniFile* ini = TheIniCache().Lookup(file, true)) ini->ReadSectionValues(section, list);
}

void FlushIniCache() { TheIniCache().Flush(); }

void DropIniCache(const std::string& file) { TheIniCache().Drop(file); }

}  // namespace cv
