#pragma once
// Writes output files on a thread of its own, so that decoding the next
// block of a cabinet runs while the operating system copies the last one.
// The caller hands over copies of what libmspack wrote, in order; the writer
// thread writes them to their files in that order. Only the file writes move
// to the thread: notifications and everything else stay with the caller.
//
// Before a file is closed (and stamped, and reported complete) the caller
// waits for its writes with Finish. A write that fails is reported by the
// next Write or by Finish, whichever comes first; the file is then not
// complete, as it would not have been had the write been made at once.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "unpack/file_system.h"

namespace cv::unpack {

class BackgroundWriter {
 public:
  // Each write waiting for the thread is a copy of one of libmspack's
  // writes (its stored blocks are at most 64 KiB, its decoded frames 32 KiB);
  // at most this many bytes wait at once, so memory stays bounded however
  // far decoding runs ahead.
  static constexpr std::size_t kMaxWaitingBytes = 512 * 1024;
  // Buffers of written blocks kept for the next ones.
  static constexpr std::size_t kSpareBuffers = 8;
  // A sleeping thread is woken when this many bytes wait (or at Finish):
  // waking it for every block costs a pair of system calls per block.
  static constexpr std::size_t kWakeBytes = 128 * 1024;

  BackgroundWriter() = default;
  // Waits for the writes still waiting, then ends the thread.
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // A write after which at most this many bytes of its file remain is
  // made at once when nothing is waiting: handing the end of a file to the
  // thread costs two thread switches (there and back at Finish) and saves
  // the decoding of less than these few blocks.
  static constexpr std::uint64_t kWriteAtOnceRemaining = 128 * 1024;

  // Queues a copy of `count` bytes for `file`, or writes them at once (see
  // kWriteAtOnceRemaining); `remaining` is the number of the file's bytes
  // still to come after these. False when this or an earlier write since
  // the last Finish failed. `file` must stay open until Finish.
  bool Write(File& file, const void* data, int count, std::uint64_t remaining);

  // Waits until every queued write is done; whether all of them succeeded
  // since the last Finish.
  bool Finish();

 private:
  struct Block {
    File* file;
    std::vector<std::uint8_t> bytes;
  };

  void Run();

  std::mutex mutex_;
  std::condition_variable work_;  // the thread waits here for blocks
  std::condition_variable done_;  // the caller waits here for room or the end
  std::deque<Block> waiting_;
  std::vector<std::vector<std::uint8_t>> spare_;  // buffers to use again
  std::size_t waitingBytes_ = 0;
  bool writing_ = false;  // the thread holds a block it took out of waiting_
  bool callerWaits_ = false;  // for every block (Finish) or for room
  bool failed_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace cv::unpack
