#include "cli/piece_tags.h"

#include <taglib/audioproperties.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tbytevector.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

namespace tandrel::cli {
namespace {

constexpr std::uint64_t kId3v1Size = 128;
constexpr std::uint64_t kChunkHeaderSize = 8;  // id, 32-bit little-endian body size

using Bytes = std::vector<std::uint8_t>;

// A source file opened for reading only; every read stays inside the file.
class SourceFile {
 public:
  // Only a regular file is opened: a FIFO would block the open until a writer came.
  explicit SourceFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return;
    in_.open(path, std::ios::binary);
    if (in_ && in_.seekg(0, std::ios::end)) {
      const auto end = in_.tellg();
      if (end > 0) size_ = static_cast<std::uint64_t>(end);
    }
  }
  std::uint64_t Size() const { return size_; }

  // `n` bytes from `offset`, or nothing when the file does not hold them all.
  Bytes Read(std::uint64_t offset, std::uint64_t n) {
    if (offset > size_ || n > size_ - offset) return {};
    Bytes bytes(n);
    in_.clear();
    if (!in_.seekg(static_cast<std::streamoff>(offset)) ||
        !in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(n)))
      return {};
    return bytes;
  }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

bool StartsWith(const Bytes& bytes, std::string_view text) {
  return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin());
}

std::uint32_t LittleEndian32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}

// The ID3v2 tag at `at`, header to footer, when the `room` bytes from there hold all of it.
Bytes ReadId3v2(SourceFile& file, std::uint64_t at, std::uint64_t room) {
  const auto head = file.Read(at, TagLib::ID3v2::Header::size());
  if (!StartsWith(head, "ID3")) return {};
  const TagLib::ID3v2::Header header(
      TagLib::ByteVector(reinterpret_cast<const char*>(head.data()), head.size()));
  // A size byte with its high bit set reads as size 0: no tag to believe.
  if (header.majorVersion() < 2 || header.majorVersion() > 4 || header.tagSize() == 0) return {};
  if (header.completeTagSize() > room) return {};
  return file.Read(at, header.completeTagSize());
}

struct WaveScan {
  Bytes infoChunk;
  Bytes id3Tag;  // the tag in the first "id3 " (or "ID3 ") chunk that holds one
  std::string id3ChunkId;
  std::uint64_t chunksEnd = 0;  // where the last whole chunk ends; 0 when this is no RIFF WAVE
};

// RIFF size WAVE, then chunks of id, size and body, each odd body followed by a pad byte.
WaveScan ScanWave(SourceFile& file) {
  WaveScan scan;
  const auto head = file.Read(0, 12);
  if (!StartsWith(head, "RIFF") || !std::equal(head.begin() + 8, head.end(), "WAVE")) return scan;
  // A RIFF size that is too small or runs past the file (left so by writers that stopped
  // early) says nothing: the chunks then run to the end of the file.
  const std::uint64_t riffSize = LittleEndian32(head, 4);
  std::uint64_t end = file.Size();
  if (riffSize >= 4 && kChunkHeaderSize + riffSize <= end) end = kChunkHeaderSize + riffSize;

  std::uint64_t at = 12;
  while (end - at >= kChunkHeaderSize) {
    const auto chunk = file.Read(at, kChunkHeaderSize);
    if (chunk.empty()) break;
    const std::uint64_t size = LittleEndian32(chunk, 4);
    if (size > end - at - kChunkHeaderSize) {
      // The chunk claims more than is left: its body (most often the samples of a recording
      // cut short) takes the rest of the file, and no chunk can follow it.
      at = file.Size();
      break;
    }
    if (scan.infoChunk.empty() && StartsWith(chunk, "LIST") && size >= 4 &&
        StartsWith(file.Read(at + kChunkHeaderSize, 4), "INFO")) {
      scan.infoChunk = file.Read(at, kChunkHeaderSize + size);
      // Written as a zero whatever the file holds there: some writers leave the pad out, and
      // the byte there then belongs to the next chunk.
      if (size % 2 != 0) scan.infoChunk.push_back(0);
    }
    if (scan.id3Tag.empty() && (StartsWith(chunk, "id3 ") || StartsWith(chunk, "ID3 "))) {
      scan.id3Tag = ReadId3v2(file, at + kChunkHeaderSize, size);
      scan.id3ChunkId.assign(chunk.begin(), chunk.begin() + 4);
    }
    at = std::min(end, at + kChunkHeaderSize + size + size % 2);
  }
  scan.chunksEnd = at;
  return scan;
}

