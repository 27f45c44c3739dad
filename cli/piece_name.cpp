#include "cli/piece_name.h"

#include <algorithm>
#include <string>
#include <utility>

#include "cli/usage_error.h"

namespace tandrel::cli {

NameTemplate::NameTemplate(std::string_view text) : text_(text) {
  std::string literal;
  const auto flush = [&] {
    if (!literal.empty()) parts_.push_back({Kind::Literal, std::exchange(literal, {}), 0});
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
      literal += c;
      ++i;
      continue;
    }
    if (c == '}') throw UsageError("'}' without '{' (write \"}}\" for a brace)");
    if (c != '{') {
      literal += c;
      continue;
    }
    const auto close = text.find('}', i);
    if (close == std::string_view::npos) throw UsageError("'{' without '}'");
    const auto field = text.substr(i + 1, close - i - 1);
    flush();
    if (field == "base") {
      parts_.push_back({Kind::Base, {}, 0});
    } else if (field == "ext") {
      parts_.push_back({Kind::Ext, {}, 0});
    } else if (field == "title") {
      parts_.push_back({Kind::Title, {}, 0});
    } else if (field == "n") {
      parts_.push_back({Kind::Number, {}, 0});
    } else if (field.size() == 4 && field.starts_with("n:0") && field[3] >= '1' &&
               field[3] <= '9') {
      parts_.push_back({Kind::Number, {}, field[3] - '0'});
    } else {
      throw UsageError("unknown field {" + std::string(field) +
                       "} (fields: {base} {n} {n:03} {title} {ext})");
    }
    i = close;
  }
  flush();
  if (parts_.empty()) throw UsageError("the name template is empty");
}

std::string NameTemplate::Expand(const PieceFields& fields) const {
  std::string name;
  for (const auto& part : parts_) {
    switch (part.kind) {
      case Kind::Literal:
        name += part.literal;
        break;
      case Kind::Base:
        name += fields.base;
        break;
      case Kind::Ext:
        name += fields.ext;
        break;
      case Kind::Title:
        name += fields.title;
        break;
      case Kind::Number: {
        const auto digits = std::to_string(fields.number);
        if (static_cast<int>(digits.size()) < part.width)
          name.append(part.width - digits.size(), '0');
        name += digits;
        break;
      }
    }
  }
  return name;
}

bool NameTemplate::UsesNumber() const {
  return std::any_of(parts_.begin(), parts_.end(),
                     [](const Part& p) { return p.kind == Kind::Number; });
}

bool NameTemplate::UsesTitle() const {
  return std::any_of(parts_.begin(), parts_.end(),
                     [](const Part& p) { return p.kind == Kind::Title; });
}

std::string FileNameSafe(std::string_view title) {
  std::string safe;
  for (const char c : title) {
    if (c == '/' || c == '|' || c == ';') {
      safe += '-';
    } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
      safe += c;
    }
  }
  const auto first = safe.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  safe = safe.substr(first, safe.find_last_not_of(' ') - first + 1);
  if (safe == "." || safe == "..") return "_";
  return safe;
}

}  // namespace tandrel::cli
