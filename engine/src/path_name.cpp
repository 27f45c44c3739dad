#include "tandrel_engine/path_name.h"

namespace tandrel {

std::string GetBaseName(std::string_view path) {
  const auto slash = path.rfind(kPathSeparator);
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const auto dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace tandrel
