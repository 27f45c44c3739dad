#include <limits>
#include <string>

#include "mp3_stream.h"
#include "operation_run.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/path_name.h"
#include "tandrel_engine/wave_header.h"
#include "wave_output.h"

namespace tandrel {
namespace {

constexpr std::uint64_t kMaxWaveData = std::numeric_limits<std::uint32_t>::max() - 36;

// savePath, one separator (always, even after a trailing one), base, "_", k, extension.
std::string PieceName(const std::string& savePath, const std::string& base, std::uint64_t k,
                      const char* extension) {
  return savePath + kPathSeparator + base + "_" + std::to_string(k) + extension;
}

// The source of a cut, with the path it was opened by and the pieces' names.
struct Cut {
  ByteSource& source;
  const std::string& path;
  const std::string& savePath;
  std::string base;
};

ResultCode CutWave(const Cut& cut, std::int32_t fileSize, ProgressSink* sink, FileSystem& files,
                   OperationRun& run) {
  auto& source = cut.source;
  WaveHeader header;
  if (ReadWaveHeader(source, header) < WaveHeader::kSize) return ResultCode::WaveCorrupted;
  const std::uint64_t blockAlign = header.BlockAlign() > 0 ? header.BlockAlign() : 0;
  if (blockAlign == 0) return ResultCode::WaveCorrupted;
  // Whole blocks per piece; a piece smaller than one block cannot be cut.
  const std::uint64_t pieceSize = std::uint64_t(fileSize) / blockAlign * blockAlign;
  if (pieceSize == 0 || pieceSize > kMaxWaveData) return ResultCode::InvalidParameter;

  const std::uint64_t data = header.DataSize();
  const std::uint64_t n = data / pieceSize + (data % pieceSize ? 1 : 0);
  const std::vector<std::optional<FileIdentity>> sourceId{source.Identity()};
  for (std::uint64_t k = 1; k <= n; ++k) {
    const auto name = PieceName(cut.savePath, cut.base, k, ".wav");
    if (FindSameFile(files, name, sourceId))
      return run.Fail(FailureKind::SameFile, name, 0, cut.path);
    const auto size = k < n ? pieceSize : data - (n - 1) * pieceSize;
    const auto from = header.dataOffset + (k - 1) * pieceSize;
    OutputPiece piece{static_cast<int>(k), static_cast<int>(n), name};
    const auto written = WriteWaveOutput(files, run, piece, header, size, [&](ByteSink& out) {
      return run.Copy(source, out, from, from + size) ? ResultCode::Success
                                                      : run.CopyFailed(out, name, source, cut.path);
    });
    if (written != ResultCode::Success) return written;
    if (sink) sink->Cut(Percent(k, n));
  }
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

ResultCode CutMp3(const Cut& cut, std::int32_t fileSize, ProgressSink* sink, FileSystem& files,
                  OperationRun& run) {
  auto& source = cut.source;
  Mp3Source mp3;
  OpenMp3Source(source, mp3);
  if (mp3.layout.failed) return run.Fail(FailureKind::Read, cut.path, source.Error());
  if (!mp3.layout.hasAudio) return ResultCode::NotSupported;
  const auto behind = WriteBehind::Start(source.Size(), source.ReadsConcurrently());
  run.SetWriteBehind(behind.get());
  FrameCursor cursor(mp3.reader, mp3.layout.audioFrames);
  const std::uint64_t limit = std::uint64_t(fileSize);
  // Only for the progress value: pieces are cut until the frames run out.
  const std::uint64_t n = source.Size() / limit + (source.Size() % limit ? 1 : 0);
  const std::vector<std::optional<FileIdentity>> sourceId{source.Identity()};

  // A piece is opened only when a frame is there to fill it, so frames that end exactly at a
  // piece boundary leave no empty piece behind.
  cursor.Next();
  // The wrap is told how many pieces there are; only it needs the frames counted first.
  const auto count = run.Wraps() ? CountPieces(run, cursor, limit) : n;
  PieceOrder order(run, sink);
  for (std::uint64_t k = 1; cursor.HasFrame(); ++k) {
    const auto name = PieceName(cut.savePath, cut.base, k, ".mp3");
    if (FindSameFile(files, name, sourceId))
      return order.End(run.Fail(FailureKind::SameFile, name, 0, cut.path));
    OutputPiece piece{static_cast<int>(k), static_cast<int>(count), name};
    auto code = ResultCode::Success;
    auto out = WriteMp3Piece(files, run, piece, {mp3, source, cut.path}, cursor,
                             std::numeric_limits<std::uint64_t>::max(), limit, code);
    if (!out) return order.End(code);
    if (const auto named = order.Add(std::move(out), name, Percent(k, n));
        named != ResultCode::Success)
      return named;
  }
  // The frames ran out: at the end of the source, or at a read error.
  if (mp3.reader.Failed()) return order.End(run.Fail(FailureKind::Read, cut.path, source.Error()));
  if (const auto named = order.End(ResultCode::Success); named != ResultCode::Success) return named;
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

}  // namespace

ResultCode CutBySize(const std::string& openFileName, std::int32_t fileSize,
                     const std::string& savePath, ProgressSink* sink, FileSystem& files) {
  return CutBySize(openFileName, fileSize, savePath, sink, OperationOptions{}, files);
}

ResultCode CutBySize(const std::string& openFileName, std::int32_t fileSize,
                     const std::string& savePath, ProgressSink* sink,
                     const OperationOptions& options, FileSystem& files) {
  OperationRun run(options);
  // The size is checked first, against the real size (0 when the source cannot be opened).
  int error = 0;
  auto source = files.OpenRead(openFileName, &error);
  if (!source) run.Fail(FailureKind::Open, openFileName, error);
  const std::uint64_t size = source ? source->Size() : 0;
  if (fileSize < 1 || std::uint64_t(fileSize) > size) return ResultCode::InvalidParameter;
  const auto kind = GetAudioKind(openFileName);
  if (kind == AudioKind::None) return ResultCode::NotSupported;
  const Cut cut{*source, openFileName, savePath, GetBaseName(openFileName)};
  return kind == AudioKind::Wave ? CutWave(cut, fileSize, sink, files, run)
                                 : CutMp3(cut, fileSize, sink, files, run);
}

}  // namespace tandrel
