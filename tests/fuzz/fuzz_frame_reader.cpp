// Scans arbitrary bytes as an MP3 stream: every frame the reader returns must be a whole,
// acceptable frame of the reference's stream, copied byte for byte from where it lies.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "tandrel/audio_kind.h"
#include "tandrel/byte_io.h"
#include "tandrel/file_info.h"
#include "tandrel/frame_reader.h"
#include "tandrel/mpeg_header.h"

using tandrel::CFrameReader;
using tandrel::MpegHeader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tandrel::MemorySource source(std::vector<std::uint8_t>(data, data + size));

  CFrameReader reader;
  FUZZ_CHECK(reader.Open(source));  // a memory source always opens
  FUZZ_CHECK(reader.Tell() == 0);

  // Without a frame from one tenth of the input on, the first frame of the scan becomes the
  // reference; either way it never changes afterwards.
  auto reference = reader.GetReference();
  const bool referenceFromOpen = reader.HasReference();
  bool hadReference = referenceFromOpen;
  std::uint64_t frames = 0;
  std::uint64_t previousEnd = 0;
  while (const auto body = reader.ReadFrame()) {
    ++frames;
    FUZZ_CHECK(reader.HasReference());
    if (!hadReference) {
      reference = reader.GetReference();
      hadReference = true;
    }
    FUZZ_CHECK(reader.GetReference().Word() == reference.Word());
    const auto header = reader.GetHeader();
    const std::uint64_t offset = reader.GetFrameOffset();
    const std::uint64_t length = std::uint64_t{reader.GetBodySize()} + 4;
    // Frames never overlap and never run past the input.
    FUZZ_CHECK(offset >= previousEnd && offset + length <= size);
    FUZZ_CHECK(header.IsAcceptable() && header.FrameLength() == length);
    FUZZ_CHECK(length <= CFrameReader::kFrameBufferSize);
    FUZZ_CHECK(body->size() == length - 4 && body->data() == reader.GetFrame().data() + 4);
    FUZZ_CHECK(std::memcmp(reader.GetFrame().data(), data + offset, length) == 0);
    FUZZ_CHECK(header.Word() == reader.GetHeaderWord());
    // Only frames of the reference's stream are accepted.
    FUZZ_CHECK((header.Word() & MpegHeader::kStreamMask) ==
               (reference.Word() & MpegHeader::kStreamMask));
    FUZZ_CHECK(header.IsSingleChannel() == reference.IsSingleChannel());
    const auto ms = reader.GetMsPerFrame();
    FUZZ_CHECK(ms == 26 || ms == 24 || ms == 36);
    previousEnd = offset + length;
  }
  // The count includes the reference frame when Open read one.
  FUZZ_CHECK(reader.GetFrameCount() == frames + (referenceFromOpen ? 1 : 0));
  FUZZ_CHECK(reader.EstimatePlayTime() >= 0);

  FUZZ_CHECK(tandrel::GetPlayTime(source, tandrel::AudioKind::Mp3) >= 0);
  return 0;
}
