#include <limits>

#include "mp3_stream.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/section_list.h"
#include "tandrel_engine/wave_header.h"

namespace tandrel {
namespace {

// The largest data size a 44-byte header can describe: the RIFF size (data + 36) is 32-bit too.
constexpr std::uint64_t kMaxWaveData = std::numeric_limits<std::uint32_t>::max() - 36;

std::vector<std::optional<FileIdentity>> IdentityOf(const ByteSource& source) {
  return {source.Identity()};
}

bool AnyOutputIsSource(FileSystem& files, const std::vector<SectionRecord>& sections,
                       const ByteSource& source) {
  const auto ids = IdentityOf(source);
  for (const auto& s : sections) {
    if (IsAnyOf(files, s.path, ids)) return true;
  }
  return false;
}

ResultCode CutWave(const std::vector<SectionRecord>& sections, ByteSource& source,
                   ProgressSink* sink, FileSystem& files) {
  WaveHeader header;
  if (ReadWaveHeader(source, header) < WaveHeader::kSize) return ResultCode::WaveCorrupted;
  const std::int64_t blockAlign = header.BlockAlign();
  const std::int64_t perSecond = header.BytesPerSecond();
  if (blockAlign <= 0 || perSecond == 0) return ResultCode::WaveCorrupted;
  if (AnyOutputIsSource(files, sections, source)) return ResultCode::OpenFailed;

  const auto dataStart = static_cast<std::int64_t>(header.dataOffset);
  const auto dataEnd = dataStart + header.DataSize();
  // A time in ms to the offset of the block it falls in; all in 64 bits, truncating.
  auto offsetOf = [&](std::int64_t ms) {
    return dataStart + blockAlign * ((ms * perSecond / 1000) / blockAlign);
  };
  const auto n = sections.size();
  for (std::size_t k = 0; k < n; ++k) {
    const auto& s = sections[k];
    const auto from = offsetOf(std::int64_t{s.start} - 1);
    const auto to = s.end == -1 ? dataEnd : offsetOf(s.end);
    if (from < dataStart || from > dataEnd || to < from || to > dataEnd)
      return ResultCode::InvalidParameter;
    const auto size = static_cast<std::uint64_t>(to - from);
    if (size > kMaxWaveData) return ResultCode::InvalidParameter;

    const auto out = files.Create(s.path);
    if (!out) return ResultCode::OpenFailed;
    const auto pieceHeader = header.WithDataSize(static_cast<std::uint32_t>(size));
    if (!out->Write(pieceHeader.bytes) ||
        !CopyByteRange(source, *out, static_cast<std::uint64_t>(from),
                       static_cast<std::uint64_t>(to)) ||
        !out->Finish())
      return ResultCode::OpenFailed;
    if (sink) sink->Cut(Percent(k + 1, n));
  }
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

ResultCode CutMp3(const std::vector<SectionRecord>& sections, ByteSource& source,
                  ProgressSink* sink, FileSystem& files) {
  if (AnyOutputIsSource(files, sections, source)) return ResultCode::OpenFailed;
  Mp3Source mp3;
  OpenMp3Source(source, mp3);
  if (mp3.layout.failed) return ResultCode::OpenFailed;
  if (!mp3.layout.hasAudio) return ResultCode::NotSupported;
  const std::uint64_t ms = mp3.layout.reference.MsPerFrame();
  FrameCursor cursor(mp3.reader, mp3.layout.audioFrames);

  const auto n = sections.size();
  for (std::size_t k = 0; k < n; ++k) {
    const auto& s = sections[k];
    // Frames [floor((start - 1) / ms), floor(end / ms)) counted from the first audio frame, so
    // that 1;L, L+1;2L ... tile the stream exactly.
    const std::uint64_t first = s.start <= 0 ? 0 : (std::uint64_t(s.start) - 1) / ms;
    const std::uint64_t last = s.end == -1 ? std::numeric_limits<std::uint64_t>::max()
                               : s.end < 0 ? 0
                                           : std::uint64_t(s.end) / ms;
    // A section past the end of the stream gives a piece without frames.
    const bool any = first < last && cursor.SeekFrame(first);
    const auto written = WriteMp3Piece(files, s.path, mp3, source, cursor, any ? last : 0,
                                       std::numeric_limits<std::uint64_t>::max());
    if (written != ResultCode::Success) return written;
    if (sink) sink->Cut(Percent(k + 1, n));
  }
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

}  // namespace

ResultCode CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                     std::int16_t filesCount, ProgressSink* sink, FileSystem& files) {
  const auto kind = GetAudioKind(openFileName);
  if (kind == AudioKind::None) return ResultCode::NotSupported;
  const auto entries = SplitList(cutTimeInfo, filesCount);
  if (!entries) return ResultCode::InvalidParameter;
  const auto sections = ParseSections(*entries);
  if (!sections || !CheckSections(*sections)) return ResultCode::InvalidParameter;

  const auto source = files.OpenRead(openFileName);
  if (!source) return ResultCode::OpenFailed;
  return kind == AudioKind::Wave ? CutWave(*sections, *source, sink, files)
                                 : CutMp3(*sections, *source, sink, files);
}

}  // namespace tandrel
