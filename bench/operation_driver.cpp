// Runs one engine operation on real files and prints its wall time, so that a script can time it
// beside plain copying and read its peak memory with /usr/bin/time.
//
//   bench_operation noop
//   bench_operation cut-time SOURCE LIST COUNT
//   bench_operation cut-size SOURCE BYTES FOLDER
//   bench_operation join OUTPUT LIST COUNT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tandrel_engine/operations.h"

int main(int argc, char** argv) {
  if (argc < 2) return 64;
  const std::string what = argv[1];
  const auto start = std::chrono::steady_clock::now();
  tandrel::ResultCode result = tandrel::ResultCode::Success;
  if (what == "cut-time" && argc == 5) {
    result = tandrel::CutByTime(argv[2], argv[3], static_cast<std::int16_t>(std::atoi(argv[4])),
                                nullptr);
  } else if (what == "cut-size" && argc == 5) {
    result = tandrel::CutBySize(argv[2], std::atoi(argv[3]), argv[4], nullptr);
  } else if (what == "join" && argc == 5) {
    result =
        tandrel::Join(argv[2], argv[3], static_cast<std::int16_t>(std::atoi(argv[4])), nullptr);
  } else if (what != "noop") {
    return 64;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%s %.3f s result %d\n", what.c_str(), took.count(), static_cast<int>(result));
  return static_cast<int>(result);
}
