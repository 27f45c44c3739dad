#include "logic/info_captions.h"

#include <cmath>

#include "logic/number_mask.h"

namespace trevasso::logic {

using namespace Qt::StringLiterals;

namespace {

constexpr double kKiloByte = 1024;
constexpr double kMegaByte = 1048576;
constexpr double kSecond = 1000;
constexpr double kMinute = 60000;

}  // namespace

QString SizeCaption(double bytes, const QLocale& locale) {
  QString caption = u"Size:     "_s + FormatGrouped(bytes, locale) + u" Bytes"_s;
  if (bytes <= kKiloByte) return caption;
  caption += u" ("_s + FormatTwoDecimals(bytes / kKiloByte, locale);
  if (bytes <= kMegaByte) return caption + u" KB)"_s;
  return caption + u" KB ; "_s + FormatTwoDecimals(bytes / kMegaByte, locale) + u" MB)"_s;
}

QString TimeCaption(double milliseconds, const QLocale& locale) {
  QString caption = u"Time:     "_s + FormatGrouped(milliseconds, locale) + u" MS"_s;
  if (milliseconds <= kSecond) return caption;
  const auto seconds = static_cast<long long>(std::floor(milliseconds / kSecond + 0.5));
  caption += u" ("_s + QString::number(seconds) + u" Seconds"_s;
  if (milliseconds <= kMinute) return caption + u")"_s;
  const auto wholeSeconds = static_cast<long long>(RoundHalfEven(milliseconds / kSecond));
  return caption + u" ; "_s + QString::number(wholeSeconds / 60) + u" Minutes and "_s +
         QString::number(wholeSeconds % 60) + u" Seconds)"_s;
}

}  // namespace trevasso::logic
