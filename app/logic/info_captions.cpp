#include "logic/info_captions.h"

#include <cmath>

#include "logic/number_mask.h"

namespace trevasso::logic {

namespace {

constexpr double kKiloByte = 1024;
constexpr double kMegaByte = 1048576;
constexpr double kSecond = 1000;
constexpr double kMinute = 60000;

}  // namespace

std::string SizeCaption(double bytes, const PlatformFacts& facts) {
  std::string caption = "Size:     " + FormatGrouped(bytes, facts) + " Bytes";
  if (bytes <= kKiloByte) return caption;
  caption += " (" + FormatTwoDecimals(bytes / kKiloByte, facts);
  if (bytes <= kMegaByte) return caption + " KB)";
  return caption + " KB ; " + FormatTwoDecimals(bytes / kMegaByte, facts) + " MB)";
}

std::string TimeCaption(double milliseconds, const PlatformFacts& facts) {
  std::string caption = "Time:     " + FormatGrouped(milliseconds, facts) + " MS";
  if (milliseconds <= kSecond) return caption;
  const auto seconds = static_cast<long long>(std::floor(milliseconds / kSecond + 0.5));
  caption += " (" + std::to_string(seconds) + " Seconds";
  if (milliseconds <= kMinute) return caption + ")";
  const auto wholeSeconds = static_cast<long long>(RoundHalfEven(milliseconds / kSecond));
  return caption + " ; " + std::to_string(wholeSeconds / 60) + " Minutes and " +
         std::to_string(wholeSeconds % 60) + " Seconds)";
}

}  // namespace trevasso::logic
