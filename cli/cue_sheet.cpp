#include "cli/cue_sheet.h"

#include <libcue.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "cli/usage_error.h"

namespace tandrel::cli {
namespace {

// Quoted text as the parser hands it over, with its escapes still in.
std::string Unescape(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '\\' && (c[1] == '"' || c[1] == '\\')) ++c;
    out += *c;
  }
  return out;
}

std::string TextOf(Cdtext* cdtext, Pti what) {
  return cdtext == nullptr ? std::string() : Unescape(cdtext_get(what, cdtext));
}

// The parser knows its keywords in capitals only; sheets in the wild write them in any case.
// The first word of each line is a keyword, and so are a TRACK's mode and a FILE's type; quoted
// text and file names stay as they are.
std::string UpperKeywords(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  while (from < text.size()) {
    auto end = text.find('\n', from);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string line(text.substr(from, end - from));
    from = end;
    const auto upper = [&](std::size_t a, std::size_t b) {
      for (auto i = a; i < b && i < line.size(); ++i)
        line[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
    };
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '"') {
      out += line;
      continue;
    }
    const auto wordEnd = std::min(line.find_first_of(" \t\r\n", first), line.size());
    upper(first, wordEnd);
    const auto keyword = line.substr(first, wordEnd - first);
    if (keyword == "TRACK") upper(wordEnd, line.size());
    if (keyword == "FILE") {
      const auto last = line.find_last_not_of(" \t\r\n");
      const auto typeStart = line.find_last_of(" \t", last);
      if (typeStart != std::string::npos && typeStart > wordEnd) upper(typeStart, last + 1);
    }
    out += line;
  }
  return out;
}

struct CdDeleter {
  void operator()(Cd* cd) const { cd_delete(cd); }
};

// The parser reports what it cannot read on the standard error stream; that goes to a
// temporary file while it runs, and its first line becomes the reason.
std::unique_ptr<Cd, CdDeleter> Parse(const std::string& text, std::string& complaint) {
  std::fflush(stderr);
  std::FILE* log = std::tmpfile();
  const int saved = log != nullptr ? ::dup(STDERR_FILENO) : -1;
  if (saved >= 0) ::dup2(::fileno(log), STDERR_FILENO);
  std::unique_ptr<Cd, CdDeleter> cd(cue_parse_string(text.c_str()));
  if (saved >= 0) {
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::rewind(log);
    char line[256] = {};
    if (std::fgets(line, sizeof line, log) != nullptr) complaint = line;
    while (!complaint.empty() && (complaint.back() == '\n' || complaint.back() == '\r'))
      complaint.pop_back();
  }
  if (log != nullptr) std::fclose(log);
  return cd;
}

// The parser adds up minutes, seconds and frames whatever their range, so a time that no CD
// player could give (00:10:80) would cut somewhere unmeant: such a time is refused.
void CheckIndexTimes(const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string keyword, number, time;
    if (!(words >> keyword >> number >> time) || keyword != "INDEX") continue;
    unsigned minutes = 0, seconds = 0, frames = 0;
    char c1 = 0, c2 = 0;
    std::istringstream clock(time);
    if (clock >> minutes >> c1 >> seconds >> c2 >> frames && c1 == ':' && c2 == ':' &&
        (seconds > 59 || frames > 74)) {
      throw UsageError("INDEX " + number + " " + time +
                       ": seconds run from 00 to 59 and frames from 00 to 74");
    }
  }
}

}  // namespace

CueSheet ParseCueSheet(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::string complaint;
  const auto upper = UpperKeywords(text);
  CheckIndexTimes(upper);
  const auto cd = Parse(upper, complaint);
  if (!cd) {
    // The parser counts its lines across sheets, so only the words after "N: " are kept.
    const auto colon = complaint.find(": ");
    if (colon != std::string::npos && complaint.find_first_not_of("0123456789") == colon) {
      complaint.erase(0, colon + 2);
    }
    throw UsageError(
        "not a CUE sheet that can be read (" +
        (complaint.empty() ? std::string("does every TRACK have an INDEX 01?") : complaint) + ")");
  }
  CueSheet sheet;
  sheet.title = TextOf(cd_get_cdtext(cd.get()), PTI_TITLE);
  sheet.performer = TextOf(cd_get_cdtext(cd.get()), PTI_PERFORMER);
  const int count = cd_get_ntrack(cd.get());
  for (int i = 1; i <= count; ++i) {
    Track* track = cd_get_track(cd.get(), i);
    const char* file = track_get_filename(track);
    const long start = track_get_index(track, 1);
    if (file == nullptr || start < 0) {
      throw UsageError("track " + std::to_string(i) + " has no FILE or no INDEX 01");
    }
    if (sheet.files.empty() || sheet.files.back().name != file) sheet.files.push_back({file, {}});
    auto& tracks = sheet.files.back().tracks;
    CueTrack t;
    t.number = i;
    t.title = TextOf(track_get_cdtext(track), PTI_TITLE);
    t.performer = TextOf(track_get_cdtext(track), PTI_PERFORMER);
    if (t.performer.empty()) t.performer = sheet.performer;
    t.start = std::int64_t{start} * 1000 / 75;
    if (!tracks.empty() && t.start <= tracks.back().start) {
      throw UsageError("track " + std::to_string(i) + " does not start after the track before it");
    }
    tracks.push_back(std::move(t));
  }
  if (sheet.files.empty()) throw UsageError("the sheet lists no track");
  return sheet;
}

std::vector<TimeSection> TrackSections(const CueFile& file) {
  std::vector<TimeSection> sections;
  for (std::size_t i = 0; i < file.tracks.size(); ++i) {
    const auto& track = file.tracks[i];
    const auto end = i + 1 < file.tracks.size() ? file.tracks[i + 1].start : kToEnd;
    sections.push_back({track.start, end, track.number, track.title, track.performer});
  }
  return sections;
}

}  // namespace tandrel::cli
