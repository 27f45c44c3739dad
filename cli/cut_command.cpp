// tandrel cut: time cuts (fixed length, equal parts, cut points, sections, CUE tracks) and size
// cuts of one source or a batch of them.
//
// Everything that can be checked is checked for the whole batch before the first piece is
// written: the way of cutting, the names, the play times, and that no two pieces share a file.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "cli/byte_size.h"
#include "cli/code_text.h"
#include "cli/commands.h"
#include "cli/cue_sheet.h"
#include "cli/duration.h"
#include "cli/interrupts.h"
#include "cli/operation_report.h"
#include "cli/piece_name.h"
#include "cli/progress_bar.h"
#include "cli/section_plan.h"
#include "cli/tag_wrap.h"
#include "cli/timeline.h"
#include "cli/usage_error.h"
#include "tandrel/media_info_index.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operation_options.h"
#include "tandrel_engine/operations.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kOpenFailed = 1;
constexpr int kNotSupported = 5;
constexpr int kInvalidParameter = 7;
// CutByTime counts its sections in 16 bits; longer plans go in several calls.
constexpr std::size_t kMaxSectionsPerCall = std::numeric_limits<std::int16_t>::max();

enum class Way { Every, Parts, At, Sections, Cue, Size };

// The way of cutting, read from the command line.
struct CutWay {
  Way way = Way::Every;
  std::int32_t length = 0;           // --every
  std::int32_t parts = 0;            // --parts
  std::vector<std::int32_t> points;  // --at
  std::vector<TimeSpan> spans;       // --section
  std::int32_t pieceSize = 0;        // --size
  std::string cuePath;               // --cue
  CueSheet sheet;                    // --cue
  int cueTracks = 0;                 // --cue: the tracks of the whole sheet
};

// One source and what becomes of it.
struct SourcePlan {
  std::string source;
  int code = 0;  // not 0: the source cannot be cut, for this reason
  std::string reason;
  std::optional<Timeline> timeline;   // time cuts
  std::vector<TimeSection> sections;  // time cuts
  std::vector<std::string> paths;     // time cuts: one per section
  tandrel::FrameIndex frames;         // time cuts of an MP3: the frames the plan counted
  std::string savePath;               // size cuts
};

CutWay ReadWay(const CutOptions& o) {
  const int given = o.every.has_value() + o.parts.has_value() + o.at.has_value() +
                    !o.sections.empty() + o.cue.has_value() + o.size.has_value();
  if (given != 1) {
    throw UsageError("cut: give exactly one of --every, --parts, --at, --section, --cue, --size");
  }
  CutWay w;
  if (o.every) {
    w.way = Way::Every;
    const auto ms = ParseDuration(*o.every);
    if (!ms) {
      throw UsageError("--every: '" + *o.every + "' is not a duration (" +
                       std::string(kDurationForms) + ")");
    }
    if (*ms == 0) throw UsageError("--every: the pieces must be longer than 0 ms");
    w.length = *ms;
  } else if (o.parts) {
    w.way = Way::Parts;
    const auto* end = o.parts->data() + o.parts->size();
    const auto [last, error] = std::from_chars(o.parts->data(), end, w.parts);
    if (error != std::errc{} || last != end || w.parts < 1) {
      throw UsageError("--parts: '" + *o.parts + "' is not a count of pieces from 1");
    }
  } else if (o.at) {
    w.way = Way::At;
    try {
      w.points = ParseCutPoints(*o.at);
    } catch (const UsageError& e) {
      throw UsageError(std::string("--at: ") + e.what());
    }
  } else if (!o.sections.empty()) {
    w.way = Way::Sections;
    for (const auto& text : o.sections) {
      try {
        w.spans.push_back(ParseTimeSpan(text));
      } catch (const UsageError& e) {
        throw UsageError(std::string("--section: ") + e.what());
      }
    }
  } else if (o.size) {
    w.way = Way::Size;
    const auto size = ParseByteSize(*o.size);
    if (!size || *size == 0) {
      throw UsageError("--size: '" + *o.size + "' is not a size from 1 byte (" +
                       std::string(kByteSizeForms) + ")");
    }
    if (*size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      throw UsageError("--size: " + *o.size +
                       " is more than the 2147483647 bytes a piece may hold");
    }
    w.pieceSize = static_cast<std::int32_t>(*size);
  } else {
    w.way = Way::Cue;
    w.cuePath = *o.cue;
  }
  return w;
}

