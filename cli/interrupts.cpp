#include "cli/interrupts.h"

#include <csignal>

namespace tandrel::cli {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<bool> interrupted{false};
volatile std::sig_atomic_t arrived = 0;
struct sigaction saved[3];

void OnSignal(int signal) {
  if (arrived == 0) arrived = signal;
  interrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &saved[i]);
}

InterruptGuard::~InterruptGuard() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved[i], nullptr);
}

const std::atomic<bool>* InterruptGuard::Flag() const {
  return &interrupted;
}

int InterruptGuard::Signal() const {
  return arrived;
}

}  // namespace tandrel::cli