// A tag's bytes as a file TagLib can read a tag from: nothing of the source is reachable
// through it, so nothing a tag class does can change the source.
class TagBytes : public TagLib::File {
 public:
  explicit TagBytes(const Bytes& bytes)
      : TagBytes(TagLib::ByteVector(reinterpret_cast<const char*>(bytes.data()),
                                    static_cast<unsigned int>(bytes.size()))) {}
  TagLib::Tag* tag() const override { return nullptr; }
  TagLib::AudioProperties* audioProperties() const override { return nullptr; }
  bool save() override { return false; }

 private:
  explicit TagBytes(const TagLib::ByteVector& data)
      : TagBytes(new TagLib::ByteVectorStream(data)) {}
  // The stream is made before the File base class that reads through it, and outlives it.
  explicit TagBytes(TagLib::ByteVectorStream* stream) : TagLib::File(stream), stream_(stream) {}
  std::unique_ptr<TagLib::ByteVectorStream> stream_;
};

TagLib::String FromUtf8(const std::string& text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

std::string TrackText(const PieceFacts& facts) {
  std::string text = std::to_string(facts.track);
  if (facts.trackCount > 0) text += "/" + std::to_string(facts.trackCount);
  return text;
}

// Replaces every `id` frame by one holding `text`, in ISO 8859-1 when the text fits in it, else
// in the widest encoding the version knows.
void SetText(TagLib::ID3v2::Tag& tag, const char* id, const TagLib::String& text, bool v4) {
  tag.removeFrames(id);
  const auto encoding = text.isLatin1() ? TagLib::String::Latin1
                        : v4            ? TagLib::String::UTF8
                                        : TagLib::String::UTF16;
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, encoding);
  frame->setText(text);
  tag.addFrame(frame);  // the tag owns it from here
}

TagLib::String Latin1Only(const std::string& utf8) {
  auto text = FromUtf8(utf8);
  for (auto& c : text) {
    if (c > 0xFF) c = L'?';
  }
  return text;
}

// The fields of a LIST/INFO chunk as stored (none for no chunk).
TagLib::RIFF::Info::Tag InfoTagOf(const Bytes& chunk) {
  if (chunk.size() < kChunkHeaderSize) return TagLib::RIFF::Info::Tag();
  return TagLib::RIFF::Info::Tag(TagLib::ByteVector(
      reinterpret_cast<const char*>(chunk.data()) + kChunkHeaderSize, LittleEndian32(chunk, 4)));
}

Bytes ToBytes(const TagLib::ByteVector& data) {
  return Bytes(data.begin(), data.end());
}

}  // namespace

SourceTags SourceTags::Read(const std::string& path) {
  SourceTags tags;
  try {
    SourceFile file(path);
    tags.id3v2_ = ReadId3v2(file, 0, file.Size());
    auto wave = ScanWave(file);
    tags.waveInfo_ = std::move(wave.infoChunk);
    if (!wave.id3Tag.empty()) {
      // A WAVE file's ID3v2 tag lives in a chunk of its own.
      tags.id3v2_ = std::move(wave.id3Tag);
      tags.waveId3Id_ = wave.id3ChunkId;
    }
    // Only after every other tag and chunk: the last 128 bytes of a short file may lie inside
    // its ID3v2 tag, and those of a WAVE file inside its samples.
    const auto tagsEnd = std::max<std::uint64_t>(tags.id3v2_.size(), wave.chunksEnd);
    if (file.Size() >= tagsEnd + kId3v1Size) {
      auto id3v1 = file.Read(file.Size() - kId3v1Size, kId3v1Size);
      if (StartsWith(id3v1, "TAG")) tags.id3v1_ = std::move(id3v1);
    }
  } catch (...) {
    // Out of memory for a tag: the source's tags are left as far as they were read.
  }
  return tags;
}

