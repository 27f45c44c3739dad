// Reads arbitrary text as a section list and as a join list: the entries put back together
// must give the text again, and every parsed section must hold what its text says.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "tandrel_engine/section_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::int16_t bars = 0;
  for (const char c : text) bars = static_cast<std::int16_t>(bars + (c == '|'));
  const auto count = static_cast<std::int16_t>(bars + 1);

  FUZZ_CHECK(!tandrel::SplitList(text, static_cast<std::int16_t>(count + 1)));
  FUZZ_CHECK(!tandrel::SplitList(text, 0));
  const auto entries = tandrel::SplitList(text, count);
  FUZZ_CHECK(entries && entries->size() == static_cast<std::size_t>(count));
  std::string joined;
  for (std::size_t i = 0; i < entries->size(); ++i) joined += (i ? "|" : "") + (*entries)[i];
  FUZZ_CHECK(joined == text);

  const auto sections = tandrel::ParseSections(*entries);
  if (!sections) return 0;
  FUZZ_CHECK(sections->size() == entries->size());
  for (std::size_t i = 0; i < sections->size(); ++i) {
    const auto& entry = (*entries)[i];
    const auto& section = (*sections)[i];
    const auto first = entry.find(';');
    const auto second = entry.find(';', first + 1);
    FUZZ_CHECK(section.start == tandrel::ReadLong(entry.substr(0, first)));
    FUZZ_CHECK(section.end == tandrel::ReadLong(entry.substr(first + 1, second - first - 1)));
    FUZZ_CHECK(entry.compare(second + 1, section.path.size(), section.path) == 0);
    FUZZ_CHECK(section.path.find(';') == std::string::npos);
  }
  tandrel::CheckSections(*sections);
  return 0;
}
