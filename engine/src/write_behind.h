#pragma once

// Output writes done on threads of their own, so that an operation reads and parses its input
// while the bytes before go out: each output's writes in order on one thread, consecutive
// outputs on two threads by turns, so that one output can go out while the next one does.
// Internal to the engine.

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
  // Outputs wrapped one after the other alternate between the two threads. An output's Error
  // waits for its own steps.
  std::unique_ptr<ByteSink> Wrap(std::unique_ptr<ByteSink> out);
  // Waits until every step queued so far has run.
  void Drain();

  class Queue;

 private:
  WriteBehind();
  std::unique_ptr<Queue> queues_[2];
  unsigned next_ = 0;
};

}  // namespace tandrel
