#include "logic/add_sections.h"

#include <algorithm>

#include "logic/number_mask.h"

namespace trevasso::logic {

namespace {

double MillisecondsPer(SliderUnit unit) {
  switch (unit) {
    case SliderUnit::Seconds:
      return 1000;
    case SliderUnit::Minutes:
      return 60000;
    case SliderUnit::MilliSeconds:
      break;
  }
  return 1;
}

}  // namespace

SliderRange UnitRange(SliderUnit unit, double playTime) {
  SliderRange range;
  range.maximum = static_cast<int>(RoundHalfEven(playTime / MillisecondsPer(unit)));
  switch (unit) {
    case SliderUnit::MilliSeconds:
      range.minimum = 1;
      range.lowerCaption = "1 MS";
      range.upperCaption = FormatPlain(playTime) + " MS";
      break;
    case SliderUnit::Seconds:
      range.lowerCaption = "0 S";
      range.upperCaption = std::to_string(range.maximum) + " S";
      break;
    case SliderUnit::Minutes:
      range.lowerCaption = "0 M";
      range.upperCaption = std::to_string(range.maximum) + " M";
      break;
  }
  return range;
}

std::string RefusalMessage(AddRefusal refusal) {
  switch (refusal) {
    case AddRefusal::NotPositive:
      return "Please enter a plus integer value!";
    case AddRefusal::LongerThanFile:
      return "The time value could not be longer than the file's total time";
    case AddRefusal::TooManyPieces:
      return "The time value is too short, if cut by the size,\r\n"
             " it will generate more than 1000 files, \r\n"
             "Please set a large value";
    case AddRefusal::EndNotAfterStart:
      return "The end time value must be larger than the start time value!";
    case AddRefusal::None:
      break;
  }
  return {};
}

AddResult FixedLengthSections(const std::string& fixedText, double playTime) {
  const std::optional<double> fixed = ParseTypedNumber(fixedText);
  if (!fixed || *fixed <= 0) return {AddRefusal::NotPositive, {}};
  const double length = *fixed;
  if (length > playTime) return {AddRefusal::LongerThanFile, {}};
  const auto roundedLength = static_cast<long long>(RoundHalfEven(length));
  // A pasted length such as 0.5 rounds to nothing, so no piece count can be formed.
  if (roundedLength == 0) return {AddRefusal::TooManyPieces, {}};
  const long long pieces = static_cast<long long>(RoundHalfEven(playTime)) / roundedLength;
  if (pieces > kMaxFullPieces) return {AddRefusal::TooManyPieces, {}};

  AddResult result;
  for (long long i = 0; i <= pieces + 1; ++i) {
    const double start = length * static_cast<double>(i) + 1;
    const double end = std::min(static_cast<double>(i + 1) * length, playTime);
    if (start < end) result.sections.push_back({start, end});
  }
  return result;
}

AddResult StartEndSection(int startPosition, int endPosition, SliderUnit unit, double playTime) {
  if (startPosition >= endPosition) return {AddRefusal::EndNotAfterStart, {}};
  const double scale = MillisecondsPer(unit);
  const double start = std::max(1.0, startPosition * scale);
  const double end = std::min(endPosition * scale, std::max(playTime, start));
  return {AddRefusal::None, {{start, end}}};
}

}  // namespace trevasso::logic
