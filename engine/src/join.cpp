#include <algorithm>
#include <limits>
#include <memory>

#include "mp3_stream.h"
#include "operation_run.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operations.h"
#include "tandrel_engine/section_list.h"
#include "tandrel_engine/wave_header.h"
#include "wave_output.h"
#include "write_behind.h"

namespace tandrel {
namespace {

constexpr std::uint64_t kMaxWaveData = std::numeric_limits<std::uint32_t>::max() - 36;
// An info frame that counts frames and bytes and carries a scale of 0.
constexpr std::uint32_t kJoinInfoFlags =
    XingInfo::kFramesFlag | XingInfo::kBytesFlag | XingInfo::kScaleFlag;

bool SameKindList(const std::vector<std::string>& paths) {
  const auto kind = GetAudioKind(paths.front());
  for (const auto& p : paths) {
    if (GetAudioKind(p) != kind) return false;
  }
  return true;
}

// The inputs are opened one at a time, in each pass: a join of thousands of chapters never holds
// more than one of them open.
ResultCode JoinWave(const std::string& saveFileName, const std::vector<std::string>& paths,
                    ProgressSink* sink, FileSystem& files, OperationRun& run) {
  std::vector<WaveHeader> headers(paths.size());
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    int error = 0;
    const auto input = files.OpenRead(paths[i], &error);
    if (!input) return run.Fail(FailureKind::Open, paths[i], error);
    if (ReadWaveHeader(*input, headers[i]) < WaveHeader::kSize) return ResultCode::WaveReadFailed;
    if (!SameWaveFormat(headers.front(), headers[i])) return ResultCode::WaveFormatsDiffer;
    total += headers[i].DataSize();
  }
  if (total > kMaxWaveData) return ResultCode::InvalidParameter;

  const OutputPiece piece{1, 1, saveFileName};
  const auto written =
      WriteWaveOutput(files, run, piece, headers.front(), total, [&](ByteSink& out) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
          int error = 0;
          const auto input = files.OpenRead(paths[i], &error);
          if (!input) return run.Fail(FailureKind::Open, paths[i], error);
          // Exactly the sample data: chunks after it (tags, cue points) are not audio.
          const auto from = headers[i].dataOffset;
          if (!run.Copy(*input, out, from, from + headers[i].DataSize()))
            return run.CopyFailed(out, saveFileName, *input, paths[i]);
          if (sink) sink->Join(Percent(i + 1, paths.size()));
        }
        return ResultCode::Success;
      });
  if (written != ResultCode::Success) return written;
  if (sink) sink->StatusChange(4);
  return ResultCode::Success;
}

// The frame the joined stream's info frame is built on: the first input's own info frame, or its
// reference header with an empty side information and the tag where a reader looks for it.
std::vector<std::uint8_t> InfoFrameBase(const Mp3Layout& layout) {
  if (layout.hasInfo) return layout.infoFrame;
  const auto header = layout.reference;
  std::vector<std::uint8_t> frame(header.InfoTagOffset() + 4, 0);
  header.WriteTo(frame);
  std::copy_n("Xing", 4, frame.begin() + header.InfoTagOffset());
  return frame;
}

// Waits for the writes queued so far when it goes.
struct InputDrain {
  WriteBehind* behind;
  ~InputDrain() {
    if (behind) behind->Drain();
  }
};

