#include "cli/cue_sheet.h"

#include <cctype>
#include <optional>

#include "cli/usage_error.h"

namespace tandrel::cli {
namespace {

// The words of one line: bare words, or "quoted text" (quotes removed).
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
    } else if (line[i] == '"') {
      const auto close = line.find('"', i + 1);
      words.emplace_back(line.substr(i + 1, close - i - 1));
      i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
      auto end = i;
      while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
      words.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

std::string Upper(std::string word) {
  for (auto& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

std::optional<int> ReadNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// mm:ss:ff with 75 frames to the second; minutes may run past 99.
std::optional<std::int32_t> ReadCueTime(std::string_view text) {
  const auto first = text.find(':');
  const auto second = text.find(':', first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return std::nullopt;
  const auto minutes = ReadNumber(text.substr(0, first), 5);
  const auto seconds = ReadNumber(text.substr(first + 1, second - first - 1), 2);
  const auto frames = ReadNumber(text.substr(second + 1), 2);
  if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= 75) return std::nullopt;
  return (*minutes * 60 + *seconds) * 1000 + *frames * 1000 / 75;
}

}  // namespace

CueSheet ParseCueSheet(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  CueSheet sheet;
  CueTrack* track = nullptr;
  bool trackHasStart = false;
  int lineNumber = 0;
  int trackLine = 0;
  const auto fail = [&](int line, const std::string& reason) {
    throw UsageError("line " + std::to_string(line) + ": " + reason);
  };
  const auto closeTrack = [&] {
    if (track != nullptr && !trackHasStart) fail(trackLine, "the track has no INDEX 01");
  };

  std::size_t from = 0;
  while (from <= text.size()) {
    auto newline = text.find('\n', from);
    if (newline == std::string_view::npos) newline = text.size();
    auto line = text.substr(from, newline - from);
    from = newline + 1;
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto words = Words(line);
    if (words.empty()) continue;
    const auto keyword = Upper(words[0]);

    if (keyword == "FILE") {
      closeTrack();
      track = nullptr;
      if (words.size() < 2) fail(lineNumber, "FILE without a name");
      sheet.files.push_back({words[1], {}});
    } else if (keyword == "TRACK") {
      closeTrack();
      if (sheet.files.empty()) fail(lineNumber, "TRACK before any FILE");
      const auto number = words.size() >= 2 ? ReadNumber(words[1], 2) : std::nullopt;
      if (!number) fail(lineNumber, "TRACK without a number");
      auto& tracks = sheet.files.back().tracks;
      tracks.push_back({*number, {}, 0});
      track = &tracks.back();
      trackHasStart = false;
      trackLine = lineNumber;
    } else if (keyword == "TITLE" && track != nullptr && words.size() >= 2) {
      track->title = words[1];
    } else if (keyword == "INDEX" && track != nullptr && words.size() >= 3 && words[1] == "01") {
      const auto start = ReadCueTime(words[2]);
      if (!start) fail(lineNumber, "'" + words[2] + "' is not an mm:ss:ff time");
      const auto& tracks = sheet.files.back().tracks;
      if (tracks.size() >= 2 && *start <= tracks[tracks.size() - 2].start) {
        fail(lineNumber, "the track does not start after the track before it");
      }
      track->start = *start;
      trackHasStart = true;
    }
  }
  closeTrack();
  std::erase_if(sheet.files, [](const CueFile& file) { return file.tracks.empty(); });
  if (sheet.files.empty()) throw UsageError("the sheet lists no track");
  return sheet;
}

std::vector<TimeSection> TrackSections(const CueFile& file) {
  std::vector<TimeSection> sections;
  for (std::size_t i = 0; i < file.tracks.size(); ++i) {
    const auto& track = file.tracks[i];
    const auto end = i + 1 < file.tracks.size() ? file.tracks[i + 1].start : kToEnd;
    sections.push_back({track.start + 1, end, track.number, track.title});
  }
  return sections;
}

}  // namespace tandrel::cli
