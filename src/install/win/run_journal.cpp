#include "install/win/run_journal.h"

#include <set>
#include <string_view>

#include "database/xml_tag.h"
#include "install/win/action_list.h"
#include "platform/case_map.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/win/file_system.h"
#include "platform/win/registry_path.h"

namespace cv {

namespace {

constexpr char kRunsKey[] = "HKCU\\Software\\Corvane\\Interrupted Runs";
constexpr char kProductKey[] = "HKCU\\Software\\Corvane";
constexpr char kJournalName[] = "RunJournal";
// The record is the action list's own document, written one action at a
// time; its first line tells a journal from any other file the registry
// entry might have come to name.
constexpr std::string_view kHeader = "<installactions>\r\n";

void ForgetRecord(const std::string& appId) {
  RegDeleteValuePath(kRunsKey, appId);
  if (RegDeleteKeyIfEmpty(kRunsKey)) RegDeleteKeyIfEmpty(kProductKey);
}

// The actions of a record whose writer died, perhaps in the middle of an
// action: what follows the last whole action is cut off.
bool LoadRecord(std::string text, TInstallActions& list) {
  if (!text.starts_with(kHeader)) return false;
  // Every action ends its line: what follows the last line end never got
  // written whole (the parser would take a half attribute for a whole one).
  text.resize(text.rfind('\n') + 1);
  while (text.size() > kHeader.size()) {
    try {
      list.LoadFromString(text, kInstallActionsRootName);
      return true;
    } catch (const TXMLParserError&) {
      const std::size_t lineEnd = text.rfind('\n', text.size() - 2);
      if (lineEnd == std::string::npos || lineEnd < kHeader.size() - 1) break;
      text.resize(lineEnd + 1);
    }
  }
  list.Clear();
  return true;
}

}  // namespace

bool RunJournal::Begin(const std::string& appId, const std::string& workFolder) {
  Close();
  if (appId.empty()) return false;
  const std::string path = workFolder + kJournalName;
  file_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  if (!WriteFile(file_, kHeader.data(), static_cast<DWORD>(kHeader.size()), &written, nullptr) ||
      !RegWriteString(kRunsKey, appId, path)) {
    Close();
    DeleteFileA(path.c_str());
    return false;
  }
  appId_ = appId;
  path_ = path;
  recorded_ = 0;
  size_ = kHeader.size();
  lastIndex_ = -1;
  return true;
}

void RunJournal::Record(const TInstallActions& list) {
  if (!Active()) return;
  if (recorded_ > list.Count()) recorded_ = list.Count();
  const int unwritten = recorded_;
  int lastIndex = -1;
  std::uint64_t lastStart = 0;
  std::string text;
  for (; recorded_ < list.Count(); ++recorded_) {
    const TInstallAction& action = *list.Action(recorded_);
    TXMLTag tag;
    tag.SetName(list.GetItemTagName(action.Class()));
    if (tag.Name().empty()) continue;
    action.AssignTo(tag);
    lastIndex = recorded_;
    lastStart = size_ + text.size();
    text += tag.AsXML();
    text += "\r\n";
  }
  if (text.empty()) return;
  DWORD written = 0;
  // The system keeps what was written when the process dies; only Windows
  // going down without a shutdown could lose the last actions.
  if (WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size()) {
    size_ += written;
    lastIndex_ = lastIndex;
    lastStart_ = lastStart;
    return;
  }
  // A full disk: a part of a line would hide every line after it from a
  // reader, so the record goes back to its last whole line, and these
  // actions are written again with the next ones.
  CutBackTo(size_);
  recorded_ = unwritten;
}

void RunJournal::Amend(const TInstallActions& list) {
  if (Active() && recorded_ == list.Count() && lastIndex_ == list.Count() - 1) {
    CutBackTo(lastStart_);
    recorded_ = lastIndex_;
    lastIndex_ = -1;
  }
  Record(list);
}

void RunJournal::CutBackTo(std::uint64_t size) {
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(file_, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file_);
  size_ = size;
}

void RunJournal::End() {
  if (!Active()) return;
  Close();
  DeleteFileA(path_.c_str());
  ForgetRecord(appId_);
}

void RunJournal::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

RunJournal& CurrentRunJournal() {
  static RunJournal journal;
  return journal;
}

void RecoverInterruptedRun(const std::string& appId,
                           const std::function<void(const std::string& folder)>& removeUnfinished) {
  if (appId.empty()) return;
  const std::string path = RegReadString(kRunsKey, appId, "");
  if (path.empty()) return;
  if (!SameTextNoCase(ExtractFileName(path), kJournalName)) {
    ForgetRecord(appId);
    return;
  }
  // A run that is still going holds its record open for writing.
  const HANDLE record = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (record == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_SHARING_VIOLATION) ForgetRecord(appId);
    return;
  }
  CloseHandle(record);
  std::string text;
  auto list = TInstallActions::New();
  if (!ReadWholeFile(path, text) || !LoadRecord(text, *list)) {
    ForgetRecord(appId);
    return;
  }
  std::set<std::string> folders;
  for (int i = 0; i < list->Count(); ++i) {
    if (const auto* file = dynamic_cast<const TInstallFile*>(list->Action(i))) {
      folders.insert(ExtractFolder(file->FileName));
    }
  }
  // Unfinished files first: the folders they lie in can then go with the
  // rollback of the folders the run made.
  for (const std::string& folder : folders) removeUnfinished(folder);
  RollbackAll(*list);
  DeleteTree(ExcludeBackslash(ExtractFolder(path)), true);
  ForgetRecord(appId);
}

}  // namespace cv
