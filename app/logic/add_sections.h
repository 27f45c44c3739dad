#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trevasso::logic {

// A time section in whole milliseconds, 1-based and inclusive at both ends.
struct Section {
  double start = 0;
  double end = 0;
  friend bool operator==(const Section&, const Section&) = default;
};

// The unit the two sliders of the Add Sections dialog count in (the index of its unit options).
enum class SliderUnit { MilliSeconds = 0, Seconds = 1, Minutes = 2 };

// What choosing a unit does to each slider and the captions of its two ends.
struct SliderRange {
  int maximum = 0;
  std::optional<int> minimum;  // only the millisecond unit moves the minimum (to 1)
  std::string lowerCaption;
  std::string upperCaption;
};

// The slider settings of `unit` for a source of `playTime` milliseconds. The maximum is the play
// time in that unit rounded half to even (2,500 ms in seconds gives 2, 3,500 ms gives 4).
SliderRange UnitRange(SliderUnit unit, double playTime);

// Why the dialog refuses OK; each refusal has one message.
enum class AddRefusal {
  None,
  NotPositive,       // fixed length empty, not a number, or not above 0
  LongerThanFile,    // fixed length above the play time
  TooManyPieces,     // more than kMaxFullPieces full pieces (or none can be counted)
  EndNotAfterStart,  // start slider not below the end slider
};

// The critical message shown for a refusal; empty for None.
std::string RefusalMessage(AddRefusal refusal);

// The most full pieces a fixed length may cut a file into.
inline constexpr long long kMaxFullPieces = 1000;

struct AddResult {
  AddRefusal refusal = AddRefusal::None;
  std::vector<Section> sections;  // empty when refused
};

// The whole file of `playTime` ms in pieces of `fixedText` ms: 1 to F, F+1 to 2F, ... and a last,
// shorter piece up to the play time when at least 2 ms are left over. The piece count is the
// rounded play time over the rounded length, in whole-number division; up to kMaxFullPieces
// full pieces are allowed.
AddResult FixedLengthSections(const std::string& fixedText, double playTime);

// The one section between the two slider positions, counted in `unit`. Positions in seconds or
// minutes become milliseconds; a start of 0 becomes 1 and an end beyond the play time becomes the
// play time. Refused unless the start position is below the end position.
AddResult StartEndSection(int startPosition, int endPosition, SliderUnit unit, double playTime);

}  // namespace trevasso::logic
