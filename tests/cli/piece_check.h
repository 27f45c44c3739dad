#pragma once

// Checks of what a cut wrote against the source it was cut from.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/mpeg_builder.h"

namespace tandrel::cli {

// A whole file in one read: tens of megabytes read byte by byte take long in an unoptimised build.
inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::vector<std::uint8_t> bytes(std::filesystem::file_size(path));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
    throw std::runtime_error("cannot read " + path);
  return bytes;
}

// fixtures::SameBytes, with a quick look first.
inline ::testing::AssertionResult Same(std::span<const std::uint8_t> actual,
                                       std::span<const std::uint8_t> expected) {
  if (actual.size() == expected.size() &&
      (actual.empty() || std::memcmp(actual.data(), expected.data(), actual.size()) == 0))
    return ::testing::AssertionSuccess();
  return fixtures::SameBytes(actual, expected);
}

// Whether `piece` holds exactly the frames first, first + 1, ... of `source` (laid out as
// `frames`), ending at a frame's end; the count of frames goes to `count`.
inline ::testing::AssertionResult IsFrameRun(
    std::span<const std::uint8_t> piece, std::span<const std::uint8_t> source,
    const std::vector<fixtures::Mp3Builder::PlacedFrame>& frames, std::size_t first,
    std::size_t& count) {
  if (first >= frames.size() || piece.empty())
    return ::testing::AssertionFailure() << "no frame " << first << " or an empty piece";
  const auto start = frames[first].offset;
  const auto end = start + piece.size();
  const auto last = std::find_if(frames.begin() + static_cast<std::ptrdiff_t>(first), frames.end(),
                                 [end](const auto& f) { return f.offset + f.length >= end; });
  if (last == frames.end() || last->offset + last->length != end)
    return ::testing::AssertionFailure()
           << "a piece of " << piece.size() << " bytes from frame " << first << " (offset " << start
           << ") does not end where a frame ends";
  count = static_cast<std::size_t>(last - frames.begin()) + 1 - first;
  return Same(piece, source.subspan(start, piece.size()));
}

}  // namespace tandrel::cli
