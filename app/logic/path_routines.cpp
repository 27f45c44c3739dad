#include "logic/path_routines.h"

namespace trevasso::logic {

std::string TrimBlanks(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  return text.substr(first, last - first);
}

std::string GetFolderPart(const std::string& path, const PlatformFacts& facts) {
  // A separator byte never occurs inside the bytes of a longer UTF-8 character.
  const std::size_t separator = path.rfind(facts.pathSeparator);
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name,
                     const PlatformFacts& facts) {
  const std::string trimmed = TrimBlanks(folder);
  if (trimmed.empty()) return name;
  if (trimmed.back() == facts.pathSeparator) return trimmed + name;
  return trimmed + facts.pathSeparator + name;
}

std::string FolderPickerStart(const std::string& outputFolder, const std::string& source,
                              const std::string& home, const PlatformFacts& facts,
                              const IsFolder& isFolder) {
  for (const std::string& folder :
       {TrimBlanks(outputFolder), GetFolderPart(TrimBlanks(source), facts)}) {
    if (!folder.empty() && isFolder(folder)) return folder;
  }
  return home;
}

}  // namespace trevasso::logic
