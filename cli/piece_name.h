#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tandrel::cli {

// What a piece's name is made of.
struct PieceFields {
  std::string base;   // the source's file name without folder and last extension
  std::string ext;    // the source's extension without the dot, letter case kept
  int number = 0;     // the piece's number from 1, or a CUE sheet's track number
  std::string title;  // the track's title (CUE sheets only)
};

// A file-name template: text with the fields {base}, {ext}, {n}, {n:0W} (the number zero-padded
// to at least W digits, W from 1 to 9) and {title}; "{{" and "}}" stand for braces.
class NameTemplate {
 public:
  // How the desktop program names time pieces: Song_001.mp3, Song_002.mp3 ...
  static constexpr std::string_view kTimePieces = "{base}_{n:03}.{ext}";
  // Pieces cut by a CUE sheet: "01 - First title.mp3".
  static constexpr std::string_view kTracks = "{n:02} - {title}.{ext}";

  // Throws UsageError with the reason when the template is malformed.
  explicit NameTemplate(std::string_view text);

  std::string Expand(const PieceFields& fields) const;
  bool UsesNumber() const;
  bool UsesTitle() const;
  const std::string& Text() const { return text_; }

 private:
  enum class Kind { Literal, Base, Ext, Number, Title };
  struct Part {
    Kind kind = Kind::Literal;
    std::string literal;
    int width = 0;
  };
  std::string text_;
  std::vector<Part> parts_;
};

// A track title made fit for a file name: '/' (a folder separator) and the engine's list
// separators '|' and ';' become '-', control characters are dropped, blanks at either end are
// cut, and "." and ".." (which name folders) become "_". Empty stays empty.
std::string FileNameSafe(std::string_view title);

}  // namespace tandrel::cli
