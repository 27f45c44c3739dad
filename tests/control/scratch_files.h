#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tandrel::test {

// A fresh directory under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The full path of `name` inside the directory, as text for the control.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct WaveFormat {
  std::uint32_t sampleRate = 44100;
  std::uint16_t channels = 2;
  std::uint16_t bitsPerSample = 16;
};

// The sample bytes WriteWave puts in a file: a pattern that differs with `seed`.
std::vector<std::uint8_t> SampleBytes(std::size_t count, std::uint8_t seed);

// Writes a canonical 44-byte-header PCM WAVE file holding SampleBytes(dataSize, seed).
void WriteWave(const std::string& path, std::size_t dataSize, std::uint8_t seed,
               WaveFormat format = {});

std::vector<std::uint8_t> ReadBytes(const std::string& path);

// Equal bytes; otherwise a failure naming the first differing offset.
::testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                     const std::vector<std::uint8_t>& expected);

}  // namespace tandrel::test
