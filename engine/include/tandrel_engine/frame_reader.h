#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tandrel_engine/byte_io.h"
#include "tandrel_engine/mp3_tags.h"
#include "tandrel_engine/mpeg_header.h"
#include "tandrel_engine/xing_header.h"

namespace tandrel {

// The chain rule. Four bytes that look like a header prove nothing: frame data and cover
// pictures are full of them. A header is believed when the header found at its frame length is
// valid too and of the same stream, and so on for `needed` headers in a row, or when the frames
// of the chain end exactly at the end of the audio (a stream shorter than the chain).
struct FrameChain {
  int headers = 0;          // valid headers of one stream in a row, each where the last frame ends
  bool reachesEnd = false;  // the last of them ends exactly at the end of the audio

  bool Holds(int needed) const { return headers >= needed || reachesEnd; }
};
// A frame of a stream that is already known: the frame and the next header.
inline constexpr int kFrameChain = 2;
// A frame that defines the stream: three headers in a row.
inline constexpr int kStreamChain = 3;
// The bytes FollowChain needs to see `needed` headers.
inline constexpr std::size_t ChainBytes(int needed) {
  return static_cast<std::size_t>(needed - 1) * 1441 + 4;
}

// Follows the chain from the header at the start of `bytes`. Every header must be of the stream
// of `stream` (of the first header itself when none is given). `toAudioEnd`: `bytes` runs exactly
// to the end of the audio, so a frame ending there ends the stream. Stops after `needed` headers.
FrameChain FollowChain(std::span<const std::uint8_t> bytes, bool toAudioEnd,
                       std::optional<MpegHeader> stream, int needed);

// True when `frame` is an info frame: "Xing" or "Info" right after the side information. It
// describes a stream and holds no audio.
bool IsInfoFrame(std::span<const std::uint8_t> frame);

// Reads an MP3 stream frame by frame. Open only opens; LocateMp3Stream then finds the audio and
// its reference frame and sets the reader to them. A frame is returned only when it is of the
// reference's stream, lies inside the audio and chains (kFrameChain), or is the stream's last:
// it begins where the search began (where the frame before it ended) and no chained frame
// follows it in the audio; bytes that are not such a frame are passed over one at a time, and
// info frames inside the stream (files joined by copying) are passed over whole.
class CFrameReader {
 public:
  static constexpr std::size_t kFrameBufferSize = 2048;  // the longest Layer III frame is 1441

  CFrameReader() = default;
  CFrameReader(const CFrameReader&) = delete;
  CFrameReader& operator=(const CFrameReader&) = delete;

  // Opens the file. False only when it cannot be opened. The position is byte 0, the audio is
  // the whole file and there is no reference yet.
  bool Open(const std::string& path);
  // The same over a source the caller owns (memory, a test double).
  bool Open(ByteSource& source);
  void Close();

  // The stream the frames must belong to, and the length of its reference frame.
  void SetReference(MpegHeader reference, std::uint32_t length);
  void ClearReference() { hasReference_ = false; }
  // The audio ends here: trailing tags are never read as frames.
  void SetAudioEnd(std::uint64_t end);
  std::uint64_t GetAudioEnd() const { return audioEnd_; }

  // The body (everything after the 4 header bytes) of the next frame at or after the position,
  // or an empty optional at the end of the stream: the end of the audio, a short read or a failed
  // read.
  std::optional<std::span<const std::uint8_t>> ReadFrame();
  // Finds the next frame like ReadFrame but does not copy it: GetFrameOffset, GetHeader and
  // GetBodySize describe it (GetFrame does not).
  bool SkipFrame();
  // Finds the next frame like ReadFrame and gives its bytes where they lie in the reader's
  // buffer: valid until the reader moves on.
  bool ViewFrame();
  std::span<const std::uint8_t> GetFrameView() const { return view_; }
  // Passes a hook to the buffered reader: called before the bytes of earlier views are replaced.
  void SetRefillHook(ByteReader::RefillHook hook, void* context) {
    if (reader_) reader_->SetRefillHook(hook, context);
  }

