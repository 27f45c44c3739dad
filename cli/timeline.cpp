#include "cli/timeline.h"

#include <limits>

#include "cli/section_plan.h"

namespace tandrel::cli {

std::uint32_t EngineMsPerFrame(std::uint32_t sampleRate) {
  switch (sampleRate) {
    case 44100:
    case 22050:
      return 26;
    case 48000:
    case 24000:
      return 24;
    case 32000:
    case 16000:
      return 36;
    case 11025:
      return 52;
    case 12000:
      return 48;
    case 8000:
      return 72;
    default:
      return 0;
  }
}

Timeline::Timeline(const TandrelMediaInfo& media) : sampleRate_(media.sampleRate) {
  if (media.kind == TANDREL_KIND_MP3) {
    mp3_ = true;
    samplesPerFrame_ = media.mpegVersion == 1 ? 1152 : 576;
    engineMsPerFrame_ = cli::EngineMsPerFrame(media.sampleRate);
    units_ = sampleRate_ == 0 || engineMsPerFrame_ == 0 ? 0 : media.frameCount;
    if (units_ > 0) {
      lengthMs_ = static_cast<std::int64_t>(units_ * samplesPerFrame_ * 1000 / sampleRate_);
    }
  } else {
    bytesPerSecond_ = media.bytesPerSecond;
    blockAlign_ = media.blockAlign;
    if (bytesPerSecond_ > 0 && blockAlign_ > 0) {
      units_ = media.dataSize / blockAlign_;
      lengthMs_ = static_cast<std::int64_t>(std::uint64_t{media.dataSize} * 1000 / bytesPerSecond_);
    }
  }
}

std::uint64_t Timeline::UnitAt(std::int64_t ms) const {
  if (ms <= 0 || units_ == 0) return 0;
  const auto t = static_cast<std::uint64_t>(ms);
  // The engine's own mapping for WAVE: the byte at t, rounded down to its block.
  const auto unit = mp3_ ? t * sampleRate_ / (std::uint64_t{samplesPerFrame_} * 1000)
                         : t * bytesPerSecond_ / 1000 / blockAlign_;
  return unit < units_ ? unit : units_;
}

std::int64_t Timeline::StartOf(std::uint64_t unit) const {
  if (units_ == 0) return 0;
  const auto scaled = mp3_ ? unit * samplesPerFrame_ * 1000 : unit * blockAlign_ * 1000;
  const auto per = mp3_ ? std::uint64_t{sampleRate_} : bytesPerSecond_;
  return static_cast<std::int64_t>((scaled + per - 1) / per);
}

std::int64_t Timeline::UnitMs() const {
  return StartOf(1);
}

std::int64_t Timeline::EngineLengthMs() const {
  return mp3_ ? static_cast<std::int64_t>(units_ * engineMsPerFrame_) : lengthMs_;
}

bool Timeline::FitsEngine() const {
  // The last section's end, and one past it for a start.
  return EngineLengthMs() < std::numeric_limits<std::int32_t>::max();
}

std::int64_t Timeline::EngineStart(std::int64_t fromMs) const {
  if (!mp3_) return fromMs + 1;
  return static_cast<std::int64_t>(UnitAt(fromMs) * engineMsPerFrame_) + 1;
}

std::int64_t Timeline::EngineEnd(std::int64_t toMs) const {
  if (toMs == kToEnd) return kToEnd;
  if (!mp3_) return toMs;
  return static_cast<std::int64_t>(UnitAt(toMs) * engineMsPerFrame_);
}

}  // namespace tandrel::cli
