#include "logic/task_names.h"

#include "logic/path_routines.h"

namespace trevasso::logic {

std::string TaskFileName(const std::string& source, const std::string& outputFolder, int number,
                         const PlatformFacts& facts) {
  const std::string src = TrimBlanks(source);
  const std::size_t separatorAt = src.rfind(facts.pathSeparator);
  const std::size_t nameStart = separatorAt == std::string::npos ? 0 : separatorAt + 1;
  const std::size_t point = src.rfind('.');
  std::string base = src.substr(nameStart);
  std::string extension;
  if (point != std::string::npos && point >= nameStart) {
    base = src.substr(nameStart, point - nameStart);
    extension = src.substr(point);
  }
  std::string numbered = std::to_string(number);
  if (numbered.size() < 3) numbered.insert(0, 3 - numbered.size(), '0');
  return JoinPath(outputFolder, base + "_" + numbered + extension, facts);
}

}  // namespace trevasso::logic