ResultCode JoinMp3(const std::string& saveFileName, const std::vector<std::string>& paths,
                   ProgressSink* sink, FileSystem& files, OperationRun& run) {
  // Every input must hold audio, and all of one stream shape: frames of other versions, rates or
  // channel counts in one stream are garbled by players. Bitrates may differ.
  std::optional<MpegHeader> shape;
  OutputPiece piece{1, 1, saveFileName, AudioKind::Mp3};
  std::uint64_t inputBytes = 0;
  bool concurrent = true;
  for (const auto& path : paths) {
    int error = 0;
    const auto input = files.OpenRead(path, &error);
    if (!input) return run.Fail(FailureKind::Open, path, error);
    inputBytes += input->Size();
    concurrent = concurrent && input->ReadsConcurrently();
    Mp3Source mp3;
    OpenMp3Source(*input, mp3);
    if (mp3.layout.failed) return run.Fail(FailureKind::Read, path, input->Error());
    if (!mp3.layout.hasAudio) return ResultCode::NotSupported;
    if (!shape) shape = mp3.layout.reference;
    if (!shape->SameStream(mp3.layout.reference)) return ResultCode::KindsDiffer;
    if (run.WrapCountsFrames()) {
      // The wrap is told the frames of the whole stream, so they are counted first.
      FrameCursor cursor(mp3.reader, mp3.layout.audioFrames);
      while (cursor.Next() && !run.Cancelled()) ++piece.frames;
      if (mp3.reader.Failed()) return run.Fail(FailureKind::Read, path, input->Error());
    }
  }
  piece.samples = piece.frames * shape->SamplesPerFrame();
  piece.sampleRate = shape->SampleRate();
  const auto before = run.Before(piece);
  const auto after = run.After(piece);

  if (run.Cancelled()) return run.Cancel(saveFileName);
  int error = 0;
  const auto behind = WriteBehind::Start(inputBytes, concurrent);  // outlives the output
  auto out = files.Create(saveFileName, &error);
  if (!out) return run.Fail(FailureKind::Create, saveFileName, error);
  if (behind) out = behind->Wrap(std::move(out));
  run.SetWriteBehind(behind.get());
  std::vector<std::uint8_t> infoBase;
  XingInfo joinInfo;
  std::uint64_t infoAt = 0;
  std::uint64_t frames = 0;
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const auto input = files.OpenRead(paths[i], &error);
    if (!input) return run.Fail(FailureKind::Open, paths[i], error);
    // The writes queued from this input are done before it is closed, however the loop ends.
    const InputDrain drain{behind.get()};
    Mp3Source mp3;
    OpenMp3Source(*input, mp3);
    if (mp3.layout.failed || !mp3.layout.hasAudio)  // changed since
      return run.Fail(FailureKind::Read, paths[i], input->Error());
    if (i == 0) {
      // The first input's leading tag byte for byte, or the wrap's bytes in its place, then the
      // info frame of the whole stream.
      if (run.Wraps()) {
        if (!before.empty() && !out->Write(before)) return run.WriteFailed(*out, saveFileName);
      } else if (!run.Copy(*input, *out, 0, mp3.layout.audioStart)) {
        return run.CopyFailed(*out, saveFileName, *input, paths[i]);
      }
      infoAt = out->Written();
      infoBase = InfoFrameBase(mp3.layout);
      joinInfo.flags = kJoinInfoFlags;
      joinInfo.scale = 0;
      joinInfo.tagOffset = MpegHeader::FromBytes(infoBase).InfoTagOffset();
      if (!out->Write(BuildInfoFrame(infoBase, joinInfo, 0, 0)))
        return run.WriteFailed(*out, saveFileName);
    }
    // Each input contributes its audio frames only: not its info frame, tags or trailing bytes.
    FrameCursor cursor(mp3.reader, mp3.layout.audioFrames);
    FrameCopier copier(mp3.reader, *input, *out, behind != nullptr);
    while (cursor.Next()) {
      if (run.Cancelled() || !copier.Add(cursor.Offset(), cursor.Length()))
        return run.CopyFailed(*out, saveFileName, *input, paths[i]);
      ++frames;
      bytes += cursor.Length();
    }
    if (!copier.Flush() || mp3.reader.Failed() || run.Cancelled())
      return run.CopyFailed(*out, saveFileName, *input, paths[i], mp3.reader.Failed());
    if (behind && !run.Settle(*out)) return run.CopyFailed(*out, saveFileName, *input, paths[i]);
    if (sink) sink->Join(Percent(i + 1, paths.size()));
  }
  if (!out->WriteAt(infoAt, BuildInfoFrame(infoBase, joinInfo, ClampTo32(frames), bytes)))
    return run.WriteFailed(*out, saveFileName);
  if (run.Wraps() && !run.WrapCountsFrames()) {
    piece.frames = frames;
    piece.samples = frames * shape->SamplesPerFrame();
    const auto completed = run.Completed(piece, before.size());
    if (!completed.empty() && !out->WriteAt(0, completed))
      return run.WriteFailed(*out, saveFileName);
  }
  if (!after.empty() && !out->Write(after)) return run.WriteFailed(*out, saveFileName);
  if (behind && !run.Settle(*out))
    return run.Cancelled() ? run.Cancel(saveFileName) : run.WriteFailed(*out, saveFileName);
  if (!out->Finish()) return run.FinishFailed(*out, saveFileName);
  run.Written(saveFileName);
  if (sink) sink->StatusChange(4);
  return ResultCode::Success;
}

}  // namespace

ResultCode Join(const std::string& saveFileName, const std::string& filesToJoin,
                std::int16_t filesCount, ProgressSink* sink, FileSystem& files) {
  return Join(saveFileName, filesToJoin, filesCount, sink, OperationOptions{}, files);
}

ResultCode Join(const std::string& saveFileName, const std::string& filesToJoin,
                std::int16_t filesCount, ProgressSink* sink, const OperationOptions& options,
                FileSystem& files) {
  OperationRun run(options);
  const auto paths = SplitList(filesToJoin, filesCount);
  if (!paths) return ResultCode::InvalidParameter;
  if (!SameKindList(*paths)) return ResultCode::KindsDiffer;
  const auto kind = GetAudioKind(paths->front());
  if (kind == AudioKind::None) return ResultCode::NotSupported;

  // Every input must open before anything is written; each is closed again at once.
  std::vector<std::optional<FileIdentity>> identities;
  for (const auto& path : *paths) {
    int error = 0;
    const auto input = files.OpenRead(path, &error);
    if (!input) return run.Fail(FailureKind::Open, path, error);
    identities.push_back(input->Identity());
  }
  // Writing over an input would destroy it while it is read.
  if (const auto same = FindSameFile(files, saveFileName, identities))
    return run.Fail(FailureKind::SameFile, saveFileName, 0, (*paths)[*same]);
  return kind == AudioKind::Wave ? JoinWave(saveFileName, *paths, sink, files, run)
                                 : JoinMp3(saveFileName, *paths, sink, files, run);
}

}  // namespace tandrel
