#pragma once
// Ini files as the installation steps use them: one cached ini-file object
// per file, read-only until a write needs it, writing its changes back when
// it is dropped or the cache is flushed. Cached files keep the quotes around
// values, skip comments and lines without "=", and trim around "=".
// Failures never raise: reads give their default, writes answer false.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace cv {

class IniCache {
 public:
  // The cached object of `file` (a read-only one is reopened writable when
  // `readOnly` is false); null when the file cannot be opened.
  TkeIniFile* Lookup(const std::string& file, bool readOnly);
  // Frees every object (each writes its changes) and empties the cache.
  void Flush();
  // Frees the object of `file` (writing its changes).
  void Drop(const std::string& file);
  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    std::unique_ptr<TkeIniFile> Ini;
    bool ReadOnly = true;
  };
  // Keyed by the upper-cased file path.
  std::map<std::string, Entry> entries_;
};

// The process-wide cache, from start-up to shutdown.
IniCache& TheIniCache();

std::string IniReadValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue);
bool IniWriteValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);
// Adds key=value at the end of the section even when the key is there
// already (the cached object's append mode is on for this write only).
bool IniAppendValue(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
void IniDeleteKey(const std::string& file, const std::string& section, const std::string& key);
void IniReadSectionKeys(const std::string& file, const std::string& section,
                        std::vector<std::string>& list);
void IniReadSection(const std::string& file, const std::string& section,
                    std::vector<std::string>& list);
void FlushIniCache();
void DropIniCache(const std::string& file);

}  // namespace cv
