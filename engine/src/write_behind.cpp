#include "write_behind.h"

#ifdef TANDREL_HAS_THREADS
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#endif

namespace tandrel {

#ifdef TANDREL_HAS_THREADS
namespace {

class QueuedSink;

struct Step {
  enum class Kind { Write, WriteAt, Append, Finish } kind;
  QueuedSink* sink;
  std::vector<std::uint8_t> bytes;  // Write, WriteAt
  ByteSource* source = nullptr;     // Append
  std::uint64_t offset = 0;         // WriteAt, Append
  std::uint64_t length = 0;         // Append
};

}  // namespace

class WriteBehind::Queue {
 public:
  // Steps waiting at most: the reading side stays at most this many steps ahead.
  static constexpr std::size_t kSteps = 16;

  Queue() : thread_([this] { Run(); }) {}
  ~Queue() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Push(Step step) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return steps_.size() < kSteps; });
    steps_.push_back(std::move(step));
    lock.unlock();
    changed_.notify_all();
  }
  void Drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return steps_.empty() && !running_; });
  }

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Step> steps_;
  bool running_ = false;  // a step taken off the queue is running
  bool stop_ = false;
  std::thread thread_;  // last: it starts once everything above is set
};

namespace {

class QueuedSink final : public ByteSink {
 public:
  QueuedSink(WriteBehind::Queue& queue, std::unique_ptr<ByteSink> out)
      : queue_(queue), out_(std::move(out)) {}
  ~QueuedSink() override {
    dropped_ = true;
    queue_.Drain();
  }

  bool Write(std::span<const std::uint8_t> bytes) override {
    if (failed_) return false;
    if (bytes.empty()) return true;
    queue_.Push({Step::Kind::Write, this, {bytes.begin(), bytes.end()}, nullptr, 0, 0});
    written_ += bytes.size();
    return true;
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    if (failed_ || offset > written_ || bytes.size() > written_ - offset) return false;
    if (!bytes.empty())
      queue_.Push({Step::Kind::WriteAt, this, {bytes.begin(), bytes.end()}, nullptr, offset, 0});
    return true;
  }
  std::uint64_t Append(ByteSource& source, std::uint64_t offset, std::uint64_t length) override {
    if (failed_) return 0;
    if (length == 0) return 0;
    queue_.Push({Step::Kind::Append, this, {}, &source, offset, length});
    written_ += length;
    return length;
  }
  std::uint64_t Written() const override { return written_; }
  bool Finish() override {
    queue_.Push({Step::Kind::Finish, this, {}});
    queue_.Drain();
    return finished_;
  }
  int Error() const override {
    queue_.Drain();
    return failed_ && out_->Error() == 0 ? EIO : out_->Error();
  }
  bool NamingFailed() const override {
    queue_.Drain();
    return out_->NamingFailed();
  }

  // On the queue's thread.
  void Run(const Step& step) {
    if (dropped_ || failed_) return;
    bool done = false;
    try {
      switch (step.kind) {
        case Step::Kind::Write:
          done = out_->Write(step.bytes);
          break;
        case Step::Kind::WriteAt:
          done = out_->WriteAt(step.offset, step.bytes);
          break;
        case Step::Kind::Append:
          done = out_->Append(*step.source, step.offset, step.length) == step.length;
          break;
        case Step::Kind::Finish:
          done = finished_ = out_->Finish();
          break;
      }
    } catch (const std::bad_alloc&) {
      done = false;
    }
    if (!done) failed_ = true;
  }

 private:
  WriteBehind::Queue& queue_;
  std::unique_ptr<ByteSink> out_;
  std::uint64_t written_ = 0;  // as queued
  std::atomic<bool> failed_{false};
  std::atomic<bool> dropped_{false};
  bool finished_ = false;  // read once Finish drained the queue
};

}  // namespace

void WriteBehind::Queue::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !steps_.empty(); });
    if (steps_.empty()) return;  // stopping, with nothing left to run
    auto step = std::move(steps_.front());
    steps_.pop_front();
    running_ = true;
    lock.unlock();
    changed_.notify_all();
    step.sink->Run(step);
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

std::unique_ptr<WriteBehind> WriteBehind::Start(std::uint64_t bytes, bool sourcesReadConcurrently) {
  constexpr std::uint64_t kWorthIt = 16 * 1024 * 1024;
  if (bytes < kWorthIt || !sourcesReadConcurrently) return nullptr;
  try {
    return std::unique_ptr<WriteBehind>(new WriteBehind());
  } catch (const std::system_error&) {
    return nullptr;  // no thread to be had: the operation writes in turn
  }
}

WriteBehind::WriteBehind() {
  for (auto& queue : queues_) queue = std::make_unique<Queue>();
}

std::unique_ptr<ByteSink> WriteBehind::Wrap(std::unique_ptr<ByteSink> out) {
  auto& queue = *queues_[next_++ % 2];
  return std::make_unique<QueuedSink>(queue, std::move(out));
}

void WriteBehind::Drain() {
  for (auto& queue : queues_) queue->Drain();
}
#else
class WriteBehind::Queue {};

std::unique_ptr<WriteBehind> WriteBehind::Start(std::uint64_t, bool) {
  return nullptr;
}

std::unique_ptr<ByteSink> WriteBehind::Wrap(std::unique_ptr<ByteSink> out) {
  return out;
}

void WriteBehind::Drain() {}

WriteBehind::WriteBehind() = default;
#endif

WriteBehind::~WriteBehind() = default;

}  // namespace tandrel
