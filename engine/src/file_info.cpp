#include "tandrel_engine/file_info.h"

#include <algorithm>
#include <climits>

#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/result_code.h"
#include "tandrel_engine/wave_header.h"
#include "tandrel_engine/xing_header.h"

namespace tandrel {
namespace {

// GetPlayTime answers a failure with its result code in place of a time.
constexpr auto kCannotOpen = static_cast<std::int32_t>(ResultCode::OpenFailed);
constexpr auto kBadWaveHeader = static_cast<std::int32_t>(ResultCode::WaveCorrupted);
constexpr auto kNotSupported = static_cast<std::int32_t>(ResultCode::NotSupported);

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

// Probes spread over the audio: when every one finds a frame of the reference's bitrate, the
// stream is taken as constant-bit-rate and measured by its length.
constexpr int kBitrateProbes = 16;

bool IsConstantBitrate(CFrameReader& reader, const Mp3Layout& layout) {
  const auto span = layout.audioEnd - layout.audioFrames;
  for (int i = 0; i < kBitrateProbes; ++i) {
    reader.Seek(layout.audioFrames + span / kBitrateProbes * i);
    MpegHeader header;
    if (reader.FindChainedHeader(kFrameChain, false, header) &&
        header.BitrateIndex() != layout.reference.BitrateIndex())
      return false;
  }
  return true;
}

std::int32_t Mp3PlayTime(ByteSource& source) {
  CFrameReader reader;
  reader.Open(source);
  const auto layout = LocateMp3Stream(reader);
  if (!layout.hasAudio) return 0;
  const std::int64_t ms = layout.reference.MsPerFrame();
  // An info header that agrees with the file counts its frames; a constant-bit-rate stream is
  // measured by its length; any other stream is counted frame by frame, which is exact.
  if (const auto frames = layout.TrustedInfoFrames()) return ClampToLong(*frames * ms);
  if (IsConstantBitrate(reader, layout))
    return ClampToLong(reader.EstimatePlayTime(layout.audioEnd - layout.audioFrames));
  reader.Seek(layout.audioFrames);
  std::int64_t frames = 0;
  while (reader.SkipFrame()) ++frames;
  return ClampToLong(frames * ms);
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
