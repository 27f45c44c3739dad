#include "tandrel/file_info.h"

#include <algorithm>
#include <climits>

#include "tandrel/frame_reader.h"
#include "tandrel/wave_header.h"
#include "tandrel/xing_header.h"

namespace tandrel {
namespace {

constexpr std::int32_t kCannotOpen = 1;
constexpr std::int32_t kBadWaveHeader = 3;
constexpr std::int32_t kNotSupported = 5;

std::int32_t ClampToLong(std::int64_t ms) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(ms, INT32_MAX));
}

std::int32_t WavePlayTime(ByteSource& source) {
  WaveHeader header;
  if (ReadWaveHeader(source, header) < WaveHeader::kSize) return kBadWaveHeader;
  const std::int64_t perSecond = header.BytesPerSecond();
  if (perSecond == 0 || header.BlockAlign() <= 0) return kBadWaveHeader;
  return ClampToLong(std::int64_t{header.DataSize()} * 1000 / perSecond);
}

std::int32_t Mp3PlayTime(ByteSource& source) {
  CFrameReader reader;
  reader.Open(source);
  if (!reader.HasReference()) return 0;
  // The info header sits in the first frame of the audio, after any ID3v2 tag.
  const auto audioStart = FindAudioStart(source);
  reader.Seek(audioStart);
  if (reader.ReadFrame()) {
    XingInfo info;
    if (ParseXingHeader(reader.GetFrame(), info) && info.HasFrames()) {
      return ClampToLong(std::int64_t{info.frames} * reader.GetHeader().MsPerFrame());
    }
  }
  return ClampToLong(reader.EstimatePlayTime(source.Size() - audioStart));
}

}  // namespace

std::int32_t GetFileSize(const std::string& path) {
  const auto source = OpenFileSource(path);
  if (!source) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(source->Size()));
}

std::int32_t GetPlayTime(const std::string& path) {
  const auto kind = GetAudioKind(path);
  if (kind == AudioKind::None) return kNotSupported;
  const auto source = OpenFileSource(path);
  if (!source) return kCannotOpen;
  return GetPlayTime(*source, kind);
}

std::int32_t GetPlayTime(ByteSource& source, AudioKind kind) {
  if (kind == AudioKind::Wave) return WavePlayTime(source);
  if (kind == AudioKind::Mp3) return Mp3PlayTime(source);
  return kNotSupported;
}

}  // namespace tandrel
