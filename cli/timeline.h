#pragma once

#include <cstdint>
#include <string>

#include "tandrel/media_info.h"

namespace tandrel::cli {

// The time axis of one source, in the units a cut can fall between: MP3 audio frames (each
// frames x samples per frame / rate seconds long) or WAVE sample blocks. Times are real
// milliseconds, as people type and read them.
//
// The engine takes its sections in its own milliseconds: for MP3 a whole number per frame (26 ms
// for a 26.122 ms frame at 44.1 kHz), for WAVE real ones. `EngineStart` and `EngineEnd` turn real
// times into that count, so that a cut at real time t begins at the frame whose real start is the
// last at or before t.
class Timeline {
 public:
  // The time axis of a file that Tandrel_ReadMediaInfo read without failure. A source with no
  // frames or no sample data has no units.
  explicit Timeline(const TandrelMediaInfo& media);

  bool IsMp3() const { return mp3_; }
  // Frames (MP3) or whole sample blocks (WAVE).
  std::uint64_t Units() const { return units_; }
  // The unit that holds real time `ms` (the last one starting at or before it); Units() at or
  // past the end.
  std::uint64_t UnitAt(std::int64_t ms) const;
  // Where the unit starts in real ms, rounded up, so that UnitAt(StartOf(u)) == u.
  std::int64_t StartOf(std::uint64_t unit) const;
  // The real length in ms, rounded down.
  std::int64_t LengthMs() const { return lengthMs_; }
  // The shortest piece a cut can make, in real ms (rounded up).
  std::int64_t UnitMs() const;

  // MP3 facts: samples per frame and the engine's whole milliseconds per frame; 0 for WAVE.
  std::uint32_t SamplesPerFrame() const { return samplesPerFrame_; }
  std::uint32_t EngineMsPerFrame() const { return engineMsPerFrame_; }
  std::uint32_t SampleRate() const { return sampleRate_; }
  // The play time as the engine counts it: frames x its milliseconds per frame for MP3.
  std::int64_t EngineLengthMs() const;
  // Whether every section of this source can be stated in the engine's 32-bit milliseconds.
  bool FitsEngine() const;

  // The engine's 1-based inclusive section fields for a piece from real `fromMs` to real `toMs`
  // (kToEnd: to the end of the stream).
  std::int64_t EngineStart(std::int64_t fromMs) const;
  std::int64_t EngineEnd(std::int64_t toMs) const;

 private:
  bool mp3_ = false;
  std::uint64_t units_ = 0;
  std::int64_t lengthMs_ = 0;
  std::uint32_t sampleRate_ = 0;
  std::uint32_t samplesPerFrame_ = 0;
  std::uint32_t engineMsPerFrame_ = 0;
  std::uint64_t bytesPerSecond_ = 0;  // WAVE
  std::uint64_t blockAlign_ = 0;      // WAVE
};

// The whole milliseconds per frame the engine counts at `sampleRate` (26, 24 or 36; twice that
// for the MPEG-2.5 rates). 0 for a rate no MP3 has.
std::uint32_t EngineMsPerFrame(std::uint32_t sampleRate);

}  // namespace tandrel::cli
