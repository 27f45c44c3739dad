#include "cli/tag_wrap.h"

namespace tandrel::cli {

std::uint64_t PlayTimeMs(std::uint64_t samples, std::uint32_t sampleRate) {
  if (sampleRate == 0) return 0;
  return (samples * 1000 + sampleRate / 2) / sampleRate;
}

PieceFacts TagWrap::Facts(const OutputPiece& piece) const {
  auto facts = facts_ ? facts_(piece) : PieceFacts{};
  if (!lengthsKnown_) facts.lengthMs = PlayTimeMs(piece.samples, piece.sampleRate);
  return facts;
}

std::vector<std::uint8_t> TagWrap::Before(const OutputPiece& piece) {
  if (piece.kind == AudioKind::Wave) {
    // The source's INFO fields with the piece's track, and a CUE sheet's titles.
    if (!tags_.HasWaveInfo() && !newTags_) return {};
    return tags_.WaveInfoChunkFor(Facts(piece));
  }
  if (!tags_.HasId3v2() && !newTags_) return {};
  auto tag = tags_.Id3v2For(Facts(piece));
  beforeSize_ = tag.size();
  return tag;
}

std::vector<std::uint8_t> TagWrap::Completed(const OutputPiece& piece) {
  if (!lengthLater_ || beforeSize_ == 0 || piece.kind != AudioKind::Mp3) return {};
  auto facts = Facts(piece);
  facts.lengthMs = PlayTimeMs(piece.samples, piece.sampleRate);
  return tags_.Id3v2For(facts, beforeSize_);
}

std::vector<std::uint8_t> TagWrap::After(const OutputPiece& piece) {
  if (piece.kind == AudioKind::Wave) {
    if (!tags_.HasId3v2() && !newTags_) return {};
    return tags_.WaveId3ChunkFor(Facts(piece));
  }
  return tags_.Id3v1For(Facts(piece));
}

}  // namespace tandrel::cli