std::vector<std::uint8_t> SourceTags::Id3v2For(const PieceFacts& facts, std::size_t size) const {
  // With no source tag, an empty tag read from no bytes at all: 2.4 as TagLib makes it, written
  // as 2.3, which every player reads.
  TagBytes file(id3v2_);
  TagLib::ID3v2::Tag tag(&file, 0);
  const bool v4 = !id3v2_.empty() && tag.header()->majorVersion() != 3;

  if (facts.track > 0) SetText(tag, "TRCK", TrackText(facts), v4);
  if (facts.track == kNoTrack) tag.removeFrames("TRCK");
  if (facts.lengthMs > 0) {
    SetText(tag, "TLEN", TagLib::String(std::to_string(facts.lengthMs)), v4);
  } else {
    tag.removeFrames("TLEN");  // the source's length is no piece's length
  }
  if (!facts.title.empty()) SetText(tag, "TIT2", FromUtf8(facts.title), v4);
  if (!facts.performer.empty()) SetText(tag, "TPE1", FromUtf8(facts.performer), v4);
  if (!facts.album.empty()) SetText(tag, "TALB", FromUtf8(facts.album), v4);

  // The tag is written again from its frames alone: with no unsynchronisation, no extended
  // header and no footer, so the flags that announce them go. With a size of 0 to keep, the
  // padding is the smallest TagLib writes (1 KiB) and not the source's.
  TagLib::ByteVector header = tag.header()->render();
  header[5] = 0;
  std::fill(header.begin() + 6, header.end(), 0);
  tag.header()->setData(header);
  // With a size to fill, the padding makes up the difference (TagLib pads to the size the header
  // states when the frames leave room for at most 1 KiB).
  const auto header10 = TagLib::ID3v2::Header::size();
  tag.header()->setTagSize(size > header10 ? static_cast<unsigned>(size - header10) : 0);
  auto bytes = ToBytes(tag.render(v4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3));
  if (size != 0 && bytes.size() != size) bytes.clear();
  return bytes;
}

std::vector<std::uint8_t> SourceTags::WaveInfoChunkFor(const PieceFacts& facts) const {
  auto tag = InfoTagOf(waveInfo_);
  if (!facts.title.empty()) tag.setTitle(Latin1Only(facts.title));
  if (!facts.performer.empty()) tag.setArtist(Latin1Only(facts.performer));
  if (!facts.album.empty()) tag.setAlbum(Latin1Only(facts.album));
  // IPRT as TagLib and most readers know it; ITRK, which others write, where the source has it.
  if (facts.track > 0) {
    tag.setTrack(static_cast<unsigned>(facts.track));
    if (!tag.fieldText("ITRK").isEmpty()) tag.setFieldText("ITRK", TrackText(facts));
  }
  if (facts.track == kNoTrack) {
    tag.setTrack(0);  // removes it
    tag.removeField("ITRK");
  }
  const auto fields = tag.render();  // "INFO" and the fields, each padded to an even size
  if (fields.isEmpty()) return {};
  Bytes chunk{'L', 'I', 'S', 'T'};
  for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<std::uint8_t>(fields.size() >> (8 * i)));
  chunk.insert(chunk.end(), fields.begin(), fields.end());
  if (fields.size() % 2 != 0) chunk.push_back(0);
  return chunk;
}

std::vector<std::uint8_t> SourceTags::WaveId3ChunkFor(const PieceFacts& facts) const {
  const auto tag = Id3v2For(facts);
  const auto size = static_cast<std::uint32_t>(tag.size());
  Bytes chunk(waveId3Id_.begin(), waveId3Id_.end());
  for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  chunk.insert(chunk.end(), tag.begin(), tag.end());
  if (size % 2 != 0) chunk.push_back(0);
  return chunk;
}

std::vector<std::uint8_t> SourceTags::Id3v1For(const PieceFacts& facts) const {
  if (id3v1_.empty()) return {};
  TagBytes file(id3v1_);
  TagLib::ID3v1::Tag tag(&file, 0);
  if (!facts.title.empty()) tag.setTitle(Latin1Only(facts.title));
  if (!facts.performer.empty()) tag.setArtist(Latin1Only(facts.performer));
  if (!facts.album.empty()) tag.setAlbum(Latin1Only(facts.album));
  // One byte holds the track, and 0 says there is none.
  if (facts.track > 0) tag.setTrack(facts.track <= 255 ? unsigned(facts.track) : 0);
  if (facts.track == kNoTrack) tag.setTrack(0);
  return ToBytes(tag.render());
}

std::string SourceTags::Track() const {
  if (!id3v2_.empty()) {
    TagBytes file(id3v2_);
    const TagLib::ID3v2::Tag tag(&file, 0);
    const auto& frames = tag.frameListMap()["TRCK"];
    if (!frames.isEmpty()) return frames.front()->toString().to8Bit(true);
  }
  if (!id3v1_.empty()) {
    TagBytes file(id3v1_);
    const TagLib::ID3v1::Tag tag(&file, 0);
    if (tag.track() > 0) return std::to_string(tag.track());
  }
  if (!waveInfo_.empty()) {
    const auto tag = InfoTagOf(waveInfo_);
    if (tag.track() > 0) return std::to_string(tag.track());
  }
  return {};
}

}  // namespace tandrel::cli
