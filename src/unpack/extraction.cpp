#include "unpack/extraction.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "unpack/buffered_file.h"
#include "unpack/cabinet_scan.h"

extern "C" {
#include <mspack.h>
// libmspack's own cabinet structures: which folders of a freshly opened
// cabinet continue from the previous cabinet of a set or into the next one.
#include <cab.h>
}

namespace cv::unpack {

// The routine table handed to libmspack, with the way back to its owner.
struct Extraction::System {
  mspack_system table;
  Extraction* owner;
};

// What libmspack holds as a file: a cabinet read out of its container, an
// output file, or an output that discards what is written.
struct Extraction::Handle {
  enum class Kind { Cabinet, Output, Discard };
  Extraction* owner = nullptr;
  Kind kind = Kind::Cabinet;
  std::unique_ptr<File> file;
  std::string path;
  std::int64_t base = 0;  // where the cabinet starts in its file
  // The file's position, kept here so that neither reads nor libmspack's
  // tell cost a call to the file system.
  std::int64_t position = 0;
  // Opened by libmspack's extract: the reads are data blocks, each header
  // (8 bytes) followed by its compressed payload.
  bool data = false;
  bool payloadNext = false;
};

namespace {

using Handle = Extraction::Handle;

Handle* AsHandle(mspack_file* file) { return reinterpret_cast<Handle*>(file); }
mspack_file* AsFile(Handle* handle) { return reinterpret_cast<mspack_file*>(handle); }

// Names are compared as Windows compares them: ASCII letters without regard
// to case.
std::string Folded(const std::string& text) {
  std::string folded = text;
  for (auto& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return folded;
}

// The text of a record buffer, or nothing when it holds no terminating zero.
bool BufferText(const char* buffer, std::size_t size, std::string& text) {
  const void* end = std::memchr(buffer, 0, size);
  if (!end) return false;
  text.assign(buffer, static_cast<const char*>(end));
  return true;
}

bool CopyToBuffer(const std::string& text, char* buffer, std::size_t size) {
  if (text.size() >= size) return false;
  std::memset(buffer, 0, size);
  std::memcpy(buffer, text.data(), text.size());
  return true;
}

// XOR over a buffer a machine word at a time (the compiler widens it
// further); the key is a local so that stores through the byte pointer
// cannot make it reload.
void Unscramble(std::uint8_t* bytes, std::size_t size, std::uint8_t key) {
  const std::uint64_t wide = 0x0101010101010101ull * key;
  std::size_t at = 0;
  for (; at + sizeof wide <= size; at += sizeof wide) {
    std::uint64_t word;
    std::memcpy(&word, bytes + at, sizeof word);
    word ^= wide;
    std::memcpy(bytes + at, &word, sizeof word);
  }
  for (; at < size; ++at) bytes[at] = static_cast<std::uint8_t>(bytes[at] ^ key);
}

mscabd_folder_p* Private(mscabd_folder* folder) { return reinterpret_cast<mscabd_folder_p*>(folder); }

mscabd_folder* LastFolder(mscabd_cabinet* cabinet) {
  mscabd_folder* folder = cabinet->folders;
  while (folder && folder->next) folder = folder->next;
  return folder;
}

// Whether the first folder of a cabinet just opened (not joined to others)
// is the rest of a folder of the previous cabinet; libmspack cannot extract
// any file of such a folder on its own.
bool ContinuesFromPrevious(mscabd_cabinet* cabinet) {
  return cabinet->folders && Private(cabinet->folders)->merge_prev != nullptr;
}

bool ContinuesIntoNext(mscabd_cabinet* cabinet) {
  mscabd_folder* last = LastFolder(cabinet);
  return last && Private(last)->merge_next != nullptr;
}

std::uint16_t DosDate(const mscabd_file* file) {
  return static_cast<std::uint16_t>(((file->date_y - 1980) << 9) | ((file->date_m & 0x0F) << 5) |
                                    (file->date_d & 0x1F));
}

std::uint16_t DosTime(const mscabd_file* file) {
  return static_cast<std::uint16_t>(((file->time_h & 0x1F) << 11) | ((file->time_m & 0x3F) << 5) |
                                    ((file->time_s >> 1) & 0x1F));
}

// libmspack's file routines. None of them lets an exception out.

mspack_file* SysOpen(mspack_system* self, const char* path, int mode) {
  try {
    Extraction::System* system = reinterpret_cast<Extraction::System*>(self);
    return AsFile(system->owner->OpenFileRoutine(path, mode));
  } catch (...) {
    return nullptr;
  }
}

void SysClose(mspack_file* file) {
  Handle* handle = AsHandle(file);
  handle->owner->CloseRoutine(handle);
}

int SysRead(mspack_file* file, void* buffer, int count) {
  try {
    Handle* handle = AsHandle(file);
    return handle->owner->ReadRoutine(*handle, buffer, count);
  } catch (...) {
    return -1;
  }
}

int SysWrite(mspack_file* file, void* data, int count) {
  try {
    Handle* handle = AsHandle(file);
    return handle->owner->WriteRoutine(*handle, data, count);
  } catch (...) {
    return -1;
  }
}

int SysSeek(mspack_file* file, off_t offset, int mode) {
  Handle* handle = AsHandle(file);
  if (!handle->file) return handle->kind == Handle::Kind::Discard ? 0 : -1;
  // Positions in a cabinet count from the cabinet's start in its file; every
  // seek is made absolute, so the kept position stays right.
  std::int64_t target = offset;
  switch (mode) {
    case MSPACK_SYS_SEEK_START:
      target += handle->base;
      break;
    case MSPACK_SYS_SEEK_CUR:
      target += handle->position;
      break;
    case MSPACK_SYS_SEEK_END: {
      if (!handle->file->Seek(0, SeekOrigin::End)) return -1;
      const std::int64_t end = handle->file->Tell();
      if (end < 0) return -1;
      target += end;
      break;
    }
    default:
      return -1;
  }
  if (target < handle->base) {
    // The file's own position may have moved (to its end); keep it where
    // the kept one says.
    handle->file->Seek(handle->position, SeekOrigin::Start);
    return -1;
  }
  if (!handle->file->Seek(target, SeekOrigin::Start)) {
    handle->file->Seek(handle->position, SeekOrigin::Start);
    return -1;
  }
  handle->position = target;
  if (mode == MSPACK_SYS_SEEK_START) handle->payloadNext = false;
  return 0;
}

off_t SysTell(mspack_file* file) {
  Handle* handle = AsHandle(file);
  if (!handle->file) return 0;
  return static_cast<off_t>(handle->position - handle->base);
}

void SysMessage(mspack_file*, const char*, ...) {}

void* SysAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }

void SysFree(void* memory) { std::free(memory); }

void SysCopy(void* source, void* target, size_t bytes) { std::memmove(target, source, bytes); }

}  // namespace

Extraction::Extraction(std::string container, std::int32_t cabinetIndex, bool scrambled,
                       FileSystem& fileSystem)
    : container_(std::move(container)),
      cabinetIndex_(cabinetIndex),
      key_(scrambled ? kScrambleKey : 0),
      fileSystem_(fileSystem),
      system_(std::make_unique<System>()) {
  mspack_system& table = system_->table;
  table.open = &SysOpen;
  table.close = &SysClose;
  table.read = &SysRead;
  table.write = &SysWrite;
  table.seek = &SysSeek;
  table.tell = &SysTell;
  table.message = &SysMessage;
  table.alloc = &SysAlloc;
  table.free = &SysFree;
  table.copy = &SysCopy;
  table.null_ptr = nullptr;
  system_->owner = this;
  decompressor_ = mspack_create_cab_decompressor(&table);
  // libmspack's default of 4 KiB cuts stored data into as many reads and
  // writes; a larger buffer makes each of them carry 16 times as much.
  if (decompressor_ &&
      decompressor_->set_param(decompressor_, MSCABD_PARAM_DECOMPBUF, kDecompressionBuffer) !=
          MSPACK_ERR_OK) {
    mspack_destroy_cab_decompressor(decompressor_);
    decompressor_ = nullptr;
  }
}

Extraction::~Extraction() {
  if (decompressor_) mspack_destroy_cab_decompressor(decompressor_);
}

std::int32_t Extraction::Enumerate(NotifyCallback notify, DataHook hook) noexcept {
  if (!decompressor_ || !notify) return 0;
  Outcome outcome = Outcome::Failed;
  try {
    notify_ = notify;
    hook_ = hook;
    stopped_ = false;
    writer_ = std::make_unique<BackgroundWriter>();
    hookedBlocks_.clear();
    located_.clear();
    const std::size_t split = container_.find_last_of("\\/");
    folder_ = split == std::string::npos ? std::string() : container_.substr(0, split + 1);
    const std::string cabinet = split == std::string::npos ? container_ : container_.substr(split + 1);
    outcome = ExtractSet(cabinet);
  } catch (...) {
    outcome = Outcome::Failed;
  }
  writer_.reset();
  paths_.clear();
  hookedBlocks_.clear();
  located_.clear();
  notify_ = nullptr;
  hook_ = nullptr;
  if (outcome == Outcome::Done) return 1;
  // A notification's -1 ends the extraction early without being a failure.
  return stopped_ ? 1 : 0;
}

// The cabinet, then each following cabinet of its set, one pass each.
Extraction::Outcome Extraction::ExtractSet(const std::string& firstCabinet) {
  std::set<std::string> seen;
  std::string cabinet = firstCabinet;
  for (;;) {
    // A set that names one of its cabinets again would go round for ever.
    if (!seen.insert(Folded(cabinet)).second) return Outcome::Failed;
    // A cabinet already found while an earlier pass joined it is looked for
    // where it was found, not asked for again.
    const auto where = located_.find(Folded(cabinet));
    if (where != located_.end()) folder_ = where->second;
    Outcome outcome = Outcome::Failed;
    for (int request = 0;; ++request) {
      const std::size_t hookedBefore = hookedBlocks_.size();
      outcome = AttemptCabinet(cabinet);
      if (outcome != Outcome::AskForFolder || stopped_) break;
      // The data hook's stream cannot start again: once it has seen data,
      // a new attempt could not decipher what it reads.
      if (hookedBlocks_.size() != hookedBefore) {
        outcome = Outcome::Failed;
        break;
      }
      if (request >= kMaxCabinetRequests || !AskForCabinet(cabinet)) {
        outcome = Outcome::Failed;
        break;
      }
    }
    if (outcome != Outcome::Done) return outcome;
    if (nextCabinet_.empty()) return Outcome::Done;
    cabinet = nextCabinet_;
  }
}

// One pass over one cabinet: its own files, in order, with the following
// cabinets joined when a file continues into them.
Extraction::Outcome Extraction::AttemptCabinet(const std::string& cabinetName) {
  nextCabinet_.clear();
  paths_.clear();
  mscabd_cabinet* cabinet = decompressor_->open(decompressor_, StorePath(folder_ + cabinetName));
  if (!cabinet) return Classify(decompressor_->last_error(decompressor_));
  struct Closer {
    mscab_decompressor* decompressor;
    mscabd_cabinet* cabinet;
    ~Closer() { decompressor->close(decompressor, cabinet); }
  } closer{decompressor_, cabinet};

  nextCabinet_ = cabinet->nextname ? cabinet->nextname : "";
  std::vector<mscabd_file*> files;
  for (mscabd_file* file = cabinet->files; file; file = file->next) files.push_back(file);
  mscabd_folder* first = cabinet->folders;
  const bool fromPrevious = ContinuesFromPrevious(cabinet);
  bool setJoined = !ContinuesIntoNext(cabinet);
  mscabd_cabinet* tail = cabinet;

  for (mscabd_file* file : files) {
    // Files continued from the previous cabinet were handled with it.
    if (fromPrevious && file->folder == first) continue;
    const Outcome outcome = ProcessFile(file, tail, setJoined);
    if (outcome != Outcome::Done) return outcome;
  }
  return Outcome::Done;
}

Extraction::Outcome Extraction::ProcessFile(mscabd_file* file, mscabd_cabinet*& tail,
                                            bool& setJoined) {
  fileRecord_ = FileRecord{};
  fileRecord_.Name = file->filename;
  fileRecord_.Size = file->length;
  fileRecord_.DateTime = (static_cast<std::uint32_t>(DosDate(file)) << 16) | DosTime(file);
  fileRecord_.Attributes = static_cast<std::uint32_t>(file->attribs) & 0xFFFF;
  const std::int32_t answer = Notify(kFileToExtract, &fileRecord_);
  if (answer == -1) {
    stopped_ = true;
    return Outcome::Stopped;
  }
  std::string outputPath;
  if (!BufferText(fileRecord_.OutputPath, sizeof fileRecord_.OutputPath, outputPath)) {
    return Outcome::Failed;  // no terminating zero: nothing sound to create
  }
  const bool extract = answer == 1 && !outputPath.empty();
  // A skipped file is still decoded (and thrown away) when there is a data
  // hook: the hook deciphers one stream over all data blocks in order, so
  // it must not miss the blocks of a skipped file.
  if (!extract && !hook_) return Outcome::Done;

  mscabd_folder* last = LastFolder(tail);
  if (!setJoined && file->folder == last) {
    const Outcome joined = JoinFollowingCabinets(tail, setJoined);
    if (joined != Outcome::Done) return joined;
  }
  const Outcome outcome = ExtractTo(file, outputPath, !extract);
  if (outcome != Outcome::Done || !extract) return outcome;

  // The file is complete: its time (the DOS time is local time) and the
  // attributes a file can carry (read-only, hidden, system, archive).
  fileSystem_.SetDosTime(outputPath, DosDate(file), DosTime(file));
  fileSystem_.SetAttributes(outputPath, fileRecord_.Attributes & 0x27);
  if (Notify(kFileComplete, &fileRecord_) == -1) {
    stopped_ = true;
    return Outcome::Stopped;
  }
  return Outcome::Done;
}

// Joins the following cabinets of the set to the pass's cabinet until the
// folder that continues into them ends.
Extraction::Outcome Extraction::JoinFollowingCabinets(mscabd_cabinet*& tail, bool& setJoined) {
  std::set<std::string> joined;
  while (!setJoined) {
    if (!tail->nextname) return Outcome::Failed;
    const std::string name = tail->nextname;
    if (!joined.insert(Folded(name)).second) return Outcome::Failed;
    mscabd_cabinet* next = nullptr;
    const Outcome opened = OpenCabinet(name, next);
    if (opened != Outcome::Done) return opened == Outcome::AskForFolder ? Outcome::Failed : opened;
    // The folder goes on beyond this cabinet only when it is its only one.
    const bool goesOn = next->folders && !next->folders->next && ContinuesFromPrevious(next) &&
                        ContinuesIntoNext(next);
    if (decompressor_->append(decompressor_, tail, next) != MSPACK_ERR_OK) {
      decompressor_->close(decompressor_, next);
      return Outcome::Failed;
    }
    tail = next;
    setJoined = !goesOn;
  }
  return Outcome::Done;
}

// Opens a following cabinet of the set, asking the engine for its folder
// while it cannot be found.
Extraction::Outcome Extraction::OpenCabinet(const std::string& name, mscabd_cabinet*& cabinet) {
  for (int request = 0;; ++request) {
    if (request > 0) {
      if (request > kMaxCabinetRequests || !AskForCabinet(name)) return Outcome::Failed;
    }
    cabinet = decompressor_->open(decompressor_, StorePath(folder_ + name));
    if (cabinet) {
      located_[Folded(name)] = folder_;
      return Outcome::Done;
    }
    const Outcome outcome = Classify(decompressor_->last_error(decompressor_));
    if (outcome != Outcome::AskForFolder) return outcome;
  }
}

Extraction::Outcome Extraction::ExtractTo(mscabd_file* file, const std::string& outputPath,
                                          bool discard) {
  progress_ = ProgressRecord{};
  progress_.Name = file->filename;
  progress_.OutputPath = fileRecord_.OutputPath;
  progress_.FileSize = file->length;
  discardOutput_ = discard;
  outputCreated_ = false;
  writeFailed_ = false;
  extracting_ = true;
  int error = decompressor_->extract(decompressor_, file, discard ? "" : outputPath.c_str());
  extracting_ = false;
  discardOutput_ = false;
  // A write that failed after libmspack had handed it over shows only now.
  if (error == MSPACK_ERR_OK && writeFailed_) error = MSPACK_ERR_WRITE;
  if (error == MSPACK_ERR_OK) return Outcome::Done;
  // A file that could not be completed is not left behind half written.
  if (outputCreated_) fileSystem_.Remove(outputPath);
  if (stopped_) return Outcome::Stopped;
  if (error == MSPACK_ERR_OPEN || error == MSPACK_ERR_WRITE) return Outcome::Failed;
  return Classify(error);
}

// A corrupt cabinet, a file that is not a cabinet and an output that cannot
// be written are final; any other failure (the cabinet cannot be opened or
// read, too little memory, ...) may go away with the cabinet found elsewhere,
// so the engine is asked for its folder.
Extraction::Outcome Extraction::Classify(int error) {
  switch (error) {
    case MSPACK_ERR_SIGNATURE:
    case MSPACK_ERR_DATAFORMAT:
    case MSPACK_ERR_CHECKSUM:
    case MSPACK_ERR_DECRUNCH:
    case MSPACK_ERR_WRITE: return Outcome::Failed;
    default: return Outcome::AskForFolder;
  }
}

bool Extraction::AskForCabinet(const std::string& name) {
  cabinetRecord_ = CabinetRecord{};
  if (!CopyToBuffer(folder_, cabinetRecord_.Folder, sizeof cabinetRecord_.Folder)) return false;
  const std::string nameCopy = name;
  cabinetRecord_.CabinetName = nameCopy.c_str();
  const std::int32_t answer = Notify(kCabinetNeeded, &cabinetRecord_);
  cabinetRecord_.CabinetName = nullptr;
  if (answer == -1) return false;
  std::string folder;
  if (!BufferText(cabinetRecord_.Folder, sizeof cabinetRecord_.Folder, folder)) return false;
  folder_ = folder;
  return true;
}

const char* Extraction::StorePath(const std::string& path) {
  paths_.push_back(std::make_unique<std::string>(path));
  return paths_.back()->c_str();
}

std::int32_t Extraction::Notify(std::int32_t type, void* record) { return notify_(type, record); }

Extraction::Handle* Extraction::OpenFileRoutine(const char* path, int mode) {
  auto handle = std::make_unique<Handle>();
  handle->owner = this;
  handle->path = path ? path : "";
  if (mode == MSPACK_SYS_OPEN_READ) {
    // libmspack reads only cabinets: find this one inside its file.
    auto file = fileSystem_.OpenForReading(handle->path);
    if (!file) return nullptr;
    handle->file = std::make_unique<BufferedFile>(std::move(file));
    const auto offset = FindEmbeddedCabinet(*handle->file, key_, cabinetIndex_);
    if (!offset || !handle->file->Seek(*offset, SeekOrigin::Start)) return nullptr;
    handle->base = *offset;
    handle->position = *offset;
    handle->data = extracting_;
    return handle.release();
  }
  if (mode != MSPACK_SYS_OPEN_WRITE) return nullptr;
  if (discardOutput_) {
    handle->kind = Handle::Kind::Discard;
    return handle.release();
  }
  handle->kind = Handle::Kind::Output;
  handle->file = fileSystem_.CreateForWriting(handle->path);
  if (!handle->file) return nullptr;
  outputCreated_ = true;
  return handle.release();
}

int Extraction::ReadRoutine(Handle& handle, void* buffer, int count) {
  if (handle.kind != Handle::Kind::Cabinet || !handle.file || count < 0) return -1;
  const std::int64_t position = handle.position;
  const int got = handle.file->Read(buffer, count);
  if (got < 0) {
    // A failed read may have moved the file by any amount.
    const std::int64_t now = handle.file->Tell();
    if (now >= 0) handle.position = now;
    return -1;
  }
  handle.position += got;
  if (key_) Unscramble(static_cast<std::uint8_t*>(buffer), static_cast<std::size_t>(got), key_);
  if (handle.data) {
    if (!handle.payloadNext) {
      handle.payloadNext = count == cfdata_SIZEOF && got == cfdata_SIZEOF;
    } else {
      handle.payloadNext = false;
      if (hook_ && got > 0) {
        // The hook's stream cannot go back: a block read a second time
        // (files listed out of folder order) could not be deciphered.
        if (!hookedBlocks_.emplace(handle.path, position).second) return -1;
        hook_(buffer, got);
      }
    }
  }
  return got;
}

int Extraction::WriteRoutine(Handle& handle, const void* data, int count) {
  if (count < 0) return -1;
  if (handle.kind == Handle::Kind::Discard) return count;
  if (handle.kind != Handle::Kind::Output || !handle.file) return -1;
  progress_.BytesThisWrite = static_cast<std::uint32_t>(count);
  progress_.BytesSoFar += static_cast<std::uint32_t>(count);
  progress_.Data = data;
  const std::int32_t answer = Notify(kDataWritten, &progress_);
  progress_.Data = nullptr;
  if (answer == -1) {
    stopped_ = true;
    return -1;
  }
  const std::uint64_t remaining =
      progress_.FileSize > progress_.BytesSoFar ? progress_.FileSize - progress_.BytesSoFar : 0;
  if (!writer_ || !writer_->Write(*handle.file, data, count, remaining)) {
    writeFailed_ = true;
    return -1;
  }
  // libmspack never seeks in its output, but the kept position stays right
  // for it anyway.
  handle.position += count;
  return count;
}

void Extraction::CloseRoutine(Handle* handle) {
  // An output file is closed only after every write queued for it is done.
  try {
    if (handle->kind == Handle::Kind::Output && writer_ && !writer_->Finish()) writeFailed_ = true;
  } catch (...) {
    writeFailed_ = true;
  }
  // The handle's destructor closes the file; nothing in it throws.
  delete handle;
}

}  // namespace cv::unpack
