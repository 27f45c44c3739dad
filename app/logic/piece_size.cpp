#include "logic/piece_size.h"

#include <limits>

#include "logic/number_mask.h"

namespace trevasso::logic {

using namespace Qt::StringLiterals;

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

PieceSize ComputePieceSize(const QString& valueText, SizeUnit unit, double fileLength) {
  const std::optional<double> value = ParseTypedNumber(valueText);
  if (!value || *value <= 0) return {PieceSizeCheck::NotPositive, 0};
  const double bytes = RoundHalfEven(*value * BytesPer(unit));
  if (bytes <= 0) return {PieceSizeCheck::NotPositive, 0};
  if (bytes > std::numeric_limits<std::int32_t>::max()) return {PieceSizeCheck::TooLarge, 0};
  if (fileLength / bytes > kMaxPieces) return {PieceSizeCheck::TooManyPieces, 0};
  return {PieceSizeCheck::Ok, static_cast<std::int32_t>(bytes)};
}

QString PieceSizeMessage(PieceSizeCheck check) {
  switch (check) {
    case PieceSizeCheck::NotPositive:
      return u"The size value must be larger than 0, please set it!"_s;
    case PieceSizeCheck::TooManyPieces:
      return u"The size value is too small, if cut by this size, \r\n"
             u"It will generate more than 1000 files, please enter a larger value"_s;
    case PieceSizeCheck::Ok:
    case PieceSizeCheck::TooLarge:
      break;
  }
  return QString();
}

}  // namespace trevasso::logic
