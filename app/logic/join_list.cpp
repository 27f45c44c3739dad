#include "logic/join_list.h"

#include <algorithm>
#include <limits>

#include "logic/path_routines.h"

namespace trevasso::logic {

namespace {

// Only ASCII letters can lower to the ASCII of "mp3" and "wav", so the rest stay as they are.
std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::int16_t CheckJoinFormats(const std::vector<std::string>& fileNames) {
  std::string last;
  for (const std::string& name : fileNames) {
    const std::size_t point = name.rfind('.');
    const std::string extension =
        AsciiLower(point == std::string::npos ? name : name.substr(point + 1));
    if (extension != "mp3" && extension != "wav") return kJoinFormatsOther;
    if (!last.empty() && last != extension) return kJoinFormatsMixed;
    last = extension;
  }
  return kJoinFormatsSame;
}

std::optional<Notice> JoinFormatsRefusal(std::int16_t outcome) {
  switch (outcome) {
    case kJoinFormatsSame:
      return std::nullopt;
    case kJoinFormatsMixed:
      return Notice{NoticeIcon::Information,
                    "Please use only one format, can not join MP3 and WAV files together"};
    case kJoinFormatsOther:
      return Notice{
          NoticeIcon::Information,
          "Please use only one format of MP3 or WAV files, can not support other formats!"};
    default:
      return Notice{NoticeIcon::Critical, "Unknown Error!"};
  }
}

std::optional<Notice> JoinRefusal(const std::vector<std::string>& fileNames,
                                  const std::string& saveFileName) {
  if (fileNames.size() < 2) {
    return Notice{NoticeIcon::Information, "Please add more than 2 files to join"};
  }
  if (TrimBlanks(saveFileName).empty()) {
    return Notice{NoticeIcon::Information, "Please set a file name to save the joined file"};
  }
  return JoinFormatsRefusal(CheckJoinFormats(fileNames));
}

JoinMoveTarget MoveJoinFile(JoinMove move, int rows, int position) {
  const bool up = move == JoinMove::Up;
  if (rows == 0) {
    return {Notice{NoticeIcon::Information,
                   up ? "There is no file for move up, Please add files first"
                      : "There is no file for move down, Please add files first"},
            0};
  }
  if (up && position < 2) {
    return {Notice{NoticeIcon::Information, "The file is already at the top."}, 0};
  }
  if (!up && position >= rows) {
    return {Notice{NoticeIcon::Information, "The file is already at the bottom."}, 0};
  }
  return {std::nullopt, up ? position - 1 : position + 1};
}

std::string BuildJoinList(const std::vector<std::string>& fileNames) {
  std::string list;
  for (std::size_t i = 0; i < fileNames.size(); ++i) {
    if (i > 0) list += '|';
    list += TrimBlanks(fileNames[i]);
  }
  return list;
}

std::int16_t JoinFilesCount(std::size_t files) {
  return static_cast<std::int16_t>(
      std::min<std::size_t>(files, std::numeric_limits<std::int16_t>::max()));
}

}  // namespace trevasso::logic
