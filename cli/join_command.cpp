// tandrel join: one output from MP3 or WAVE inputs, in the order given.

#include <filesystem>
#include <iostream>
#include <limits>

#include "cli/code_text.h"
#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/operation_report.h"
#include "cli/progress_bar.h"
#include "cli/tag_wrap.h"
#include "cli/usage_error.h"
#include "tandrel/media_info.h"
#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/operations.h"

namespace tandrel::cli {
namespace {

const char* KindName(AudioKind kind) {
  return kind == AudioKind::Wave ? "WAVE" : "MP3";
}
const char* Extension(AudioKind kind) {
  return kind == AudioKind::Wave ? ".wav" : ".mp3";
}

// The output must be of the inputs' kind: the engine writes the inputs' bytes whatever the
// output's name says. Inputs of several kinds, or of none, are the engine's to refuse.
void CheckOutputKind(const JoinOptions& o) {
  const auto kind = GetAudioKind(o.inputs.front());
  if (kind == AudioKind::None) return;
  for (const auto& input : o.inputs) {
    if (GetAudioKind(input) != kind) return;
  }
  if (GetAudioKind(o.output) != kind) {
    throw UsageError("join: the output " + o.output + " must end in " + Extension(kind) +
                     ", as the inputs are " + KindName(kind) + " files");
  }
}

// The output is one piece whose parts may have been tracks of their own: it keeps a track only
// when every input that tells one tells the same.
PieceFacts JoinFacts(const SourceTags& first, const std::vector<std::string>& inputs) {
  PieceFacts facts;
  const auto track = first.Track();
  for (std::size_t i = 1; i < inputs.size(); ++i) {
    const auto other = SourceTags::Read(inputs[i]).Track();
    if (!other.empty() && other != track) {
      facts.track = kNoTrack;
      break;
    }
  }
  return facts;
}

std::string StreamText(const TandrelMediaInfo& m) {
  return "MPEG-" + std::string(m.mpegVersion == 25 ? "2.5" : std::to_string(m.mpegVersion)) + ", " +
         std::to_string(m.sampleRate) + " Hz, " + (m.channels == 1 ? "mono" : "stereo");
}

std::string FormatText(const TandrelMediaInfo& m) {
  return "format " + std::to_string(m.formatTag) + ", " + std::to_string(m.bitsPerSample) +
         "-bit, " + std::to_string(m.channels) + " ch, " + std::to_string(m.sampleRate) + " Hz";
}

// The input a join refused with `code` and why, as "input: reason"; empty when the inputs do
// not show it (the engine's words then stand for the output).
std::string RefusedInput(int code, const std::vector<std::string>& inputs) {
  if (code != 2 && code != 4 && code != 5 && code != 6) return {};
  TandrelMediaInfo first{};
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    TandrelMediaInfo m{};
    const int read = Tandrel_ReadMediaInfo(inputs[i].c_str(), &m);
    const auto& path = inputs[i];
    if (code == 2 && read == 3) return path + ": " + CodeText(3);
    if (code == 5 && read == 5) return path + ": " + CodeText(5, path);
    if (code == 5 && m.kind == TANDREL_KIND_MP3 && m.frameCount == 0)
      return path + ": " + CodeText(5, path);
    if (i == 0) {
      first = m;
      continue;
    }
    if (code == 4 && m.kind != first.kind)
      return path + ": " +
             (m.kind == TANDREL_KIND_WAVE ? "a WAVE file among MP3 files"
                                          : "an MP3 file among WAVE files");
    if (code == 4 && m.kind == TANDREL_KIND_MP3 &&
        (m.mpegVersion != first.mpegVersion || m.sampleRate != first.sampleRate ||
         m.channels != first.channels))
      return path + ": " + StreamText(m) + ", unlike " + inputs[0] + " (" + StreamText(first) + ")";
    if (code == 6 && (m.formatTag != first.formatTag || m.bitsPerSample != first.bitsPerSample ||
                      m.channels != first.channels || m.sampleRate != first.sampleRate ||
                      m.blockAlign != first.blockAlign))
      return path + ": " + FormatText(m) + ", unlike " + inputs[0] + " (" + FormatText(first) + ")";
  }
  return {};
}

class JoinProgress final : public ProgressSink {
 public:
  JoinProgress(ProgressBar& bar, std::string label) : bar_(bar), label_(std::move(label)) {}
  void StatusChange(std::int16_t) override {}
  void Cut(std::int16_t) override {}
  void Join(std::int16_t percent) override { bar_.Show(label_, percent); }

 private:
  ProgressBar& bar_;
  std::string label_;
};

}  // namespace

int RunJoin(const JoinOptions& options) {
  if (options.inputs.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    throw UsageError("join: at most 32767 inputs");
  }
  std::string list;
  for (const auto& input : options.inputs) {
    if (input.find('|') != std::string::npos) {
      throw UsageError("join: '" + input + "' holds '|', which a join list cannot carry");
    }
    list += (list.empty() ? "" : "|") + input;
  }
  CheckOutputKind(options);

  // With --no-tags a wrap of no tags still stands in for the first input's leading tag.
  auto tags = options.noTags ? SourceTags{} : SourceTags::Read(options.inputs.front());
  const auto facts = options.noTags ? PieceFacts{} : JoinFacts(tags, options.inputs);
  TagWrap wrap(std::move(tags), [&facts](const OutputPiece&) { return facts; });
  wrap.FillInLengthLater();

  ProgressBar bar(options.quiet);
  JoinProgress progress(bar, std::filesystem::path(options.output).filename().string());
  InterruptGuard interrupts;
  OperationReport report;
  bar.Show(std::filesystem::path(options.output).filename().string(), 0);
  const int code = static_cast<int>(
      tandrel::Join(options.output, list, static_cast<std::int16_t>(options.inputs.size()),
                    &progress, OperationOptions{interrupts.Flag(), &wrap, &report}));
  bar.Clear();
  for (const auto& path : report.written) std::cout << path << '\n';
  std::cout.flush();
  if (report.failure.what == FailureKind::Cancelled || interrupts.Signal() != 0) {
    ReportError(options.output, "interrupted; nothing written");
    return interrupts.ExitStatus();
  }
  if (const auto failure = FailureText(report.failure); code != 0 && !failure.empty()) {
    std::cerr << "tandrel: " << failure << '\n';
  } else if (const auto refused = RefusedInput(code, options.inputs); !refused.empty()) {
    std::cerr << "tandrel: " << refused << '\n';
  } else if (code != 0) {
    ReportError(options.output, CodeText(code));
  } else if (!options.quiet) {
    const auto n = options.inputs.size();
    std::cerr << options.output << ": " << n << (n == 1 ? " file" : " files") << " joined\n";
  }
  return code;
}

}  // namespace tandrel::cli
