#include "logic/number_mask.h"

#include <cmath>
#include <cstdint>

namespace trevasso::logic {

using namespace Qt::StringLiterals;

double RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction < 0.5) return lower;
  if (fraction > 0.5) return lower + 1;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

namespace {

// Digits of `magnitude` with `separator` between groups of three, counted from the right.
QString GroupDigits(std::uint64_t magnitude, const QString& separator) {
  const QString digits = QString::number(magnitude);
  QString grouped;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

QString FormatGrouped(double value, const QLocale& locale) {
  const long long whole = std::llround(value);
  if (whole == 0) return QString();
  const std::uint64_t magnitude =
      whole < 0 ? static_cast<std::uint64_t>(-(whole + 1)) + 1 : static_cast<std::uint64_t>(whole);
  const QString text = GroupDigits(magnitude, locale.groupSeparator());
  return whole < 0 ? u"-"_s + text : text;
}

QString FormatTwoDecimals(double value, const QLocale& locale) {
  const long long hundredths = std::llround(value * 100);
  const long long magnitude = hundredths < 0 ? -hundredths : hundredths;
  const long long whole = magnitude / 100;
  const long long fraction = magnitude % 100;
  QString text = hundredths < 0 ? u"-"_s : QString();
  if (whole != 0) text += QString::number(whole);
  text += locale.decimalPoint();
  if (fraction != 0) {
    text += fraction % 10 == 0 ? QString::number(fraction / 10)
                               : QString::number(fraction).rightJustified(2, u'0');
  }
  return text;
}

QString FormatPlain(double value) {
  if (value == std::trunc(value) && std::fabs(value) < 9.0e15) {
    return QString::number(static_cast<long long>(value));
  }
  return QString::number(value, 'g', 15);
}

std::optional<double> ParseGrouped(const QString& text, const QLocale& locale) {
  QString digits = text;
  digits.remove(locale.groupSeparator());
  if (digits.isEmpty()) return 0.0;
  bool negative = false;
  if (digits.startsWith(u'-')) {
    negative = true;
    digits.remove(0, 1);
  }
  if (digits.isEmpty()) return std::nullopt;
  double value = 0;
  for (const QChar c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c.unicode() - u'0');
  }
  return negative ? -value : value;
}

std::optional<double> ParseTypedNumber(const QString& text) {
  int points = 0;
  int digits = 0;
  for (const QChar c : text) {
    if (c == u'.') {
      ++points;
    } else if (c >= u'0' && c <= u'9') {
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (points > 1 || digits == 0) return std::nullopt;
  bool ok = false;
  const double value = QLocale::c().toDouble(text, &ok);
  if (!ok) return std::nullopt;
  return value;
}

bool AcceptsTypedCharacter(QChar c, bool allowPoint) {
  if (c >= u'0' && c <= u'9') return true;
  if (c == QChar(8)) return true;
  return allowPoint && c == u'.';
}

}  // namespace trevasso::logic
