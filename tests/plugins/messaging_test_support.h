#pragma once
// Helpers for the messaging tests: process-wide settings changed for one test
// and put back afterwards, and a stand-in for the hidden window that carries
// requests from a worker thread to the test's own thread.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "database/main_database.h"
#include "plugins/message_dispatch.h"
#include "plugins/message_params.h"

namespace cv::test {

// Installs handlers for the test's duration.
class ScopedHandlers {
 public:
  explicit ScopedHandlers(MessageHandlers handlers)
      : previous_(SetMessageHandlers(std::move(handlers))) {}
  ~ScopedHandlers() { SetMessageHandlers(std::move(previous_)); }
  ScopedHandlers(const ScopedHandlers&) = delete;
  ScopedHandlers& operator=(const ScopedHandlers&) = delete;

 private:
  MessageHandlers previous_;
};

// Makes `database` the main database for the test's duration.
class ScopedMainDatabase {
 public:
  explicit ScopedMainDatabase(TcvMainDatabase* database) : previous_(MainDatabase()) {
    SetMainDatabase(database);
  }
  ~ScopedMainDatabase() { SetMainDatabase(previous_); }
  ScopedMainDatabase(const ScopedMainDatabase&) = delete;
  ScopedMainDatabase& operator=(const ScopedMainDatabase&) = delete;

 private:
  TcvMainDatabase* previous_;
};

class ScopedDelivery {
 public:
  explicit ScopedDelivery(CrossThreadDelivery delivery)
      : previous_(SetCrossThreadDelivery(std::move(delivery))) {}
  ~ScopedDelivery() { SetCrossThreadDelivery(std::move(previous_)); }
  ScopedDelivery(const ScopedDelivery&) = delete;
  ScopedDelivery& operator=(const ScopedDelivery&) = delete;

 private:
  CrossThreadDelivery previous_;
};

class ScopedDispatchThread {
 public:
  explicit ScopedDispatchThread(std::thread::id thread) : previous_(DispatchThread()) {
    SetDispatchThread(thread);
  }
  ~ScopedDispatchThread() { SetDispatchThread(previous_); }
  ScopedDispatchThread(const ScopedDispatchThread&) = delete;
  ScopedDispatchThread& operator=(const ScopedDispatchThread&) = delete;

 private:
  std::thread::id previous_;
};

// Destroys the blocks a test created, whatever happens to it.
class BlockGuard {
 public:
  explicit BlockGuard(std::int32_t block) : block_(block) {}
  ~BlockGuard() { DestroyBlock(block_); }
  BlockGuard(const BlockGuard&) = delete;
  BlockGuard& operator=(const BlockGuard&) = delete;
  std::int32_t Id() const { return block_; }

 private:
  std::int32_t block_;
};

// Hands requests from other threads to the thread that calls Serve, one at a
// time, and waits for its answer, as SendMessage to a window does.
class Mailbox {
 public:
  // The delivery routine (worker side).
  bool Deliver(CrossThreadRequest* request, std::int32_t& result) {
    std::unique_lock lock(lock_);
    request_ = request;
    answered_ = false;
    changed_.notify_all();
    changed_.wait(lock, [&] { return answered_; });
    result = answer_;
    return true;
  }

  // Tells Serve that the worker is done.
  void Finish() {
    std::lock_guard lock(lock_);
    finished_ = true;
    changed_.notify_all();
  }

  // Runs the delivered requests on the calling thread until Finish.
  void Serve() {
    std::unique_lock lock(lock_);
    for (;;) {
      changed_.wait(lock, [&] { return finished_ || request_ != nullptr; });
      if (request_) {
        CrossThreadRequest* request = std::exchange(request_, nullptr);
        lock.unlock();
        const std::int32_t answer = DispatchCrossThreadRequest(request);
        lock.lock();
        answer_ = answer;
        answered_ = true;
        ++served_;
        changed_.notify_all();
      } else if (finished_) {
        return;
      }
    }
  }

  int Served() {
    std::lock_guard lock(lock_);
    return served_;
  }

  CrossThreadDelivery Routine() {
    return [this](CrossThreadRequest* request, std::int32_t& result) {
      return Deliver(request, result);
    };
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  CrossThreadRequest* request_ = nullptr;
  bool answered_ = false;
  bool finished_ = false;
  std::int32_t answer_ = 0;
  int served_ = 0;
};

// Runs `work` on a new thread while the calling thread serves `mailbox`.
template <typename Work>
void RunOnWorker(Mailbox& mailbox, Work work) {
  std::thread worker([&] {
    work();
    mailbox.Finish();
  });
  mailbox.Serve();
  worker.join();
}

}  // namespace cv::test
