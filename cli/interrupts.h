#pragma once

#include <atomic>

namespace tandrel::cli {

// While an object of this class lives, SIGINT, SIGTERM and SIGHUP do not end the program: they
// raise a flag that the engine's copy loops read between frames and blocks, so that a cut or a
// join stops cleanly (the piece in progress removed, finished ones kept) and the program can say
// what it wrote before it exits with 128 + the signal's number.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  const std::atomic<bool>* Flag() const;
  // The signal that arrived, or 0.
  int Signal() const;
  // 128 + Signal(): the status a shell expects of a program ended by it.
  int ExitStatus() const { return 128 + Signal(); }
};

}  // namespace tandrel::cli
