#include "cli/info_report.h"

#include <array>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "cli/code_text.h"
#include "cli/duration.h"
#include "cli/timeline.h"

namespace tandrel::cli {
namespace {

using Json = nlohmann::ordered_json;
using Fact = std::pair<std::string, std::string>;  // label and text

const char* KindName(int kind) {
  switch (kind) {
    case TANDREL_KIND_WAVE:
      return "WAVE";
    case TANDREL_KIND_MP3:
      return "MP3";
    default:
      return "none";
  }
}

const char* ChannelModeName(int mode) {
  static constexpr std::array<const char*, 4> kNames{"stereo", "joint stereo", "dual channel",
                                                     "single channel"};
  return mode >= 0 && mode < 4 ? kNames[mode] : "unknown";
}

const char* FormatTagName(unsigned tag) {
  switch (tag) {
    case 1:
      return "PCM";
    case 3:
      return "IEEE float";
    case 6:
      return "A-law";
    case 7:
      return "mu-law";
    default:
      return "other";
  }
}

bool HasFrames(const FileReport& r) {
  return r.media.kind == TANDREL_KIND_MP3 && r.media.mpegVersion != 0;
}

// "5.012 s (0:00:05.012)"
std::string Seconds(std::int64_t ms) {
  auto fraction = std::to_string(ms % 1000);
  fraction.insert(0, 3 - fraction.size(), '0');
  return std::to_string(ms / 1000) + "." + fraction + " s (" + FormatClock(ms) + ")";
}

// The facts of a readable file for people, in order.
std::vector<Fact> TextFacts(const FileReport& r) {
  const auto& m = r.media;
  const Timeline timeline(m);
  const auto number = [](auto v) { return std::to_string(v); };
  std::vector<Fact> facts;
  facts.push_back({"kind", KindName(m.kind)});
  facts.push_back({"size", number(m.fileSize) + " bytes"});
  facts.push_back({"play time", Seconds(timeline.LengthMs())});
  if (m.kind == TANDREL_KIND_MP3) {
    if (!HasFrames(r)) {
      facts.push_back({"frames", "0"});
      return facts;
    }
    const std::string version = m.mpegVersion == 25 ? "2.5" : number(m.mpegVersion);
    facts.push_back({"version", "MPEG-" + version + " Layer III"});
    facts.push_back({"sample rate", number(m.sampleRate) + " Hz"});
    facts.push_back({"channel mode", ChannelModeName(m.channelMode)});
    facts.push_back({"bitrate", m.variableBitrate ? "VBR" : number(m.bitrate / 1000) + " kbit/s"});
    facts.push_back({"frames", number(m.frameCount) + " of " + number(timeline.SamplesPerFrame()) +
                                   " samples"});
    facts.push_back({"info frame", m.hasInfoFrame != 0 ? "yes" : "no"});
  } else {
    facts.push_back({"format", number(m.formatTag) + " (" + FormatTagName(m.formatTag) + ")"});
    facts.push_back({"channels", number(m.channels)});
    facts.push_back({"sample rate", number(m.sampleRate) + " Hz"});
    facts.push_back({"bits", number(m.bitsPerSample)});
    facts.push_back({"data size", number(m.dataSize) + " bytes at byte " + number(m.dataOffset)});
  }
  return facts;
}

// The same facts keyed in camelCase. playTimeMs is the real length; componentPlayTimeMs what
// the component's GetPlayTime gives (for MP3 whole milliseconds per frame).
Json JsonFacts(const FileReport& r) {
  const auto& m = r.media;
  const Timeline timeline(m);
  Json facts;
  facts["kind"] = m.kind == TANDREL_KIND_MP3 ? "mp3" : "wave";
  facts["size"] = m.fileSize;
  facts["playTimeMs"] = timeline.LengthMs();
  facts["playTime"] = FormatClock(timeline.LengthMs());
  facts["componentPlayTimeMs"] = r.componentPlayTime;
  if (m.kind == TANDREL_KIND_MP3) {
    if (!HasFrames(r)) {
      facts["frames"] = 0;
      return facts;
    }
    facts["mpegVersion"] = m.mpegVersion == 25 ? Json("2.5") : Json(m.mpegVersion);
    facts["sampleRate"] = m.sampleRate;
    facts["channelMode"] = ChannelModeName(m.channelMode);
    facts["bitrate"] = m.variableBitrate ? Json("VBR") : Json(m.bitrate);
    facts["frames"] = m.frameCount;
    facts["samplesPerFrame"] = timeline.SamplesPerFrame();
    facts["infoFrame"] = m.hasInfoFrame != 0;
    facts["audioOffset"] = m.audioOffset;
  } else {
    facts["formatTag"] = m.formatTag;
    facts["channels"] = m.channels;
    facts["sampleRate"] = m.sampleRate;
    facts["bitsPerSample"] = m.bitsPerSample;
    facts["blockAlign"] = m.blockAlign;
    facts["bytesPerSecond"] = m.bytesPerSecond;
    facts["dataSize"] = m.dataSize;
    facts["dataOffset"] = m.dataOffset;
  }
  return facts;
}

}  // namespace

std::string TextReport(const FileReport& report) {
  std::string out = report.path + "\n";
  if (report.code != 0) {
    return out + "  error         " + CodeText(report.code, report.path) + "\n";
  }
  for (const auto& [label, value] : TextFacts(report)) {
    out += "  " + label + std::string(14 - label.size(), ' ') + value + "\n";
  }
  return out;
}

std::string JsonReport(std::span<const FileReport> reports) {
  auto all = Json::array();
  for (const auto& r : reports) {
    Json object{{"file", r.path}};
    if (r.code != 0) {
      object["kind"] = r.media.kind == TANDREL_KIND_NONE  ? "none"
                       : r.media.kind == TANDREL_KIND_MP3 ? "mp3"
                                                          : "wave";
      object["code"] = r.code;
      object["error"] = CodeText(r.code, r.path);
    } else {
      object.update(JsonFacts(r));
    }
    all.push_back(std::move(object));
  }
  return all.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tandrel::cli
