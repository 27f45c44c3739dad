#pragma once

// Output writes done in order on a thread of their own, so that an operation reads and parses
// its input while the bytes before go out. Internal to the engine.

#include <cstdint>
#include <memory>

#include "tandrel_engine/byte_io.h"

namespace tandrel {

class WriteBehind {
 public:
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // One for an operation that copies about `bytes` from sources that read concurrently, when it
  // is long enough to gain from it and a thread can be had; nullptr otherwise.
  static std::unique_ptr<WriteBehind> Start(std::uint64_t bytes, bool sourcesReadConcurrently);

  // `out` with its writes queued for the thread: Write and WriteAt copy their bytes, Append
  // queues the range (the source must live until the steps ran: until Finish returns, Drain, or
  // the output is destroyed). A failed step fails the calls after it and Finish; Error and
  // NamingFailed tell as `out` does. Destroying the output drops what is still queued for it.
  // One output at a time.
  std::unique_ptr<ByteSink> Wrap(std::unique_ptr<ByteSink> out);
  // Waits until every step queued so far has run.
  void Drain();

  class Queue;

 private:
  explicit WriteBehind(std::unique_ptr<Queue> queue);
  std::unique_ptr<Queue> queue_;
};

}  // namespace tandrel
