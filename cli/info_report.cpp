#include "cli/info_report.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "cli/duration.h"
#include "tandrel/result_messages.h"

namespace tandrel::cli {
namespace {

using Fact = std::pair<std::string, std::string>;  // label and text, or key and JSON value

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

// The facts of a readable file, in the order both reports give them. `json` picks the form of
// the values: JSON values keyed in camelCase, or text for people.
std::vector<Fact> Facts(const FileReport& r, bool json) {
  const auto& m = r.media;
  const auto number = [](auto v) { return std::to_string(v); };
  const auto text = [json](const std::string& s) { return json ? JsonString(s) : s; };
  const auto flag = [json](bool b) { return json ? (b ? "true" : "false") : (b ? "yes" : "no"); };
  std::vector<Fact> facts;
  if (json) {
    facts.push_back({"kind", text(m.kind == TANDREL_KIND_MP3 ? "mp3" : "wave")});
    facts.push_back({"size", number(m.fileSize)});
    facts.push_back({"playTimeMs", number(r.playTime)});
    facts.push_back({"playTime", text(FormatClock(r.playTime))});
  } else {
    facts.push_back({"kind", KindName(m.kind)});
    facts.push_back({"size", number(m.fileSize) + " bytes"});
    facts.push_back({"play time", number(r.playTime) + " ms (" + FormatClock(r.playTime) + ")"});
  }
  if (m.kind == TANDREL_KIND_MP3) {
    if (!HasFrames(r)) {
      facts.push_back({"frames", "0"});
      return facts;
    }
    const std::string bitrate = m.variableBitrate ? text("VBR")
                                : json            ? number(m.bitrate)
                                                  : number(m.bitrate / 1000) + " kbit/s";
    const std::string version = m.mpegVersion == 25 ? "2.5" : number(m.mpegVersion);
    facts.push_back(
        {json ? "mpegVersion" : "version",
         json ? version : "MPEG-" + version + " Layer III"});
    facts.push_back({json ? "sampleRate" : "sample rate",
                     json ? number(m.sampleRate) : number(m.sampleRate) + " Hz"});
    facts.push_back({json ? "channelMode" : "channel mode", text(ChannelModeName(m.channelMode))});
    facts.push_back({"bitrate", bitrate});
    facts.push_back({"frames", number(m.frameCount)});
    facts.push_back({json ? "infoFrame" : "info frame", flag(m.hasInfoFrame != 0)});
    if (json) facts.push_back({"audioOffset", number(m.audioOffset)});
  } else if (json) {
    facts.push_back({"formatTag", number(m.formatTag)});
    facts.push_back({"channels", number(m.channels)});
    facts.push_back({"sampleRate", number(m.sampleRate)});
    facts.push_back({"bitsPerSample", number(m.bitsPerSample)});
    facts.push_back({"blockAlign", number(m.blockAlign)});
    facts.push_back({"bytesPerSecond", number(m.bytesPerSecond)});
    facts.push_back({"dataSize", number(m.dataSize)});
    facts.push_back({"dataOffset", number(m.dataOffset)});
  } else {
    facts.push_back({"format", number(m.formatTag) + " (" + FormatTagName(m.formatTag) + ")"});
    facts.push_back({"channels", number(m.channels)});
    facts.push_back({"sample rate", number(m.sampleRate) + " Hz"});
    facts.push_back({"bits", number(m.bitsPerSample)});
    facts.push_back({"data size", number(m.dataSize) + " bytes at byte " + number(m.dataOffset)});
  }
  return facts;
}

// Length of the UTF-8 sequence at the start of `s`, or 0 when it is not a valid one.
std::size_t Utf8Length(std::string_view s) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto c0 = b(0);
  std::size_t n = 0;
  std::uint32_t lowest = 0;
  if (c0 < 0x80) return 1;
  if ((c0 & 0xE0) == 0xC0) {
    n = 2;
    lowest = 0x80;
  } else if ((c0 & 0xF0) == 0xE0) {
    n = 3;
    lowest = 0x800;
  } else if ((c0 & 0xF8) == 0xF0) {
    n = 4;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  std::uint32_t code = c0 & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b(i) & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string TextReport(const FileReport& report) {
  std::string out = report.path + "\n";
  if (report.code != 0) {
    const char* message = SplitResultMessage(report.code);
    return out + "  error         " + (message ? message : "unknown") + "\n";
  }
  for (const auto& [label, value] : Facts(report, false)) {
    out += "  " + label + std::string(14 - label.size(), ' ') + value + "\n";
  }
  return out;
}

std::string JsonReport(std::span<const FileReport> reports) {
  std::string out = "[";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const auto& r = reports[i];
    out += i == 0 ? "\n  {" : ",\n  {";
    out += "\"file\": " + JsonString(r.path);
    if (r.code != 0) {
      const char* message = SplitResultMessage(r.code);
      out += ", \"kind\": " + JsonString(r.media.kind == TANDREL_KIND_NONE
                                             ? "none"
                                             : (r.media.kind == TANDREL_KIND_MP3 ? "mp3" : "wave"));
      out += ", \"code\": " + std::to_string(r.code);
      out += ", \"error\": " + JsonString(message ? message : "unknown");
    } else {
      for (const auto& [key, value] : Facts(r, true)) out += ", \"" + key + "\": " + value;
    }
    out += "}";
  }
  out += reports.empty() ? "]\n" : "\n]\n";
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text[0]);
    const auto length = Utf8Length(text);
    if (length == 0) {
      out += "\\ufffd";
      text.remove_prefix(1);
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      std::array<char, 8> escaped{};
      std::snprintf(escaped.data(), escaped.size(), "\\u%04x", c);
      out += escaped.data();
    } else {
      out += text.substr(0, length);
    }
    text.remove_prefix(length);
  }
  return out + "\"";
}

}  // namespace tandrel::cli
