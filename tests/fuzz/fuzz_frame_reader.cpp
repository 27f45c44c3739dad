// Scans arbitrary bytes as an MP3 stream and compares the reader with a slow walker that states
// the chain rule (and the stream's last frame, which needs no next header) directly, one byte at
// a time: both must find the same first frame, info frame, reference and audio frames, and every
// frame the reader returns must be the bytes where it lies.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/byte_io.h"
#include "tandrel_engine/file_info.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/mpeg_header.h"

namespace {

using tandrel::MpegHeader;

struct Walker {
  std::span<const std::uint8_t> bytes;
  std::uint64_t end = 0;

  std::optional<MpegHeader> HeaderAt(std::uint64_t p) const {
    if (p + 4 > end) return std::nullopt;
    const auto h = MpegHeader::FromBytes(bytes.subspan(p));
    if (!h.IsAcceptable()) return std::nullopt;
    return h;
  }
  // `needed` headers of one stream in a row from p, or frames that end exactly at the end.
  bool Chained(std::uint64_t p, int needed, std::optional<MpegHeader> stream) const {
    const auto first = HeaderAt(p);
    if (!first || p + first->FrameLength() > end) return false;
    int count = 0;
    for (auto q = p;;) {
      const auto h = HeaderAt(q);
      if (!h || (stream && !h->SameStream(*stream))) return false;
      if (!stream) stream = h;
      if (++count >= needed) return true;
      q += h->FrameLength();
      if (q == end) return true;
    }
  }
  bool IsInfo(std::uint64_t p) const {
    const auto length = HeaderAt(p)->FrameLength();
    return tandrel::IsInfoFrame(bytes.subspan(p, length));
  }
  // The first chained header at or after p; info frames passed over unless `infoToo`.
  std::optional<std::uint64_t> Find(std::uint64_t p, int needed, std::optional<MpegHeader> stream,
                                    bool infoToo) const {
    while (p < end) {
      if (!Chained(p, needed, stream)) {
        ++p;
      } else if (!infoToo && IsInfo(p)) {
        p += HeaderAt(p)->FrameLength();
      } else {
        return p;
      }
    }
    return std::nullopt;
  }
  // The audio frame the reader gives from p on: the first chained one, or else, when none
  // follows in the audio, the frame right at p (the stream's last, with bytes of no tag after it).
  std::optional<std::uint64_t> Frame(std::uint64_t p, MpegHeader stream) const {
    if (const auto chained = Find(p, tandrel::kFrameChain, stream, false)) return chained;
    const auto h = HeaderAt(p);
    if (h && h->SameStream(stream) && p + h->FrameLength() <= end && !IsInfo(p)) return p;
    return std::nullopt;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> input(data, data + size);
  tandrel::MemorySource source(input);

  tandrel::CFrameReader reader;
  FUZZ_CHECK(reader.Open(source));  // a memory source always opens
  FUZZ_CHECK(reader.Tell() == 0 && !reader.HasReference());
  const auto layout = tandrel::LocateMp3Stream(reader);
  FUZZ_CHECK(layout.audioStart <= layout.audioEnd && layout.audioEnd <= size);
  FUZZ_CHECK(layout.audioStart == tandrel::FindAudioStart(source));

  Walker walk{input, layout.audioEnd};
  const auto first = walk.Find(layout.audioStart, tandrel::kStreamChain, std::nullopt, true);
  std::optional<std::uint64_t> reference;
  std::uint64_t audio = layout.audioEnd;
  if (first) {
    FUZZ_CHECK(layout.firstFrame == *first);
    FUZZ_CHECK(layout.firstHeader.Word() == walk.HeaderAt(*first)->Word());
    audio = *first + (walk.IsInfo(*first) ? walk.HeaderAt(*first)->FrameLength() : 0);
    FUZZ_CHECK(layout.audioFrames == audio);
    reference = walk.Find(audio + (layout.audioEnd - audio) / 10, tandrel::kStreamChain,
                          std::nullopt, false);
    if (!reference) reference = walk.Find(audio, tandrel::kStreamChain, std::nullopt, false);
  }
  FUZZ_CHECK(layout.hasAudio == reference.has_value());
  if (!reference) {
    FUZZ_CHECK(!reader.ReadFrame());
    FUZZ_CHECK(tandrel::GetPlayTime(source, tandrel::AudioKind::Mp3) == 0);
    return 0;
  }
  const auto stream = *walk.HeaderAt(*reference);
  FUZZ_CHECK(layout.reference.Word() == stream.Word());
  FUZZ_CHECK(reader.GetReference().Word() == stream.Word());

  std::vector<std::pair<std::uint64_t, std::uint32_t>> expected;
  for (auto p = walk.Frame(audio, stream); p;
       p = walk.Frame(*p + walk.HeaderAt(*p)->FrameLength(), stream)) {
    expected.emplace_back(*p, walk.HeaderAt(*p)->FrameLength());
  }
  std::size_t i = 0;
  while (const auto body = reader.ReadFrame()) {
    FUZZ_CHECK(i < expected.size());
    const auto offset = reader.GetFrameOffset();
    const std::uint64_t length = std::uint64_t{reader.GetBodySize()} + 4;
    FUZZ_CHECK(offset == expected[i].first && length == expected[i].second);
    FUZZ_CHECK(length <= tandrel::CFrameReader::kFrameBufferSize);
    FUZZ_CHECK(body->size() == length - 4 && body->data() == reader.GetFrame().data() + 4);
    FUZZ_CHECK(std::memcmp(reader.GetFrame().data(), data + offset, length) == 0);
    FUZZ_CHECK(reader.GetHeader().SameStream(stream));
    const auto ms = reader.GetMsPerFrame();
    FUZZ_CHECK(ms == 26 || ms == 24 || ms == 36 || ms == 52 || ms == 48 || ms == 72);
    ++i;
  }
  FUZZ_CHECK(i == expected.size());
  FUZZ_CHECK(reader.GetFrameCount() == expected.size());
  FUZZ_CHECK(tandrel::GetPlayTime(source, tandrel::AudioKind::Mp3) >= 0);
  return 0;
}
