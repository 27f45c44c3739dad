// Reads arbitrary bytes as a tagged MP3 or WAVE file and renders every piece's tags from it:
// nothing is read past the file, and what is written is whole tags that read back as written.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "cli/piece_tags.h"
#include "fuzz_check.h"

namespace {

std::uint32_t SyncSafe(const std::vector<std::uint8_t>& b) {
  return std::uint32_t(b[6]) << 21 | std::uint32_t(b[7]) << 14 | std::uint32_t(b[8]) << 7 | b[9];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz_piece_tags." + std::to_string(::getpid());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const auto tags = tandrel::cli::SourceTags::Read(path);

  tandrel::cli::PieceFacts facts{2, 12, 61234, "Tïtle ☃", "Artist", "Album"};
  const auto v2 = tags.Id3v2For(facts);
  FUZZ_CHECK(v2.size() >= 10 && std::equal(v2.begin(), v2.begin() + 3, "ID3"));
  FUZZ_CHECK(v2[3] == 3 || v2[3] == 4);
  FUZZ_CHECK(v2[5] == 0);  // no unsynchronisation, extended header or footer
  FUZZ_CHECK(SyncSafe(v2) + 10 == v2.size());
  // Read back, the rendered tag holds the piece's own track.
  const auto again = path + ".tag";
  std::ofstream(again, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(v2.data()), static_cast<std::streamsize>(v2.size()));
  const auto reread = tandrel::cli::SourceTags::Read(again);
  FUZZ_CHECK(reread.HasId3v2() && reread.Track() == "2/12");

  const auto v1 = tags.Id3v1For(facts);
  FUZZ_CHECK(v1.empty() == !tags.HasId3v1());
  FUZZ_CHECK(v1.empty() || (v1.size() == 128 && std::equal(v1.begin(), v1.begin() + 3, "TAG") &&
                            v1[125] == 0 && v1[126] == 2));
  const auto info = tags.WaveInfoChunk();
  FUZZ_CHECK(info.size() <= size + 1);
  if (!info.empty()) {
    const std::uint32_t body =
        info[4] | info[5] << 8 | info[6] << 16 | std::uint32_t(info[7]) << 24;
    FUZZ_CHECK(std::equal(info.begin(), info.begin() + 4, "LIST") && info.size() % 2 == 0);
    FUZZ_CHECK(info.size() == 8 + body + body % 2);
  }
  return 0;
}