  // Moves to the next header at or after the position that chains over `needed` headers (of the
  // reference's stream once there is one) and stops on it without reading it. With
  // `infoFrames` false, info frames are passed over. False at the end of the audio.
  bool FindChainedHeader(int needed, bool infoFrames, MpegHeader& header);

  // Header and body of the last frame read, contiguous, as stored in the file.
  std::span<const std::uint8_t> GetFrame() const { return {frame_.data(), bodySize_ + 4}; }
  std::uint32_t GetHeaderWord() const { return header_.Word(); }
  MpegHeader GetHeader() const { return header_; }
  std::uint32_t GetBodySize() const { return bodySize_; }
  // File offset of the last frame's first header byte.
  std::uint64_t GetFrameOffset() const { return frameOffset_; }
  // Frames read since Open.
  std::uint64_t GetFrameCount() const { return frameCount_; }

  bool HasReference() const { return hasReference_; }
  MpegHeader GetReference() const { return reference_; }
  // The reference frame's body size (frame length - 4).
  std::uint32_t GetReferenceBodySize() const { return referenceBodySize_; }

  // 26, 24 or 36 (52, 48 or 72 for MPEG-2.5) by the sample-rate index of the last frame read.
  std::uint32_t GetMsPerFrame() const { return header_.MsPerFrame(); }
  std::uint64_t GetFileLength() const;
  // Constant-bit-rate play time: frames in `audioBytes` at the reference's unpadded length, times
  // the frame duration. 0 without a reference.
  std::int64_t EstimatePlayTime(std::uint64_t audioBytes) const;

  // True when reading stopped at a read error rather than at the end of the source.
  bool Failed() const { return reader_ && reader_->Failed(); }

  void Seek(std::uint64_t pos);
  std::uint64_t Tell() const;
  // The source being read; nullptr when not open.
  ByteSource* Source() { return reader_ ? &reader_->Source() : nullptr; }

 private:
  bool OpenReader();
  // The bytes from the position up to `n`, fewer at the end of the audio.
  std::span<const std::uint8_t> PeekUpTo(std::size_t n);
  void Accept(MpegHeader header, std::uint32_t length);

  std::unique_ptr<ByteSource> ownedSource_;
  std::unique_ptr<ByteReader> reader_;
  std::array<std::uint8_t, kFrameBufferSize> frame_{};
  MpegHeader header_;
  std::uint32_t bodySize_ = 0;
  std::span<const std::uint8_t> view_;
  std::uint64_t frameOffset_ = 0;
  std::uint64_t frameCount_ = 0;
  std::uint64_t audioEnd_ = 0;
  bool hasReference_ = false;
  MpegHeader reference_;
  std::uint32_t referenceBodySize_ = 0;
};

// Where the audio of an MP3 file lies, found in one place for every operation.
struct Mp3Layout {
  std::uint64_t audioStart = 0;  // after the leading ID3v2 tags
  std::uint64_t audioEnd = 0;    // before the trailing tags
  bool hasAudio = false;         // a chained frame was found, and with it a reference
  bool failed = false;           // a read failed: nothing here can be trusted
  std::uint64_t firstFrame = 0;  // the first chained frame: the info frame or the first audio one
  MpegHeader firstHeader;
  bool hasInfo = false;                 // the first frame is an info frame
  XingInfo info;                        // its fields
  std::vector<std::uint8_t> infoFrame;  // its bytes as stored
  std::uint64_t audioFrames = 0;        // where audio frame 0 is searched for
  MpegHeader reference;                 // the frame every audio frame must match
  std::uint32_t referenceLength = 0;

