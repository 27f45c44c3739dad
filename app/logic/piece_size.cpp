#include "logic/piece_size.h"

#include <limits>

#include "logic/number_mask.h"

namespace trevasso::logic {

namespace {

double BytesPer(SizeUnit unit) {
  switch (unit) {
    case SizeUnit::KiloBytes:
      return 1024;
    case SizeUnit::MegaBytes:
      return 1024.0 * 1024.0;
    case SizeUnit::Bytes:
      break;
  }
  return 1;
}

}  // namespace

PieceSize ComputePieceSize(const std::string& valueText, SizeUnit unit, double fileLength) {
  const std::optional<double> value = ParseTypedNumber(valueText);
  if (!value || *value <= 0) return {PieceSizeCheck::NotPositive, 0};
  const double bytes = RoundHalfEven(*value * BytesPer(unit));
  if (bytes <= 0) return {PieceSizeCheck::NotPositive, 0};
  if (bytes > std::numeric_limits<std::int32_t>::max()) return {PieceSizeCheck::TooLarge, 0};
  if (fileLength / bytes > kMaxPieces) return {PieceSizeCheck::TooManyPieces, 0};
  return {PieceSizeCheck::Ok, static_cast<std::int32_t>(bytes)};
}

std::string PieceSizeMessage(PieceSizeCheck check) {
  switch (check) {
    case PieceSizeCheck::NotPositive:
      return "The size value must be larger than 0, please set it!";
    case PieceSizeCheck::TooManyPieces:
      return "The size value is too small, if cut by this size, \r\n"
             "It will generate more than 1000 files, please enter a larger value";
    case PieceSizeCheck::Ok:
    case PieceSizeCheck::TooLarge:
      break;
  }
  return {};
}

}  // namespace trevasso::logic
