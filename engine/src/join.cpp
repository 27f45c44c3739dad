#include <algorithm>
#include <limits>
#include <memory>

#include "mp3_stream.h"
#include "tandrel/audio_kind.h"
#include "tandrel/operations.h"
#include "tandrel/section_list.h"
#include "tandrel/wave_header.h"

namespace tandrel {
namespace {

constexpr std::uint64_t kMaxWaveData = std::numeric_limits<std::uint32_t>::max() - 36;
// An info frame that counts frames and bytes and carries a scale of 0.
constexpr std::uint32_t kJoinInfoFlags =
    XingInfo::kFramesFlag | XingInfo::kBytesFlag | XingInfo::kScaleFlag;

using Sources = std::vector<std::unique_ptr<ByteSource>>;

bool SameKindList(const std::vector<std::string>& paths) {
  const auto kind = GetAudioKind(paths.front());
  for (const auto& p : paths) {
    if (GetAudioKind(p) != kind) return false;
  }
  return true;
}

ResultCode JoinWave(const std::string& saveFileName, Sources& inputs, ProgressSink* sink,
                    FileSystem& files) {
  std::vector<WaveHeader> headers(inputs.size());
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (ReadWaveHeader(*inputs[i], headers[i]) < WaveHeader::kSize)
      return ResultCode::WaveReadFailed;
    if (!SameWaveFormat(headers.front(), headers[i])) return ResultCode::WaveFormatsDiffer;
    total += headers[i].DataSize();
  }
  if (total > kMaxWaveData) return ResultCode::InvalidParameter;

  const auto out = files.Create(saveFileName);
  if (!out) return ResultCode::OpenFailed;
  if (!out->Write(headers.front().WithDataSize(static_cast<std::uint32_t>(total)).bytes))
    return ResultCode::OpenFailed;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    // Exactly the sample data: chunks after it (tags, cue points) are not audio.
    const auto from = headers[i].dataOffset;
    if (!CopyByteRange(*inputs[i], *out, from, from + headers[i].DataSize()))
      return ResultCode::OpenFailed;
    if (sink) sink->Join(Percent(i + 1, inputs.size()));
  }
  if (!out->Finish()) return ResultCode::OpenFailed;
  if (sink) sink->StatusChange(4);
  return ResultCode::Success;
}

// The frame the joined stream's info frame is built on: the first input's own info frame, or its
// first header with an empty side information and the tag where a reader looks for it.
std::vector<std::uint8_t> InfoFrameBase(const Mp3Layout& layout, const CFrameReader& reader) {
  if (layout.hasInfo) return layout.infoFrame;
  const auto header = reader.HasReference() ? reader.GetReference() : *layout.firstHeader;
  std::vector<std::uint8_t> frame(header.InfoTagOffset() + 4, 0);
  const auto word = header.Word();
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
  std::copy_n("Xing", 4, frame.begin() + header.InfoTagOffset());
  return frame;
}

ResultCode JoinMp3(const std::string& saveFileName, Sources& inputs, ProgressSink* sink,
                   FileSystem& files) {
  const auto out = files.Create(saveFileName);
  if (!out) return ResultCode::OpenFailed;

  // The first input's leading tag, byte for byte, then the info frame of the whole stream.
  std::vector<std::uint8_t> infoBase;
  XingInfo joinInfo;
  std::uint64_t infoAt = 0;
  {
    CFrameReader reader;
    reader.Open(*inputs.front());
    const auto layout = ReadMp3Layout(reader, *inputs.front());
    if (!CopyByteRange(*inputs.front(), *out, 0, layout.audioStart)) return ResultCode::OpenFailed;
    infoAt = layout.audioStart;
    if (layout.firstHeader) {
      infoBase = InfoFrameBase(layout, reader);
      joinInfo.flags = kJoinInfoFlags;
      joinInfo.scale = 0;
      joinInfo.tagOffset = MpegHeader::FromBytes(infoBase).InfoTagOffset();
      if (!out->Write(BuildInfoFrame(infoBase, joinInfo, 0, 0))) return ResultCode::OpenFailed;
    }
  }

  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    // One reader at a time, whatever the number of inputs. Each input contributes its audio
    // frames only: not its info frame, tags or trailing bytes.
    CFrameReader reader;
    reader.Open(*inputs[i]);
    const auto layout = ReadMp3Layout(reader, *inputs[i]);
    FrameCursor cursor(reader, layout.firstFrame);
    FrameCopier copier(reader, *inputs[i], *out);
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    while (cursor.Next(offset, length)) {
      if (!copier.Add(offset, length)) return ResultCode::OpenFailed;
      ++frames;
      bytes += length;
    }
    if (!copier.Flush() || reader.Failed()) return ResultCode::OpenFailed;
    if (sink) sink->Join(Percent(i + 1, inputs.size()));
  }
  if (!infoBase.empty() &&
      !out->WriteAt(infoAt,
                    BuildInfoFrame(infoBase, joinInfo, ClampTo32(frames), ClampTo32(bytes))))
    return ResultCode::OpenFailed;
  if (!out->Finish()) return ResultCode::OpenFailed;
  if (sink) sink->StatusChange(4);
  return ResultCode::Success;
}

}  // namespace

ResultCode Join(const std::string& saveFileName, const std::string& filesToJoin,
                std::int16_t filesCount, ProgressSink* sink, FileSystem& files) {
  const auto paths = SplitList(filesToJoin, filesCount);
  if (!paths) return ResultCode::InvalidParameter;
  if (!SameKindList(*paths)) return ResultCode::KindsDiffer;
  const auto kind = GetAudioKind(paths->front());
  if (kind == AudioKind::None) return ResultCode::NotSupported;

  Sources inputs;
  std::vector<std::optional<FileIdentity>> identities;
  for (const auto& path : *paths) {
    inputs.push_back(files.OpenRead(path));
    if (!inputs.back()) return ResultCode::OpenFailed;
    identities.push_back(inputs.back()->Identity());
  }
  // Writing over an input would destroy it while it is read.
  if (IsAnyOf(files, saveFileName, identities)) return ResultCode::OpenFailed;
  return kind == AudioKind::Wave ? JoinWave(saveFileName, inputs, sink, files)
                                 : JoinMp3(saveFileName, inputs, sink, files);
}

}  // namespace tandrel
