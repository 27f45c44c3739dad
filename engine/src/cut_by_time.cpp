#include <limits>

#include "mp3_stream.h"
#include "operation_run.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/section_list.h"
#include "tandrel_engine/wave_header.h"
#include "wave_output.h"

namespace tandrel {
namespace {

// The largest data size a 44-byte header can describe: the RIFF size (data + 36) is 32-bit too.
constexpr std::uint64_t kMaxWaveData = std::numeric_limits<std::uint32_t>::max() - 36;

// The input an operation reads, with the path it was opened by.
struct Input {
  ByteSource& source;
  const std::string& path;
};

// SameFile when an output is the source.
ResultCode CheckOutputs(FileSystem& files, OperationRun& run,
                        const std::vector<SectionRecord>& sections, const Input& input) {
  const std::vector<std::optional<FileIdentity>> ids{input.source.Identity()};
  for (const auto& s : sections) {
    if (FindSameFile(files, s.path, ids))
      return run.Fail(FailureKind::SameFile, s.path, 0, input.path);
  }
  return ResultCode::Success;
}

ResultCode CutWave(const std::vector<SectionRecord>& sections, const Input& input,
                   ProgressSink* sink, FileSystem& files, OperationRun& run) {
  auto& source = input.source;
  WaveHeader header;
  if (ReadWaveHeader(source, header) < WaveHeader::kSize) return ResultCode::WaveCorrupted;
  const std::int64_t blockAlign = header.BlockAlign();
  const std::int64_t perSecond = header.BytesPerSecond();
  if (blockAlign <= 0 || perSecond == 0) return ResultCode::WaveCorrupted;
  if (const auto same = CheckOutputs(files, run, sections, input); same != ResultCode::Success)
    return same;

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

    OutputPiece piece{static_cast<int>(k + 1), static_cast<int>(n), s.path};
    const auto written = WriteWaveOutput(files, run, piece, header, size, [&](ByteSink& out) {
      return run.Copy(source, out, static_cast<std::uint64_t>(from), static_cast<std::uint64_t>(to))
                 ? ResultCode::Success
                 : run.CopyFailed(out, s.path, source, input.path);
    });
    if (written != ResultCode::Success) return written;
    if (sink) sink->Cut(Percent(k + 1, n));
  }
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

ResultCode CutMp3(const std::vector<SectionRecord>& sections, const Input& input,
                  ProgressSink* sink, FileSystem& files, OperationRun& run) {
  if (const auto same = CheckOutputs(files, run, sections, input); same != ResultCode::Success)
    return same;
  Mp3Source mp3;
  OpenMp3Source(input.source, mp3);
  if (mp3.layout.failed) return run.Fail(FailureKind::Read, input.path, input.source.Error());
  if (!mp3.layout.hasAudio) return ResultCode::NotSupported;
  const auto behind = WriteBehind::Start(input.source.Size(), input.source.ReadsConcurrently());
  run.SetWriteBehind(behind.get());
  const std::uint64_t ms = mp3.layout.reference.MsPerFrame();
  FrameCursor cursor(mp3.reader, mp3.layout.audioFrames, run.KnownFrames(input.source, mp3.layout));

  const auto n = sections.size();
  PieceOrder order(run, sink);
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
    OutputPiece piece{static_cast<int>(k + 1), static_cast<int>(n), s.path};
    auto code = ResultCode::Success;
    auto out = WriteMp3Piece(files, run, piece, {mp3, input.source, input.path}, cursor,
                             any ? last : 0, std::numeric_limits<std::uint64_t>::max(), code);
    if (!out) return order.End(code);
    if (const auto named = order.Add(std::move(out), s.path, Percent(k + 1, n));
        named != ResultCode::Success)
      return named;
  }
  if (const auto named = order.End(ResultCode::Success); named != ResultCode::Success) return named;
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

}  // namespace

ResultCode CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                     std::int16_t filesCount, ProgressSink* sink, FileSystem& files) {
  return CutByTime(openFileName, cutTimeInfo, filesCount, sink, OperationOptions{}, files);
}

ResultCode CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                     std::int16_t filesCount, ProgressSink* sink, const OperationOptions& options,
                     FileSystem& files) {
  OperationRun run(options);
  const auto kind = GetAudioKind(openFileName);
  if (kind == AudioKind::None) return ResultCode::NotSupported;
  const auto entries = SplitList(cutTimeInfo, filesCount);
  if (!entries) return ResultCode::InvalidParameter;
  const auto sections = ParseSections(*entries);
  if (!sections || !CheckSections(*sections)) return ResultCode::InvalidParameter;

  int error = 0;
  const auto source = files.OpenRead(openFileName, &error);
  if (!source) return run.Fail(FailureKind::Open, openFileName, error);
  const Input input{*source, openFileName};
  return kind == AudioKind::Wave ? CutWave(*sections, input, sink, files, run)
                                 : CutMp3(*sections, input, sink, files, run);
}

}  // namespace tandrel
