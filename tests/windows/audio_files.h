#pragma once

// Files on disk for the client: folders, whole-file reading and writing with wide paths, and the
// MP3 and WAVE inputs the checks cut and join.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tandrel::wintest {

// A fresh, empty folder `name` inside the client's scratch folder, with a trailing backslash.
std::wstring ScratchFolder(std::wstring_view name);
// Removes the client's whole scratch folder.
void RemoveScratch();

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// The names in a folder, sorted; "." and ".." left out.
std::vector<std::wstring> ListFolder(const std::wstring& folder);

// Text in the ANSI code page and back: how a path reaches the engine.
std::string Ansi(std::wstring_view text);
std::wstring Wide(std::string_view ascii);

// 44.1 kHz 16-bit stereo PCM: the canonical header and sample bytes that depend on `seed`.
inline constexpr std::uint32_t kWaveBytesPerSecond = 176400;
std::vector<std::uint8_t> WaveFile(std::uint32_t dataSize, std::uint32_t seed);
std::vector<std::uint8_t> WaveSamples(std::uint32_t dataSize, std::uint32_t seed);
// MPEG-1 Layer III, 44.1 kHz, 128 kbit/s: `frames` frames of 1152 samples.
std::vector<std::uint8_t> Mp3File(int frames);

}  // namespace tandrel::wintest
