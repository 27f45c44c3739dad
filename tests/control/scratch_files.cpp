#include "scratch_files.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tandrel::test {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "control_test_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::uint8_t> SampleBytes(std::size_t count, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 31 + seed * 17 + (i >> 8));
  }
  return bytes;
}

void WriteWave(const std::string& path, std::size_t dataSize, std::uint8_t seed,
               WaveFormat format) {
  const std::uint16_t blockAlign = format.channels * format.bitsPerSample / 8;
  std::array<std::uint8_t, 44> header{};
  auto put = [&header](std::size_t at, std::uint32_t v, int count) {
    for (int i = 0; i < count; ++i) header[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  std::memcpy(&header[0], "RIFF", 4);
  put(4, static_cast<std::uint32_t>(dataSize + 36), 4);
  std::memcpy(&header[8], "WAVEfmt ", 8);
  put(16, 16, 4);
  put(20, 1, 2);  // PCM
  put(22, format.channels, 2);
  put(24, format.sampleRate, 4);
  put(28, format.sampleRate * blockAlign, 4);
  put(32, blockAlign, 2);
  put(34, format.bitsPerSample, 2);
  std::memcpy(&header[36], "data", 4);
  put(40, static_cast<std::uint32_t>(dataSize), 4);
  const auto samples = SampleBytes(dataSize, seed);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header.data()), header.size());
  out.write(reinterpret_cast<const char*>(samples.data()),
            static_cast<std::streamsize>(samples.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

::testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                     const std::vector<std::uint8_t>& expected) {
  const std::size_t common = std::min(actual.size(), expected.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (actual[i] != expected[i]) {
      return ::testing::AssertionFailure() << "first difference at offset " << i << ": "
                                           << int{actual[i]} << " instead of " << int{expected[i]};
    }
  }
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure() << actual.size() << " bytes instead of " << expected.size()
                                         << " (equal up to offset " << common << ")";
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tandrel::test
