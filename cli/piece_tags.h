#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tandrel::cli {

// PieceFacts::track for an output that is no single track of a set (a join of several).
inline constexpr int kNoTrack = -1;

// What a piece's tags say about the piece itself rather than about its source.
struct PieceFacts {
  int track = 0;               // from 1: the piece's number; 0: the source's; kNoTrack: none
  int trackCount = 0;          // written as "n/N" when not 0, else as "n"
  std::uint64_t lengthMs = 0;  // the piece's play time; 0 leaves the length out
  // UTF-8; each one that is not empty takes the place of the source's.
  std::string title;
  std::string performer;
  std::string album;
};

// The tags of a source file, held in memory, and the tag bytes each of its pieces gets: the
// source's frames and fields as they are, with the track, the length, and the title and artist
// when given, made the piece's own.
//
// Where each tag is looked for:
//   ID3v2      at the start of the file (the first tag only, as the audio starts after it); in
//              a RIFF WAVE file, in the first "id3 " (or "ID3 ") chunk that holds a whole one
//   ID3v1      the last 128 bytes, after everything else (past the RIFF chunk in a WAVE file)
//   LIST/INFO  among the chunks of a RIFF WAVE file, the first one
class SourceTags {
 public:
  // Reads the tags of the file at `path`, reading no audio and never writing to the file. Never
  // throws: a file that cannot be read, that has no tags, or whose tag claims more bytes than
  // the file holds gives no tag of that kind.
  static SourceTags Read(const std::string& path);

  bool HasId3v2() const { return !id3v2_.empty(); }
  bool HasId3v1() const { return !id3v1_.empty(); }
  bool HasWaveInfo() const { return !waveInfo_.empty(); }

  // A whole ID3v2 tag, header included, in the source's version when that is 2.3 and in 2.4
  // otherwise, with no footer, no extended header and 1 KiB of padding. TRCK, TLEN, TIT2, TPE1
  // and TALB follow `facts`; every other frame (pictures, comments ...) is the source's. For a
  // source without an ID3v2 tag, a 2.3 tag of the facts alone.
  // With `size` not 0: exactly that many bytes, the padding made to fit (to fill in a tag written
  // before, when its frames grew by less than its 1 KiB of padding), else nothing.
  std::vector<std::uint8_t> Id3v2For(const PieceFacts& facts, std::size_t size = 0) const;

  // The track as the source's tags give it ("3/10", "3"), the ID3v2 tag's before the ID3v1
  // tag's before the INFO chunk's; empty when none gives one.
  std::string Track() const;

  // The 128 bytes of an ID3v1.1 tag: the source's fields, the title and artist from `facts`
  // when given (ISO 8859-1; a character outside it becomes '?'; cut at 30 bytes), and the
  // track byte (0 for no track or one past 255). Empty when the source has no ID3v1 tag.
  std::vector<std::uint8_t> Id3v1For(const PieceFacts& facts) const;

  // The source's LIST/INFO chunk as stored: id, size and body, and a zero pad byte after an odd
  // body. Empty when the source has none.
  std::vector<std::uint8_t> WaveInfoChunk() const { return waveInfo_; }

  // A LIST/INFO chunk of the source's fields, with INAM, IART, IPRD and IPRT (and ITRK where the
  // source has it) set from `facts` where they give them, the track removed for kNoTrack; empty
  // when that leaves no field. Characters outside ISO 8859-1 become '?', as INFO fields are
  // commonly read.
  std::vector<std::uint8_t> WaveInfoChunkFor(const PieceFacts& facts) const;

  // A RIFF chunk of Id3v2For(facts), under the id of the source's chunk ("id3 " when it has
  // none), with a zero pad byte after an odd tag.
  std::vector<std::uint8_t> WaveId3ChunkFor(const PieceFacts& facts) const;

 private:
  std::vector<std::uint8_t> id3v2_;     // the source's tag, header to footer
  std::vector<std::uint8_t> id3v1_;     // 128 bytes
  std::vector<std::uint8_t> waveInfo_;  // the whole chunk
  std::string waveId3Id_ = "id3 ";
};

}  // namespace tandrel::cli
