#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/byte_size.h"
#include "cli/commands.h"
#include "cli/duration.h"
#include "cli/usage_error.h"

#ifndef TANDREL_VERSION
#error "TANDREL_VERSION must be defined by the build"
#endif

namespace tandrel::cli {
namespace {

constexpr const char* kProgram = "tandrel";
constexpr int kOpenFailed = 1;

// Set when an option was given, from the string CLI11 filled.
void Keep(const CLI::Option* option, const std::string& value, std::optional<std::string>& out) {
  if (option->count() > 0) out = value;
}

// A CLI11 message on one line.
std::string OneLine(std::string text) {
  for (auto& c : text) {
    if (c == '\n') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  CLI::App app{
      "Cuts MP3 and WAVE files into pieces and joins them, losslessly: MP3 frames and "
      "WAVE sample blocks are copied as they are, never decoded.",
      kProgram};
  app.set_version_flag("--version", std::string(kProgram) + " " + TANDREL_VERSION);
  app.require_subcommand(1);
  app.footer(std::string("Exit status: the operation's result code, 0 to 7 (0 success); 64 for "
                         "a usage error; 128+N when signal N stopped it (130 for Ctrl-C).\n"
                         "Durations: ") +
             std::string(kDurationForms) + ", in real time. Sizes: " + std::string(kByteSizeForms) +
             " (K = KiB = 1024, KB = 1000).\nRun 'tandrel SUBCOMMAND --help' for each subcommand.");

  // info
  InfoOptions info;
  auto* infoCmd =
      app.add_subcommand("info", "Show the kind, size, play time and stream facts of files");
  infoCmd->add_option("FILE", info.files, "MP3 or WAVE files")->required();
  infoCmd->add_flag("--json", info.json, "Print one JSON array with an object per file");

  // cut
  CutOptions cut;
  std::string outDir, every, parts, at, cue, size, name;
  auto* cutCmd = app.add_subcommand("cut", "Cut each SOURCE into pieces, by time or by size");
  cutCmd->add_option("SOURCE", cut.sources, "MP3 or WAVE files, cut one after the other");
  auto* outOpt = cutCmd
                     ->add_option("-o,--out", outDir,
                                  "Folder for the pieces (made when missing); default: the "
                                  "source's own folder")
                     ->type_name("DIR");
  auto* everyOpt =
      cutCmd->add_option("--every", every, "Pieces of this length; the last one runs to the end")
          ->type_name("DURATION");
  auto* partsOpt = cutCmd->add_option("--parts", parts, "N pieces of equal length")->type_name("N");
  auto* atOpt = cutCmd->add_option("--at", at, "Cut at these times: 0-T1, T1-T2, ..., Tk-end")
                    ->type_name("T1,T2,...");
  cutCmd
      ->add_option("--section", cut.sections,
                   "One piece from START to END (either may be left out); repeatable")
      ->type_name("START-END")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  auto* cueOpt = cutCmd
                     ->add_option("--cue", cue,
                                  "One piece per TRACK of a CUE sheet, named by its number and "
                                  "TITLE; without SOURCE the sheet's FILE entries are cut")
                     ->type_name("FILE");
  auto* sizeOpt = cutCmd
                      ->add_option("--size", size,
                                   "Pieces of this many bytes of audio, named base_1.ext, "
                                   "base_2.ext ...")
                      ->type_name("SIZE");
  auto* nameOpt =
      cutCmd
          ->add_option("--name", name,
                       "Names of time pieces: {base} {n} {n:03} {title} {ext}; "
                       "default {base}_{n:03}.{ext} ({n:02} - {title}.{ext} with --cue)")
          ->type_name("TEMPLATE");
  cutCmd->add_flag("-f,--force", cut.force, "Cut even when it makes more than 1000 pieces");
  cutCmd->add_flag(
      "--no-tags", cut.noTags,
      "Pieces without tags (by default each gets the source's, with its own track and length)");
  cutCmd->add_flag("-q,--quiet", cut.quiet, "No progress bar and no message on success");

  // join
  JoinOptions join;
  auto* joinCmd =
      app.add_subcommand("join", "Join MP3 files, or WAVE files of one format, into OUTPUT");
  joinCmd->add_option("-o,--output", join.output, "The joined file (replaced when it exists)")
      ->required()
      ->type_name("OUTPUT");
  joinCmd->add_option("INPUT", join.inputs, "The files to join, in this order")->required();
  joinCmd->add_flag("--no-tags", join.noTags,
                    "No tags (by default the first input's, with the join's own length)");
  joinCmd->add_flag("-q,--quiet", join.quiet, "No progress bar and no message on success");

  // raw
  RawOptions raw;
  auto* rawCmd = app.add_subcommand(
      "raw", "The library's operations with exactly their own arguments (list strings, counts)");
  rawCmd->require_subcommand(1);
  rawCmd->add_flag("-q,--quiet", raw.quiet, "No progress bar and no message on success");
  std::vector<std::string> rawArgs(3);
  using RawArgument = std::pair<const char*, const char*>;  // name and help
  const auto addRaw = [&](const char* op, const char* help,
                          std::initializer_list<RawArgument> arguments) {
    auto* sub = rawCmd->add_subcommand(op, help);
    sub->fallthrough();
    std::size_t i = 0;
    for (const auto& [argument, text] : arguments) {
      sub->add_option(argument, rawArgs[i++], text)->required()->type_name("");
    }
    sub->callback([&raw, op] { raw.operation = op; });
  };
  addRaw("join", "Join(SaveFileName, FilesToJoin, FilesCount)",
         {{"SAVE_FILE_NAME", "The joined file"},
          {"FILES_TO_JOIN", "The inputs in order: \"path|path|...\""},
          {"FILES_COUNT", "How many paths FILES_TO_JOIN holds (16-bit)"}});
  addRaw("cut-time", "CutByTime(OpenFileName, CutTimeInfo, FilesCount)",
         {{"OPEN_FILE_NAME", "The source"},
          {"CUT_TIME_INFO",
           "\"start;end;path|...\": whole ms, 1-based and inclusive, end -1 to the end"},
          {"FILES_COUNT", "How many sections CUT_TIME_INFO holds (16-bit)"}});
  addRaw("cut-size", "CutBySize(OpenFileName, FileSize, SavePath)",
         {{"OPEN_FILE_NAME", "The source"},
          {"FILE_SIZE", "Bytes of audio per piece (32-bit)"},
          {"SAVE_PATH", "The folder of the pieces SAVE_PATH/base_1.ext, base_2.ext ..."}});
  addRaw("file-size", "GetFileSize(FileName): prints bytes, the low 32 bits; 0 when unreadable",
         {{"FILE_NAME", "Any file"}});
  addRaw("play-time", "GetPlayTime(FileName): prints ms, or 1, 3 or 5 on failure",
         {{"FILE_NAME", "An MP3 or WAVE file"}});

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::RequiredError& e) {
    // CLI11 takes an unknown subcommand for a stray argument and asks for a subcommand.
    const bool atTop = app.get_subcommands().empty();
    if (atTop || (rawCmd->parsed() && rawCmd->get_subcommands().empty())) {
      const int next = atTop ? 1 : 2;  // where the subcommand should have been
      const std::string what = atTop ? "subcommand" : "raw operation";
      std::cerr << kProgram << ": "
                << (argc > next && argv[next][0] != '-'
                        ? "'" + std::string(argv[next]) + "' is not a " + what
                        : "a " + what + " is required")
                << (atTop ? " (info, cut, join, raw)\n"
                          : " (join, cut-time, cut-size, file-size, play-time)\n");
    } else {
      std::cerr << kProgram << ": " << OneLine(e.what()) << '\n';
    }
    return kUsageExit;
  } catch (const CLI::ParseError& e) {
    std::cerr << kProgram << ": " << OneLine(e.what()) << '\n';
    return kUsageExit;
  }

  try {
    if (infoCmd->parsed()) return RunInfo(info);
    if (joinCmd->parsed()) return RunJoin(join);
    if (rawCmd->parsed()) {
      raw.args = rawArgs;
      return RunRaw(raw);
    }
    Keep(outOpt, outDir, cut.outDir);
    Keep(everyOpt, every, cut.every);
    Keep(partsOpt, parts, cut.parts);
    Keep(atOpt, at, cut.at);
    Keep(cueOpt, cue, cut.cue);
    Keep(sizeOpt, size, cut.size);
    Keep(nameOpt, name, cut.name);
    return RunCut(cut);
  } catch (const UsageError& e) {
    std::cerr << kProgram << ": " << e.what() << '\n';
    return kUsageExit;
  } catch (const std::exception& e) {
    // Out of memory, or a file system that cannot say where a path leads.
    std::cerr << kProgram << ": " << e.what() << '\n';
    return kOpenFailed;
  }
}

}  // namespace tandrel::cli