std::string FolderOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}

// The output folder of a source: --out, or the source's own folder (empty for a bare name: the
// current folder).
std::string OutputFolder(const CutOptions& o, const std::string& source) {
  std::string folder = o.outDir ? *o.outDir : FolderOf(source);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

PieceFields FieldsOf(const std::string& source) {
  const fs::path path(source);
  auto ext = path.extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  return {path.stem().string(), ext, 0, {}};
}

std::string Lower(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The sections of a time cut of `source`, or the code and reason that stop it.
void PlanSections(const CutWay& w, const CueFile* cueFile, SourcePlan& plan) {
  TandrelMediaInfo media{};
  if (const int code = tandrel::ReadMediaInfo(plan.source, media, &plan.frames); code != 0) {
    plan.code = code;
    return;
  }
  const Timeline& timeline = plan.timeline.emplace(media);
  if (timeline.IsMp3() && timeline.Units() == 0) {
    plan.code = kNotSupported;  // as the engine says of a source without frames
    return;
  }
  const auto stop = [&](const std::string& why) {
    plan.code = kInvalidParameter;
    plan.reason = why;
    plan.sections.clear();
  };
  const auto length = " (length " + FormatClock(timeline.LengthMs()) + ")";
  switch (w.way) {
    case Way::Every:
      if (timeline.Units() > 0 && w.length < timeline.UnitMs()) {
        return stop("--every " + FormatClock(w.length) + " is shorter than one " +
                    (timeline.IsMp3() ? "frame" : "sample block"));
      }
      plan.sections = FixedLengthSections(timeline, w.length);
      break;
    case Way::Parts:
      plan.sections = EqualSections(timeline, w.parts);
      if (plan.sections.empty() && timeline.Units() > 0) {
        return stop("too short for " + std::to_string(w.parts) + " pieces" + length);
      }
      break;
    case Way::At:
      plan.sections = CutPointSections(w.points);
      break;
    case Way::Sections:
      plan.sections = SpanSections(w.spans);
      break;
    case Way::Cue:
      plan.sections = TrackSections(*cueFile);
      break;
    case Way::Size:
      return;
  }
  if (auto why = FitSections(timeline, plan.sections); !why.empty()) stop(why);
}

// Output paths for the sections of a plan.
void NamePieces(const CutOptions& o, const NameTemplate& name, SourcePlan& plan) {
  const auto folder = fs::path(OutputFolder(o, plan.source));
  auto fields = FieldsOf(plan.source);
  for (const auto& section : plan.sections) {
    fields.number = section.number;
    fields.title = FileNameSafe(section.title);
    if (fields.title.empty()) {
      fields.title =
          "Track " + std::string(section.number < 10 ? "0" : "") + std::to_string(section.number);
    }
    const auto path = (folder / name.Expand(fields)).string();
    // The engine writes the source's kind whatever the name says: a name of the other kind
    // would hold what its name denies. (A name of no audio kind is the user's own choice.)
    if (const auto kind = GetAudioKind(plan.source), named = GetAudioKind(path);
        named != AudioKind::None && named != kind) {
      throw UsageError("the piece " + path + " would not end in " +
                       (kind == AudioKind::Wave ? ".wav" : ".mp3") + ", as " + plan.source +
                       " is " + (kind == AudioKind::Wave ? "a WAVE" : "an MP3") +
                       " file (end --name with .{ext})");
    }
    if (path.find_first_of("|;") != std::string::npos) {
      throw UsageError("the piece " + path +
                       " would hold '|' or ';', which a section list cannot carry");
    }
    plan.paths.push_back(path);
  }
}

// No two pieces of the batch may land in one file.
void CheckDistinct(const std::vector<SourcePlan>& plans) {
  std::set<std::string> sources;
  for (const auto& plan : plans) {
    if (!sources.insert(fs::absolute(plan.source).lexically_normal().string()).second)
      throw UsageError("the source " + plan.source + " is given twice");
  }
  std::map<std::string, std::string> seen;  // normalised path -> as first written
  for (const auto& plan : plans) {
    for (const auto& path : plan.paths) {
      const auto key = fs::absolute(path).lexically_normal().string();
      const auto [at, inserted] = seen.emplace(key, path);
      if (!inserted) {
        throw UsageError("two pieces would be written to " + path +
                         " (give --name a {n} or a {base})");
      }
    }
  }
}

// A slip of the finger (--size 10, --every 10ms) would fill a folder with thousands of files.
void CheckPieceCount(const CutWay& w, const std::vector<SourcePlan>& plans) {
  std::uintmax_t pieces = 0;
  for (const auto& plan : plans) {
    if (w.way != Way::Size) {
      pieces += plan.sections.size();
      continue;
    }
    std::error_code error;
    const auto size = fs::file_size(plan.source, error);
    if (!error) pieces += (size + w.pieceSize - 1) / w.pieceSize;
  }
  if (pieces > kManyPieces) {
    throw UsageError("cut: this would write " + std::string(w.way == Way::Size ? "about " : "") +
                     std::to_string(pieces) + " pieces; give --force to write more than " +
                     std::to_string(kManyPieces));
  }
}

// Makes the output folders of a plan; the failure as "cannot create FOLDER: reason".
std::string MakeFolders(const SourcePlan& plan) {
  std::set<fs::path> folders;
  for (const auto& path : plan.paths) folders.insert(fs::path(path).parent_path());
  if (!plan.savePath.empty()) folders.insert(plan.savePath);
  for (const auto& folder : folders) {
    std::error_code error;
    if (!folder.empty()) fs::create_directories(folder, error);
    if (error) return "cannot create " + folder.string() + ": " + error.message();
  }
  return {};
}

// Moves the bar as the engine reports each piece.
class PieceProgress final : public ProgressSink {
 public:
  PieceProgress(ProgressBar& bar, std::string label, std::size_t total)
      : bar_(bar), label_(std::move(label)), total_(total) {}
  void StatusChange(std::int16_t) override {}
  void Cut(std::int16_t percent) override {
    ++done_;
    bar_.Show(label_, total_ == 0 ? percent : static_cast<int>(done_ * 100 / total_));
  }
  void Join(std::int16_t) override {}
  std::size_t Done() const { return done_; }

 private:
  ProgressBar& bar_;
  std::string label_;
  std::size_t total_;  // 0: the engine's own percentages
  std::size_t done_ = 0;
};

// The outcome of one source's cut: the code, and what was written and what failed.
struct Outcome {
  int code = 0;
  std::vector<std::string> written;
  OperationFailure failure;
};

// The tags of the pieces of a time cut: the number of each in the plan (of a CUE track, its place
// in the sheet), its length from the frames the plan gives it, and, from a CUE sheet, the track's
// title and performer and the disc's title.
std::unique_ptr<TagWrap> TimeCutTags(const CutWay& w, const SourcePlan& plan,
                                     const std::size_t& from) {
  const bool cue = w.way == Way::Cue;
  const int count = cue ? w.cueTracks : static_cast<int>(plan.sections.size());
  return std::make_unique<TagWrap>(
      SourceTags::Read(plan.source),
      [&w, &plan, &from, cue, count](const OutputPiece& piece) {
        const auto& section = plan.sections.at(from + piece.index - 1);
        PieceFacts facts;
        facts.track = section.number;
        facts.trackCount = count;
        const auto& timeline = *plan.timeline;
        const auto first = timeline.UnitAt(section.from);
        const auto end = section.to == kToEnd ? timeline.Units() : timeline.UnitAt(section.to);
        facts.lengthMs =
            PlayTimeMs((end - first) * timeline.SamplesPerFrame(), timeline.SampleRate());
        if (cue) {
          facts.title = section.title;
          facts.performer = section.performer;
          facts.album = w.sheet.title;
        }
        return facts;
      },
      cue, plan.timeline->IsMp3());
}

Outcome CutByTime(const CutWay& w, const SourcePlan& plan, ProgressBar& bar,
                  OperationOptions options, bool tags) {
  const std::size_t total = plan.sections.size();
  PieceProgress progress(bar, fs::path(plan.source).filename().string(), total);
  bar.Show(fs::path(plan.source).filename().string(), 0);
  Outcome outcome;
  OperationReport report;
  options.report = &report;
  std::size_t from = 0;
  const auto wrap = tags ? TimeCutTags(w, plan, from) : nullptr;
  options.wrap = wrap.get();
  // The cut walks only the frames near each piece's ends; it copies the rest as counted.
  options.frames = &plan.frames;
  for (; from < total; from += kMaxSectionsPerCall) {
    const auto count = std::min(kMaxSectionsPerCall, total - from);
    const auto list = SectionList(*plan.timeline, std::span(plan.sections).subspan(from, count),
                                  std::span(plan.paths).subspan(from, count));
    const auto code =
        tandrel::CutByTime(plan.source, list, static_cast<std::int16_t>(count), &progress, options);
    outcome.written.insert(outcome.written.end(), report.written.begin(), report.written.end());
    outcome.code = static_cast<int>(code);
    outcome.failure = report.failure;
    if (code != ResultCode::Success) break;
  }
  return outcome;
}

// Size cuts: the engine names piece k savePath/base_k.mp3 or .wav.
// A size piece that would be the source itself (a link of that name in the output folder): the
// engine finds it only when it comes to that piece, with the pieces before it written, so the
// folder is looked through first. Names as the engine makes them: base_N.ext, ext in lower case.
std::optional<std::string> SizePieceIsSource(const SourcePlan& plan) {
  const auto fields = FieldsOf(plan.source);
  const auto prefix = fields.base + "_";
  const auto suffix = "." + Lower(fields.ext);
  std::error_code error;
  for (fs::directory_iterator it(plan.savePath, error), end; !error && it != end;
       it.increment(error)) {
    const auto name = it->path().filename().string();
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
      continue;
    const auto number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (number.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code same;
    if (fs::equivalent(it->path(), plan.source, same)) return it->path().string();
  }
  return std::nullopt;
}

Outcome CutBySize(const CutWay& w, const SourcePlan& plan, ProgressBar& bar,
                  OperationOptions options, bool tags) {
  if (const auto piece = SizePieceIsSource(plan)) {
    return {kOpenFailed, {}, {FailureKind::SameFile, *piece, plan.source, 0}};
  }
  const auto label = fs::path(plan.source).filename().string();
  PieceProgress progress(bar, label, 0);
  bar.Show(label, 0);
  OperationReport report;
  options.report = &report;
  TagWrap wrap(tags ? SourceTags::Read(plan.source) : SourceTags{}, [](const OutputPiece& piece) {
    return PieceFacts{piece.index, piece.count, 0, {}, {}, {}};
  });
  if (tags) options.wrap = &wrap;
  const auto code = tandrel::CutBySize(plan.source, w.pieceSize, plan.savePath, &progress, options);
  return {static_cast<int>(code), std::move(report.written), report.failure};
}

std::optional<std::string> ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  if (!in || !(text << in.rdbuf())) return std::nullopt;
  return text.str();
}

}  // namespace

int RunCut(const CutOptions& o) {
  auto w = ReadWay(o);
  if (w.way == Way::Size && o.name) {
    throw UsageError(
        "--name does not go with --size: size pieces are named base_1.ext, base_2.ext ...");
  }
  const auto name = [&] {
    try {
      return NameTemplate(
          o.name ? *o.name
                 : (w.way == Way::Cue ? NameTemplate::kTracks : NameTemplate::kTimePieces));
    } catch (const UsageError& e) {
      throw UsageError(std::string("--name: ") + e.what());
    }
  }();
  if (name.UsesTitle() && w.way != Way::Cue) throw UsageError("--name: {title} needs --cue");

  // Sources, and with a CUE sheet the tracks of each.
  std::vector<std::pair<std::string, const CueFile*>> sources;
  if (w.way == Way::Cue) {
    const auto text = ReadTextFile(w.cuePath);
    if (!text) {
      ReportError(w.cuePath, OpenFailureReason(w.cuePath));
      return kOpenFailed;
    }
    try {
      w.sheet = ParseCueSheet(*text);
    } catch (const UsageError& e) {
      throw UsageError("--cue: " + w.cuePath + ": " + e.what());
    }
    for (const auto& file : w.sheet.files) w.cueTracks += static_cast<int>(file.tracks.size());
    if (o.sources.empty()) {
      const auto folder = fs::path(FolderOf(w.cuePath));
      for (const auto& file : w.sheet.files)
        sources.emplace_back((folder / file.name).string(), &file);
    } else if (w.sheet.files.size() != 1) {
      throw UsageError("--cue: the sheet lists " + std::to_string(w.sheet.files.size()) +
                       " files; leave SOURCE out to cut each of them");
    } else {
      for (const auto& s : o.sources) sources.emplace_back(s, &w.sheet.files.front());
    }
  } else {
    for (const auto& s : o.sources) sources.emplace_back(s, nullptr);
  }
  if (sources.empty()) throw UsageError("cut: no SOURCE given");

  std::vector<SourcePlan> plans;
  std::set<std::string> sizeNames;
  for (const auto& [source, cueFile] : sources) {
    SourcePlan plan;
    plan.source = source;
    if (w.way == Way::Size) {
      // The engine puts a separator after the folder, so the current folder must be named.
      plan.savePath = OutputFolder(o, source);
      if (plan.savePath.empty()) plan.savePath = ".";
      const auto fields = FieldsOf(source);
      const auto key = fs::absolute(plan.savePath).lexically_normal().string() + "/" + fields.base +
                       "." + Lower(fields.ext);
      if (!sizeNames.insert(key).second) {
        throw UsageError("two sources would both be cut into " + plan.savePath + "/" + fields.base +
                         "_1." + Lower(fields.ext) + " ...");
      }
    } else {
      PlanSections(w, cueFile, plan);
      if (plan.code == 0) NamePieces(o, name, plan);
    }
    plans.push_back(std::move(plan));
  }
  CheckDistinct(plans);
  if (!o.force) CheckPieceCount(w, plans);

  int status = 0;
  ProgressBar bar(o.quiet);
  InterruptGuard interrupts;
  const OperationOptions options{interrupts.Flag(), nullptr, nullptr};
  for (auto& plan : plans) {
    Outcome outcome{plan.code, {}, {}};
    std::string failure;  // what failed where, when the engine says
    if (outcome.code == 0) {
      failure = MakeFolders(plan);
      if (!failure.empty()) outcome.code = kOpenFailed;
    } else if (outcome.code == kOpenFailed) {
      failure = plan.source + ": " + OpenFailureReason(plan.source);
    }
    if (outcome.code == 0) {
      outcome = w.way == Way::Size ? CutBySize(w, plan, bar, options, !o.noTags)
                                   : CutByTime(w, plan, bar, options, !o.noTags);
      failure = FailureText(outcome.failure);
      std::error_code error;
      if (const auto size = fs::file_size(plan.source, error);
          w.way == Way::Size && outcome.code == kInvalidParameter && !error &&
          size < static_cast<std::uintmax_t>(w.pieceSize))
        plan.reason = "--size " + std::to_string(w.pieceSize) + " is more than the file holds (" +
                      std::to_string(size) + " bytes)";
    }
    bar.Clear();
    // What was written is named even when the cut stopped part way: those pieces stay.
    for (const auto& path : outcome.written) std::cout << path << '\n';
    std::cout.flush();
    const int code = outcome.code;
    if (outcome.failure.what == FailureKind::Cancelled || interrupts.Signal() != 0) {
      ReportError(plan.source, "interrupted; " + std::to_string(outcome.written.size()) +
                                   (outcome.written.size() == 1 ? " piece" : " pieces") +
                                   " written");
      return interrupts.ExitStatus();
    }
    if (code != 0 && !failure.empty()) {
      std::cerr << "tandrel: " << failure << '\n';
    } else if (code != 0) {
      ReportError(plan.source, plan.reason.empty() ? CodeText(code, plan.source) : plan.reason);
    } else if (!o.quiet) {
      const auto n = outcome.written.size();
      std::cerr << plan.source << ": " << n << (n == 1 ? " piece" : " pieces") << " written\n";
    }
    if (status == 0) status = code;
  }
  return status;
}

}  // namespace tandrel::cli
