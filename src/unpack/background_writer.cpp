#include "unpack/background_writer.h"

#include <cstring>
#include <utility>

namespace cv::unpack {

BackgroundWriter::~BackgroundWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  work_.notify_one();
  thread_.join();
}

bool BackgroundWriter::Write(File& file, const void* data, int count, std::uint64_t remaining) {
  if (count < 0) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  if (failed_) return false;
  const bool nearTheEnd = remaining <= kWriteAtOnceRemaining;
  if (!thread_.joinable() && !(nearTheEnd && waiting_.empty())) {
    try {
      // The thread keeps spare buffers without allocating: an allocation
      // failing there would end the process.
      spare_.reserve(kSpareBuffers);
      thread_ = std::thread([this] { Run(); });
    } catch (...) {
      // No thread to be had: every write is made at once.
    }
  }
  if (!thread_.joinable() || (nearTheEnd && waiting_.empty() && !writing_)) {
    lock.unlock();
    const bool written = file.Write(data, count) == count;
    lock.lock();
    failed_ = failed_ || !written;
    return written;
  }
  const std::size_t size = static_cast<std::size_t>(count);
  // One block may be larger than the limit: it waits alone.
  const auto room = [&] { return failed_ || waitingBytes_ == 0 || waitingBytes_ + size <= kMaxWaitingBytes; };
  if (!room()) {
    callerWaits_ = true;
    work_.notify_one();
    done_.wait(lock, room);
    callerWaits_ = false;
  }
  if (failed_) return false;
  std::vector<std::uint8_t> bytes;
  if (!spare_.empty()) {
    bytes = std::move(spare_.back());
    spare_.pop_back();
  }
  bytes.resize(size);
  if (size > 0) std::memcpy(bytes.data(), data, size);
  waiting_.push_back(Block{&file, std::move(bytes)});
  waitingBytes_ += size;
  const bool wake = waitingBytes_ >= kWakeBytes;
  lock.unlock();
  if (wake) work_.notify_one();
  return true;
}

bool BackgroundWriter::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  callerWaits_ = true;
  work_.notify_one();
  done_.wait(lock, [&] { return waiting_.empty() && !writing_; });
  callerWaits_ = false;
  const bool succeeded = !failed_;
  failed_ = false;
  return succeeded;
}

void BackgroundWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] {
      return quit_ || (!waiting_.empty() && (callerWaits_ || waitingBytes_ >= kWakeBytes));
    });
    if (waiting_.empty()) return;  // quit_ with nothing left to write
    // Once awake, the thread writes until nothing waits.
    while (!waiting_.empty()) {
      Block block = std::move(waiting_.front());
      waiting_.pop_front();
      writing_ = true;
      // After a failure the file is not complete anyway: the rest of its
      // blocks are dropped, not written.
      const bool skip = failed_;
      lock.unlock();
      const int count = static_cast<int>(block.bytes.size());
      const bool written = skip || block.file->Write(block.bytes.data(), count) == count;
      lock.lock();
      failed_ = failed_ || !written;
      waitingBytes_ -= block.bytes.size();
      writing_ = false;
      if (spare_.size() < kSpareBuffers) spare_.push_back(std::move(block.bytes));
      done_.notify_one();
    }
  }
}

}  // namespace cv::unpack
