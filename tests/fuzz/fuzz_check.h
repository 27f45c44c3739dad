#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run when a property of the engine does not hold, naming it, so that libFuzzer saves
// the input and the replay runner fails its test.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
