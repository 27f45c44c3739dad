// How fast the frame reader walks a large constant-bit-rate MP3 that sits in the page cache,
// beside a plain read of the same file in 1 MiB blocks. The reader should reach at least half
// the speed of reading the bytes. Then how long GetPlayTime takes on an hour of variable-bit-rate
// audio without an info frame, which it must count frame by frame (target under 50 ms).
//
//   bench_frame_reader [file.mp3 [vbr.mp3]]
//
// Without arguments the files are made once (sox tone, lame at 128 kbit/s, its frames repeated
// to about 500 MB; sox noise and sweep, lame -V 2 without an info frame, repeated to an hour) and
// kept in the build folder for later runs.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tandrel_engine/file_info.h"
#include "tandrel_engine/frame_reader.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kTargetBytes = 500'000'000;
constexpr std::size_t kBlockSize = 1 << 20;
constexpr int kRuns = 5;

bool Run(const std::string& command) {
  if (std::system(command.c_str()) == 0) return true;
  std::fprintf(stderr, "failed: %s\n", command.c_str());
  return false;
}

// One minute of sound encoded without an info frame, so the stream is nothing but audio frames
// and every copy of it ends on a frame boundary; then `copies` copies of it, or copies up to the
// target size.
bool MakeStream(const fs::path& path, const std::string& synth, const std::string& lame,
                std::uint64_t copies = 0) {
  const fs::path work = path.string() + ".work";
  fs::create_directories(work);
  const auto wav = (work / "minute.wav").string();
  const auto mp3 = (work / "minute.mp3").string();
  std::printf("making %s ...\n", path.c_str());
  std::fflush(stdout);
  if (!Run("sox -D -R -n -r 44100 -c 2 -b 16 '" + wav + "' synth 60 " + synth) ||
      !Run("lame --quiet -t " + lame + " '" + wav + "' '" + mp3 + "'"))
    return false;
  std::ifstream in(mp3, std::ios::binary);
  const std::vector<char> chunk{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  if (chunk.empty()) return false;
  const fs::path partial = path.string() + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    for (std::uint64_t written = 0, n = 0; copies ? n < copies : written < kTargetBytes;
         written += chunk.size(), ++n) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    if (!out.flush()) return false;
  }
  fs::rename(partial, path);
  fs::remove_all(work);
  return true;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Best of kRuns: the page cache is warm, so the fastest run is the least disturbed one.
template <typename Body>
double BestSeconds(Body body) {
  double best = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    body();
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  return best;
}

std::uint64_t PlainRead(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return 0;
  std::vector<char> block(kBlockSize);
  std::uint64_t total = 0;
  for (;;) {
    const auto n = ::read(fd, block.data(), block.size());
    if (n <= 0) break;
    total += static_cast<std::uint64_t>(n);
  }
  ::close(fd);
  return total;
}

struct Scan {
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
};

Scan ScanFrames(const fs::path& path) {
  Scan scan;
  tandrel::CFrameReader reader;
  if (!reader.Open(path.string())) return scan;
  tandrel::LocateMp3Stream(reader);
  while (reader.ReadFrame()) {
    ++scan.frames;
    scan.bytes += reader.GetBodySize() + 4;
  }
  return scan;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path data(TANDREL_BENCH_DATA_DIR);
  const fs::path path = argc > 1 ? fs::path(argv[1]) : data / "cbr_128k_500mb.mp3";
  const fs::path vbr = argc > 2 ? fs::path(argv[2]) : data / "vbr_v2_60min.mp3";
  if (!fs::exists(path) &&
      (argc > 1 || !MakeStream(path, "sine 440 vol 0.5", "--cbr -b 128"))) {
    std::fprintf(stderr, "no input file %s\n", path.c_str());
    return 1;
  }
  if (!fs::exists(vbr) &&
      (argc > 2 || !MakeStream(vbr, "pinknoise synth 60 sine mix 100-8000 vol 0.4", "-V 2", 60))) {
    std::fprintf(stderr, "no input file %s\n", vbr.c_str());
    return 1;
  }
  const auto size = fs::file_size(path);
  PlainRead(path);  // into the page cache

  std::uint64_t readBytes = 0;
  const double readSeconds = BestSeconds([&] { readBytes = PlainRead(path); });
  Scan scan;
  const double scanSeconds = BestSeconds([&] { scan = ScanFrames(path); });

  const double readRate = static_cast<double>(readBytes) / readSeconds / 1e6;
  const double scanRate = static_cast<double>(size) / scanSeconds / 1e6;
  std::printf("file        %s, %llu bytes, %llu frames (%llu bytes in frames)\n", path.c_str(),
              static_cast<unsigned long long>(size), static_cast<unsigned long long>(scan.frames),
              static_cast<unsigned long long>(scan.bytes));
  std::printf("plain read  %8.1f MB/s  (1 MiB blocks, best of %d)\n", readRate, kRuns);
  std::printf("frame scan  %8.1f MB/s  (CFrameReader, best of %d)\n", scanRate, kRuns);
  std::printf("ratio       %8.2f     (target at least 0.50)\n", scanRate / readRate);
  if (readBytes != size || scan.bytes != size) {
    std::fprintf(stderr, "warning: not every byte was read or scanned as a frame\n");
  }

  PlainRead(vbr);
  std::int32_t playTime = 0;
  const double playSeconds = BestSeconds([&] { playTime = tandrel::GetPlayTime(vbr.string()); });
  const auto vbrScan = ScanFrames(vbr);
  std::printf("play time   %8.1f ms   (GetPlayTime of %s, %llu bytes, best of %d; target "
              "under 50)\n",
              playSeconds * 1e3, vbr.filename().c_str(),
              static_cast<unsigned long long>(fs::file_size(vbr)), kRuns);
  std::printf("            %d ms for %llu frames of 26 ms\n", playTime,
              static_cast<unsigned long long>(vbrScan.frames));
  return 0;
}
