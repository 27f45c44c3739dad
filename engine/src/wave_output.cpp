#include "wave_output.h"

#include <limits>

namespace tandrel {
namespace {

void PutLe32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> WaveOutputHeader(const WaveHeader& format, std::uint64_t dataSize,
                                           std::span<const std::uint8_t> before,
                                           std::uint64_t afterSize) {
  // RIFF size: "WAVE" and the fmt chunk (4 + 24), the chunks before, the data chunk (8 + data),
  // what follows it.
  const std::uint64_t riffSize = 36 + before.size() + dataSize + afterSize;
  if (riffSize > std::numeric_limits<std::uint32_t>::max()) return {};
  std::vector<std::uint8_t> bytes(format.bytes.begin(), format.bytes.begin() + 36);
  bytes.insert(bytes.end(), before.begin(), before.end());
  bytes.insert(bytes.end(), format.bytes.begin() + 36, format.bytes.end());
  PutLe32(&bytes[4], static_cast<std::uint32_t>(riffSize));
  PutLe32(&bytes[bytes.size() - 4], static_cast<std::uint32_t>(dataSize));
  return bytes;
}

ResultCode WriteWaveOutput(FileSystem& files, OperationRun& run, OutputPiece piece,
                           const WaveHeader& format, std::uint64_t dataSize,
                           const WaveDataWriter& writeData) {
  const std::uint64_t blockAlign = format.BlockAlign() > 0 ? format.BlockAlign() : 1;
  piece.kind = AudioKind::Wave;
  piece.samples = dataSize / blockAlign;
  piece.sampleRate = format.SampleRate();
  const auto before = run.Before(piece);
  auto after = run.After(piece);
  if (!after.empty() && dataSize % 2 != 0) after.insert(after.begin(), 0);  // the pad byte
  const auto header = WaveOutputHeader(format, dataSize, before, after.size());
  if (header.empty()) return ResultCode::InvalidParameter;

  const auto& path = piece.path;
  if (run.Cancelled()) return run.Cancel(path);
  int error = 0;
  const auto out = files.Create(path, &error);
  if (!out) return run.Fail(FailureKind::Create, path, error);
  if (!out->Write(header)) return run.WriteFailed(*out, path);
  if (const auto copied = writeData(*out); copied != ResultCode::Success) return copied;
  if (!after.empty() && !out->Write(after)) return run.WriteFailed(*out, path);
  if (!out->Finish()) return run.FinishFailed(*out, path);
  run.Written(path);
  return ResultCode::Success;
}

}  // namespace tandrel
