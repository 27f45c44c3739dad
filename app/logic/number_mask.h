#pragma once

#include <optional>
#include <string>

#include "logic/platform_facts.h"

namespace trevasso::logic {

// The nearest whole number, halves going to the even neighbour: 2.5 gives 2, 3.5 gives 4.
double RoundHalfEven(double value);

// The masks "#,###", "###,###" and "###,###,###,###": the value rounded to a whole number (halves
// away from zero), digits grouped by thousands with the locale's group separator, no decimals, no
// leading zeros. 0 gives empty text, not a zero digit.
std::string FormatGrouped(double value, const PlatformFacts& facts);

// The mask "###.##": the value rounded to two decimals, no grouping, trailing zero decimals
// dropped and no leading zero, the locale's decimal point always written: 1.5 gives "1.5",
// 2 gives "2.", 0.25 gives ".25".
std::string FormatTwoDecimals(double value, const PlatformFacts& facts);

// A number as plain text: no grouping, and no decimals when it is whole (183000 gives "183000");
// otherwise 15 significant digits at most (a tie rounded away from zero), "." as the point
// whatever the locale, and an exponent below 1e-4 and from 1e15 on (1e16 gives "1e+16").
std::string FormatPlain(double value);

// Reads back a number written by FormatGrouped: digits with the locale's group separators, an
// optional leading minus. Empty text reads as 0 (the mask writes 0 as nothing).
std::optional<double> ParseGrouped(const std::string& text, const PlatformFacts& facts);

// Reads text that a user typed into a number box: digits with at most one "." (the only point
// the boxes let through), at least one digit, nothing else. ".5" and "5." are numbers, "." and
// "1.2.3" are not.
std::optional<double> ParseTypedNumber(const std::string& text);

// Whether a character typed into a number box reaches it: a digit, Backspace (code 8), and the
// point where the box takes fractions. Every other typed character is dropped.
bool AcceptsTypedCharacter(char32_t c, bool allowPoint);

}  // namespace trevasso::logic
