// Reads arbitrary text as a CUE sheet: either it is refused with a reason, or every file of it
// has tracks numbered in sheet order whose starts increase, and its pieces tile the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cli/cue_sheet.h"
#include "cli/usage_error.h"
#include "fuzz_check.h"

// The parser leaves what it built behind when a sheet has a syntax error (each run of the
// program reads one sheet, so nothing grows); only leaks of our own count here.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libcue.so";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tandrel::cli::CueSheet sheet;
  try {
    sheet = tandrel::cli::ParseCueSheet(text);
  } catch (const tandrel::cli::UsageError& e) {
    FUZZ_CHECK(*e.what() != '\0');
    return 0;
  }
  FUZZ_CHECK(!sheet.files.empty());
  int number = 0;
  for (const auto& file : sheet.files) {
    FUZZ_CHECK(!file.tracks.empty());
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
      FUZZ_CHECK(file.tracks[i].number == ++number);
      FUZZ_CHECK(file.tracks[i].start >= 0);
      FUZZ_CHECK(i == 0 || file.tracks[i].start > file.tracks[i - 1].start);
    }
    const auto pieces = tandrel::cli::TrackSections(file);
    FUZZ_CHECK(pieces.size() == file.tracks.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      FUZZ_CHECK(pieces[i].from == file.tracks[i].start);
      FUZZ_CHECK(pieces[i].to ==
                 (i + 1 < pieces.size() ? pieces[i + 1].from : tandrel::cli::kToEnd));
    }
  }
  return 0;
}
