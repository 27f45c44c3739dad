#pragma once

#include <functional>
#include <utility>

#include "cli/piece_tags.h"
#include "tandrel_engine/operation_options.h"

namespace tandrel::cli {

// Gives every output of a cut or join its tags as the engine writes it: for MP3 the ID3v2 tag
// before the frames and the ID3v1 tag after them, for WAVE the LIST/INFO chunk before the data
// and the ID3v2 tag in an "id3 " chunk after it. Each piece's length comes from the engine's
// count of its samples; the rest of its facts from `facts`.
class TagWrap final : public OutputWrap {
 public:
  using FactsOf = std::function<PieceFacts(const OutputPiece&)>;
  // `newTags`: a piece of a source without an ID3v2 tag gets one of its facts alone (the titles
  // of a CUE sheet are worth a tag); otherwise such a piece gets none.
  // `lengthsKnown`: `facts` gives each piece's length itself, so the engine need not read the
  // frames ahead to count them.
  TagWrap(SourceTags tags, FactsOf facts, bool newTags = false, bool lengthsKnown = false)
      : tags_(std::move(tags)),
        facts_(std::move(facts)),
        newTags_(newTags),
        lengthsKnown_(lengthsKnown) {}

  std::vector<std::uint8_t> Before(const OutputPiece& piece) override;
  std::vector<std::uint8_t> After(const OutputPiece& piece) override;
  bool CountsFrames() const override { return !lengthsKnown_ && !lengthLater_; }
  // A join's length is put into its tag once the join has counted the frames, instead of the
  // engine reading every input ahead to count them.
  void FillInLengthLater() { lengthLater_ = true; }
  std::vector<std::uint8_t> Completed(const OutputPiece& piece) override;

 private:
  PieceFacts Facts(const OutputPiece& piece) const;

  SourceTags tags_;
  FactsOf facts_;
  bool newTags_;
  bool lengthsKnown_;
  bool lengthLater_ = false;
  std::size_t beforeSize_ = 0;  // the ID3v2 tag Before gave
};

// A play time in whole milliseconds, rounded to the nearest.
std::uint64_t PlayTimeMs(std::uint64_t samples, std::uint32_t sampleRate);

}  // namespace tandrel::cli
