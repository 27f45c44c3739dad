#pragma once

// Reading back what the operations wrote.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "tandrel_engine/mpeg_header.h"

namespace tandrel::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

inline Bytes Slice(const Bytes& bytes, std::uint64_t from, std::uint64_t to) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
          bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}

// Splits an MP3 written by the engine into frames by the lengths their headers declare.
inline std::vector<Bytes> SplitFrames(const Bytes& piece) {
  std::vector<Bytes> frames;
  for (std::size_t at = 0; at < piece.size();) {
    const auto length = MpegHeader::FromBytes(std::span(piece).subspan(at)).FrameLength();
    if (length == 0 || at + length > piece.size()) {
      ADD_FAILURE() << "no frame at offset " << at;
      break;
    }
    frames.push_back(Slice(piece, at, at + length));
    at += length;
  }
  return frames;
}

}  // namespace tandrel::testing