  // The info header's frame count, when it has one and its byte count agrees with the audio
  // the file holds (within 1/16): a cut-short download or files joined by copying keep an info
  // header that counts other frames.
  std::optional<std::uint32_t> TrustedInfoFrames() const;
};

// Where the frames of a stream lie, sparsely: the index and offset of one frame every so many
// (a mark), and for the stretch from each mark to the next whether its frames lie back to back
// with nothing between them, so that the stretch can be copied as one range without reading it.
// Built frame by frame in order; it keeps at most kMaxMarks marks, spacing them wider as the
// stream goes on. A mark is where a frame was found, so reading from it finds that frame again,
// and every frame after it as before.
class FrameMarks {
 public:
  struct Mark {
    std::uint64_t index = 0;   // of the frame
    std::uint64_t offset = 0;  // of its first header byte
    bool solid = true;         // the frames up to the next mark fill the bytes up to it exactly
  };
  static constexpr std::size_t kMaxMarks = 4096;

  // Frame `index`, `length` bytes at `offset`; ignored unless it is the next frame not yet added.
  void Add(std::uint64_t index, std::uint64_t offset, std::uint32_t length);
  // The frames of `next` follow those added here, its frame 0 being the next one: its marks are
  // taken over.
  void Append(const FrameMarks& next);
  // No frame follows those added: a last mark, at the frame count and the end of the last frame,
  // closes the last stretch.
  void End();

  bool Ended() const { return ended_; }
  std::uint64_t Frames() const { return next_; }
  std::span<const Mark> Marks() const { return marks_; }
  // The last mark at or before frame `index`; nullptr when there is none.
  const Mark* AtOrBefore(std::uint64_t index) const;

 private:
  void Thin();

  std::vector<Mark> marks_;
  std::uint64_t stride_ = 256;  // frames from one mark to the next as they are added
  std::uint64_t next_ = 0;      // the index of the next frame to add
  std::uint64_t end_ = 0;       // where the last frame added ends
  bool ended_ = false;
};

// The frames of one file's stream as a count found them, with what the count was taken of: a cut
// of the same file, unchanged, seeks by it and copies its back-to-back stretches without reading
// them again.
struct FrameIndex {
  FrameMarks marks;  // ended
  std::uint64_t size = 0;
  std::optional<FileIdentity> identity;
  std::optional<std::int64_t> modified;
  std::uint64_t audioFrames = 0;  // the layout it was counted in
  std::uint64_t audioEnd = 0;
  std::uint32_t reference = 0;
  std::uint32_t referenceLength = 0;

  // True when this is an index of `source`, a file whose stream was located as `layout`, and the
  // file has not changed since.
  bool Describes(const ByteSource& source, const Mp3Layout& layout) const;
};

// The audio frames of a located stream, as CFrameReader reads them (info frames inside the
// stream are not counted).
struct StreamCount {
  std::uint64_t frames = 0;
  std::uint32_t firstBitrate = 0;  // of the first frame counted; 0 when there is none
  bool variableBitrate = false;    // some frame's bitrate differs from the first one's
  bool failed = false;             // a read failed: the count cannot be trusted
};
// Counts the frames of `source` that LocateMp3Stream found in `layout` (hasAudio). A long stream
// of a source that reads concurrently is counted in two halves at once where threads are
// available: the second half from the first frame found in it, which the count of the first
// half must reach exactly for the two to be added (else the first goes on alone to the end), so
// the count is always the one a single pass gives.
// With `index`, the frames' marks go there too, unless the count failed.
StreamCount CountStreamFrames(ByteSource& source, const Mp3Layout& layout,
                              FrameIndex* index = nullptr);

// Finds the audio of the opened reader's source: its bounds between the tags, the first chained
// frame and whether it is an info frame, and the reference frame, taken from one tenth into the
// audio (so neither a leading tag nor an info frame can be it), else the first chained frame of
// the audio. Sets the reader to that reference and audio end and leaves it at audioFrames.
Mp3Layout LocateMp3Stream(CFrameReader& reader);

}  // namespace tandrel
