#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "tandrel/byte_io.h"
#include "tandrel/mpeg_header.h"

namespace tandrel {

// Reads an MP3 stream frame by frame. The reference frame is the first frame accepted after
// Open moved to one tenth of the file, so a leading tag or info frame never becomes the
// reference; later frames must match its version, sample rate and single-channel state.
class CFrameReader {
 public:
  static constexpr std::size_t kFrameBufferSize = 2048;  // the longest Layer III frame is 1441

  CFrameReader() = default;
  CFrameReader(const CFrameReader&) = delete;
  CFrameReader& operator=(const CFrameReader&) = delete;

  // Opens the file and takes the reference. False only when the file cannot be opened; a file
  // without any frame still opens (without a reference). Leaves the position at byte 0.
  bool Open(const std::string& path);
  // The same over a source the caller owns (memory, a test double).
  bool Open(ByteSource& source);
  void Close();

  // The body (everything after the 4 header bytes) of the next frame at or after the position,
  // or an empty optional at the end of the stream: the real end, a short read or a failed read.
  // Non-matching bytes are passed over one at a time; a matching but refused header (bitrate
  // index 0 or 15, sample-rate index 3, not Layer III) is skipped whole, all 4 bytes.
  std::optional<std::span<const std::uint8_t>> ReadFrame();

  // Finds the next frame like ReadFrame but does not copy it: the reader moves past it and
  // GetFrameOffset, GetHeader and GetBodySize describe it (GetFrame does not). False at the end of
  // the stream, including a frame whose body would run past the end of the source.
  bool SkipFrame();

  // Finds the next frame like ReadFrame and gives its header and body where they lie in the
  // reader's buffer, without copying them: valid until the reader moves on. False at the end of
  // the stream.
  bool ViewFrame();
  std::span<const std::uint8_t> GetFrameView() const { return view_; }
  // Passes a hook to the buffered reader: called before the bytes of earlier views are replaced.
  void SetRefillHook(ByteReader::RefillHook hook, void* context) {
    if (reader_) reader_->SetRefillHook(hook, context);
  }

  // Header and body of the last frame read, contiguous, as stored in the file.
  std::span<const std::uint8_t> GetFrame() const { return {frame_.data(), bodySize_ + 4}; }
  std::uint32_t GetHeaderWord() const { return header_.Word(); }
  MpegHeader GetHeader() const { return header_; }
  std::uint32_t GetBodySize() const { return bodySize_; }
  // File offset of the last frame's first header byte.
  std::uint64_t GetFrameOffset() const { return frameOffset_; }
  // Frames read since Open (the reference frame counts).
  std::uint64_t GetFrameCount() const { return frameCount_; }

  bool HasReference() const { return hasReference_; }
  // The reference frame's header, and its body size (frame length - 4).
  MpegHeader GetReference() const { return reference_; }
  std::uint32_t GetReferenceBodySize() const { return referenceBodySize_; }

  // 26, 24 or 36 by the sample-rate index of the last frame read.
  std::uint32_t GetMsPerFrame() const { return header_.MsPerFrame(); }
  std::uint64_t GetFileLength() const;
  // Constant-bit-rate play time: frames in `audioBytes` (the file length when not given) at the
  // reference's unpadded length, times the frame duration. 0 without a reference.
  std::int64_t EstimatePlayTime(std::optional<std::uint64_t> audioBytes = std::nullopt) const;

  // True when reading stopped at a read error rather than at the end of the source.
  bool Failed() const { return reader_ && reader_->Failed(); }

  void Seek(std::uint64_t pos);
  std::uint64_t Tell() const;

 private:
  bool OpenReader();
  bool IsCandidate(const std::uint8_t* b) const;
  // Moves to the next acceptable header; its header in `header`. False at the end of the source.
  bool FindHeader(MpegHeader& header);
  void Accept(MpegHeader header, std::uint32_t length);

  std::unique_ptr<ByteSource> ownedSource_;
  std::unique_ptr<ByteReader> reader_;
  std::array<std::uint8_t, kFrameBufferSize> frame_{};
  MpegHeader header_;
  std::uint32_t bodySize_ = 0;
  std::span<const std::uint8_t> view_;
  std::uint64_t frameOffset_ = 0;
  std::uint64_t frameCount_ = 0;
  bool hasReference_ = false;
  MpegHeader reference_;
  std::uint32_t referenceBodySize_ = 0;
  bool closed_ = true;
};

// The size of an ID3v2 tag at the start of `bytes` (header, body and footer), or 0 when none.
// `bytes` should hold at least 10 bytes.
std::uint64_t Id3v2TagSize(std::span<const std::uint8_t> bytes);

// Where the audio of an MP3 file starts: after any ID3v2 tags at its beginning.
std::uint64_t FindAudioStart(ByteSource& source);

}  // namespace tandrel
