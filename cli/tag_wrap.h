#pragma once

#include <functional>
#include <utility>

#include "cli/piece_tags.h"
#include "tandrel_engine/operation_options.h"

namespace tandrel::cli {

// Gives every output of a cut or join its tags as the engine writes it: for MP3 the ID3v2 tag
// before the frames and the ID3v1 tag after them, for WAVE the LIST/INFO chunk before the data.
// Each piece's length comes from the engine's count of its samples; the rest of its facts from
// `facts`.
class TagWrap final : public OutputWrap {
 public:
  using FactsOf = std::function<PieceFacts(const OutputPiece&)>;
  // `newTags`: an MP3 piece of a source without an ID3v2 tag gets one of its facts alone (the
  // titles of a CUE sheet are worth a tag); otherwise such a piece gets none.
  TagWrap(SourceTags tags, FactsOf facts, bool newTags = false)
      : tags_(std::move(tags)), facts_(std::move(facts)), newTags_(newTags) {}

  std::vector<std::uint8_t> Before(const OutputPiece& piece) override;
  std::vector<std::uint8_t> After(const OutputPiece& piece) override;

 private:
  PieceFacts Facts(const OutputPiece& piece) const;

  SourceTags tags_;
  FactsOf facts_;
  bool newTags_;
};

// A play time in whole milliseconds, rounded to the nearest.
std::uint64_t PlayTimeMs(std::uint64_t samples, std::uint32_t sampleRate);

}  // namespace tandrel::cli
