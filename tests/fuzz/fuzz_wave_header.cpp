// Reads arbitrary bytes as a WAVE file: a header that is read must be the canonical 44 bytes
// describing sample data that lies inside the input; one that is not read must be refused
// consistently by the play-time measure.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/byte_io.h"
#include "tandrel_engine/file_info.h"
#include "tandrel_engine/wave_header.h"

using tandrel::WaveHeader;

namespace {

constexpr std::int32_t kBadWaveHeader = 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tandrel::MemorySource source(std::vector<std::uint8_t>(data, data + size));
  WaveHeader header;
  const auto got = tandrel::ReadWaveHeader(source, header);
  const auto playTime = tandrel::GetPlayTime(source, tandrel::AudioKind::Wave);

  if (got != WaveHeader::kSize) {
    // Shorter inputs report how much there was; longer ones that are no WAVE file report 0.
    FUZZ_CHECK(got == (size < WaveHeader::kSize ? size : 0));
    FUZZ_CHECK(playTime == kBadWaveHeader);
    return 0;
  }

  const auto& b = header.bytes;
  FUZZ_CHECK(std::memcmp(b.data(), "RIFF", 4) == 0);
  FUZZ_CHECK(std::memcmp(b.data() + 8, "WAVEfmt ", 8) == 0 && header.Get32(16) == 16);
  FUZZ_CHECK(std::memcmp(b.data() + 36, "data", 4) == 0);
  FUZZ_CHECK(header.Get32(4) == header.DataSize() + 36u);
  // The samples lie inside the input, after at least the RIFF, fmt and data chunk heads.
  FUZZ_CHECK(header.dataOffset >= WaveHeader::kSize && header.dataOffset <= size);
  FUZZ_CHECK(header.DataSize() <= size - header.dataOffset);

  FUZZ_CHECK(tandrel::SameWaveFormat(header, header));
  FUZZ_CHECK(tandrel::SameWaveFormat(header, header.WithDataSize(header.DataSize() ^ 0x5A5A5Au)));
  auto otherChannels = header;
  otherChannels.Put16(22, static_cast<std::uint16_t>(header.Channels() + 1));
  FUZZ_CHECK(!tandrel::SameWaveFormat(header, otherChannels));

  const std::int64_t perSecond = header.BytesPerSecond();
  if (perSecond == 0 || header.BlockAlign() <= 0) {
    FUZZ_CHECK(playTime == kBadWaveHeader);
  } else {
    const auto ms = std::int64_t{header.DataSize()} * 1000 / perSecond;
    FUZZ_CHECK(playTime == std::min<std::int64_t>(ms, INT32_MAX));
  }
  return 0;
}
