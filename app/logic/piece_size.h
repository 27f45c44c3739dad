#pragma once

#include <cstdint>
#include <string>

namespace trevasso::logic {

// The size units of a size split, in the order of the unit list.
enum class SizeUnit { Bytes = 0, KiloBytes = 1, MegaBytes = 2 };

enum class PieceSizeCheck {
  Ok,
  NotPositive,    // not a number, not above 0, or rounds to 0 bytes
  TooManyPieces,  // the file would give more than kMaxPieces pieces
  TooLarge,       // more bytes than the engine's 32-bit piece size holds
};

// The most pieces a size split may make; exactly this many pass.
inline constexpr double kMaxPieces = 1000;

struct PieceSize {
  PieceSizeCheck check = PieceSizeCheck::Ok;
  std::int32_t bytes = 0;  // set when check is Ok
};

// The piece size in bytes of `valueText` in `unit`, rounded half to even (1.5 KB is 1536 bytes,
// 2.5 bytes is 2), judged against a source of `fileLength` bytes.
PieceSize ComputePieceSize(const std::string& valueText, SizeUnit unit, double fileLength);

// The information message of NotPositive and TooManyPieces; empty for the others.
std::string PieceSizeMessage(PieceSizeCheck check);

}  // namespace trevasso::logic
