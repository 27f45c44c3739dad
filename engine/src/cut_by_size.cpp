#include <limits>
#include <string>

#include "mp3_stream.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/path_name.h"
#include "tandrel_engine/wave_header.h"

namespace tandrel {
namespace {

constexpr std::uint64_t kMaxWaveData = std::numeric_limits<std::uint32_t>::max() - 36;

// savePath, one separator (always, even after a trailing one), base, "_", k, extension.
std::string PieceName(const std::string& savePath, const std::string& base, std::uint64_t k,
                      const char* extension) {
  return savePath + kPathSeparator + base + "_" + std::to_string(k) + extension;
}

ResultCode CutWave(ByteSource& source, std::int32_t fileSize, const std::string& savePath,
                   const std::string& base, ProgressSink* sink, FileSystem& files) {
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
    const auto name = PieceName(savePath, base, k, ".wav");
    if (IsAnyOf(files, name, sourceId)) return ResultCode::OpenFailed;
    const auto out = files.Create(name);
    if (!out) return ResultCode::OpenFailed;
    const auto size = k < n ? pieceSize : data - (n - 1) * pieceSize;
    const auto from = header.dataOffset + (k - 1) * pieceSize;
    if (!out->Write(header.WithDataSize(static_cast<std::uint32_t>(size)).bytes) ||
        !CopyByteRange(source, *out, from, from + size) || !out->Finish())
      return ResultCode::OpenFailed;
    if (sink) sink->Cut(Percent(k, n));
  }
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

ResultCode CutMp3(ByteSource& source, std::int32_t fileSize, const std::string& savePath,
                  const std::string& base, ProgressSink* sink, FileSystem& files) {
  Mp3Source mp3;
  OpenMp3Source(source, mp3);
  if (mp3.layout.failed) return ResultCode::OpenFailed;
  if (!mp3.layout.hasAudio) return ResultCode::NotSupported;
  FrameCursor cursor(mp3.reader, mp3.layout.audioFrames);
  const std::uint64_t limit = std::uint64_t(fileSize);
  // Only for the progress value: pieces are cut until the frames run out.
  const std::uint64_t n = source.Size() / limit + (source.Size() % limit ? 1 : 0);
  const std::vector<std::optional<FileIdentity>> sourceId{source.Identity()};

  // A piece is opened only when a frame is there to fill it, so frames that end exactly at a
  // piece boundary leave no empty piece behind.
  cursor.Next();
  for (std::uint64_t k = 1; cursor.HasFrame(); ++k) {
    const auto name = PieceName(savePath, base, k, ".mp3");
    if (IsAnyOf(files, name, sourceId)) return ResultCode::OpenFailed;
    const auto written = WriteMp3Piece(files, name, mp3, source, cursor,
                                       std::numeric_limits<std::uint64_t>::max(), limit);
    if (written != ResultCode::Success) return written;
    if (sink) sink->Cut(Percent(k, n));
  }
  // The frames ran out: at the end of the source, or at a read error.
  if (mp3.reader.Failed()) return ResultCode::OpenFailed;
  if (sink) sink->StatusChange(3);
  return ResultCode::Success;
}

}  // namespace

ResultCode CutBySize(const std::string& openFileName, std::int32_t fileSize,
                     const std::string& savePath, ProgressSink* sink, FileSystem& files) {
  // The size is checked first, against the real size (0 when the source cannot be opened).
  auto source = files.OpenRead(openFileName);
  const std::uint64_t size = source ? source->Size() : 0;
  if (fileSize < 1 || std::uint64_t(fileSize) > size) return ResultCode::InvalidParameter;
  const auto kind = GetAudioKind(openFileName);
  if (kind == AudioKind::None) return ResultCode::NotSupported;
  const auto base = GetBaseName(openFileName);
  return kind == AudioKind::Wave ? CutWave(*source, fileSize, savePath, base, sink, files)
                                 : CutMp3(*source, fileSize, savePath, base, sink, files);
}

}  // namespace tandrel
