// Tandrel_ReadMediaInfo: the engine's readers put to one read-only pass over a file.

#include <string>

#include "tandrel/media_info_index.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/byte_io.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/result_code.h"
#include "tandrel_engine/wave_header.h"
#include "tandrel_engine/xing_header.h"

namespace {

using tandrel::ResultCode;

constexpr short Code(ResultCode code) {
  return static_cast<short>(code);
}
constexpr short kSuccess = Code(ResultCode::Success);
constexpr short kOpenFailed = Code(ResultCode::OpenFailed);
constexpr short kWaveCorrupted = Code(ResultCode::WaveCorrupted);
constexpr short kNotSupported = Code(ResultCode::NotSupported);
constexpr short kInvalidParameter = Code(ResultCode::InvalidParameter);

short ReadMp3(tandrel::ByteSource& source, TandrelMediaInfo& info, tandrel::FrameIndex* index) {
  tandrel::CFrameReader reader;
  if (!reader.Open(source)) return kOpenFailed;
  const auto layout = tandrel::LocateMp3Stream(reader);
  if (layout.failed) return kOpenFailed;
  if (!layout.hasAudio) return kSuccess;

  // The stream as its reference frame describes it; every frame counted is of that stream.
  const auto stream = layout.reference;
  info.audioOffset = layout.firstFrame;
  info.mpegVersion = stream.IsMpeg1() ? 1 : stream.IsMpeg25() ? 25 : 2;
  info.channelMode = static_cast<int>(layout.firstHeader.ChannelMode());
  info.sampleRate = stream.SampleRate();
  info.channels = stream.IsSingleChannel() ? 1 : 2;
  info.hasInfoFrame = layout.hasInfo ? 1 : 0;
  if (layout.hasInfo && layout.info.HasFrames()) info.infoFrames = layout.info.frames;

  // The info frame carries whatever bitrate its encoder chose for it: it says nothing about the
  // audio's bitrate and is not an audio frame, so it is not counted.
  const auto count = tandrel::CountStreamFrames(source, layout, index);
  if (count.failed) return kOpenFailed;
  info.frameCount = count.frames;
  info.variableBitrate = count.variableBitrate ? 1 : 0;
  info.bitrate = count.variableBitrate ? 0 : count.firstBitrate;
  return kSuccess;
}

short ReadWave(tandrel::ByteSource& source, TandrelMediaInfo& info) {
  tandrel::WaveHeader header;
  if (tandrel::ReadWaveHeader(source, header) < tandrel::WaveHeader::kSize) return kWaveCorrupted;
  info.formatTag = header.FormatTag();
  info.channels = header.Channels();
  info.sampleRate = header.SampleRate();
  info.bytesPerSecond = header.BytesPerSecond();
  info.blockAlign = static_cast<std::uint16_t>(header.BlockAlign());
  info.bitsPerSample = header.BitsPerSample();
  info.dataSize = header.DataSize();
  info.dataOffset = header.dataOffset;
  return kSuccess;
}

}  // namespace

namespace tandrel {

short ReadMediaInfo(const std::string& path, TandrelMediaInfo& info, FrameIndex* index) {
  info = TandrelMediaInfo{};
  try {
    const auto kind = GetAudioKind(path);
    info.kind = static_cast<int>(kind);
    if (kind == AudioKind::None) return kNotSupported;
    const auto source = OpenFileSource(path);
    if (!source) return kOpenFailed;
    info.fileSize = source->Size();
    return kind == AudioKind::Wave ? ReadWave(*source, info) : ReadMp3(*source, info, index);
  } catch (...) {
    // Out of memory: nothing may cross the C interface.
    return kOpenFailed;
  }
}

}  // namespace tandrel

extern "C" short Tandrel_ReadMediaInfo(const char* fileName, TandrelMediaInfo* info) {
  if (fileName == nullptr || info == nullptr) return kInvalidParameter;
  try {
    return tandrel::ReadMediaInfo(fileName, *info, nullptr);
  } catch (...) {
    *info = TandrelMediaInfo{};
    return kOpenFailed;
  }
}
