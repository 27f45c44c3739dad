// The tags of what the program writes, read back by TagLib: each piece of a cut and each join
// carries its source's tags with its own track, length and (from a CUE sheet) title, and the audio
// between the tags is byte for byte what an untagged run writes.

#include "cli/piece_tags.h"

#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixtures/mp3_decoder.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/temp_dir.h"
#include "tests/cli/program_run.h"

namespace tandrel::cli {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kId3v1Size = 128;

TagLib::String Utf8(const std::string& text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

// A JPEG-looking cover of random bytes: full of 0xFF bytes that look like frame headers.
Bytes Cover(std::size_t n, std::uint64_t seed) {
  auto bytes = fixtures::RandomBytes(n, seed);
  const std::uint8_t start[] = {0xFF, 0xD8, 0xFF, 0xE0};
  std::copy(std::begin(start), std::end(start), bytes.begin());
  return bytes;
}

// What TagLib reads from one file, as text, for comparing whole tags at once.
struct ReadTags {
  bool id3v2 = false, id3v1 = false;
  int id3v2Version = 0;
  std::size_t id3v2Size = 0;  // header to the end of its padding
  std::string track, title, artist, album, length;
  Bytes picture;
  unsigned v1Track = 0;
  std::string v1Title;
};

ReadTags Read(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  ReadTags tags;
  if (auto* tag = file.ID3v2Tag(); file.hasID3v2Tag()) {
    tags.id3v2 = true;
    tags.id3v2Version = static_cast<int>(tag->header()->majorVersion());
    tags.id3v2Size = tag->header()->completeTagSize();
    const auto text = [tag](const char* id) {
      const auto& frames = tag->frameListMap()[id];
      return frames.isEmpty() ? std::string() : frames.front()->toString().to8Bit(true);
    };
    tags.track = text("TRCK");
    tags.title = text("TIT2");
    tags.artist = text("TPE1");
    tags.album = text("TALB");
    tags.length = text("TLEN");
    const auto& pictures = tag->frameListMap()["APIC"];
    if (!pictures.isEmpty()) {
      const auto data =
          static_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front())->picture();
      tags.picture.assign(data.begin(), data.end());
    }
  }
  if (auto* tag = file.ID3v1Tag(); file.hasID3v1Tag()) {
    tags.id3v1 = true;
    tags.v1Track = tag->track();
    tags.v1Title = tag->title().to8Bit(true);
  }
  return tags;
}

// The play time of an MP3 as libmpg123 decodes it, in whole ms as a TLEN frame holds it.
std::string DecodedLength(const std::string& path, int samplesPerFrame, int rate) {
  const auto decode = fixtures::DecodeMp3(path);
  EXPECT_EQ(decode.errors, 0) << path << ": " << decode.firstError;
  const auto samples = std::uint64_t(decode.frames) * samplesPerFrame;
  return std::to_string((samples * 1000 + rate / 2) / rate);
}

class PieceTags : public ::testing::Test {
 protected:
  // The lame fixture with every tag a user's album file has: title, artist, album, track 3/10, a
  // cover of random bytes and an ID3v1 tag, in ID3v2 version `version`.
  std::string TaggedSource(const std::string& name, int version) {
    const auto path = dir_.File(name);
    fs::copy_file(fixtures::RealFixture("lame_id3v2_picture.mp3"), path);
    TagLib::MPEG::File file(path.c_str(), false);
    auto* tag = file.ID3v2Tag(true);
    tag->setTitle("Whole side");
    tag->setArtist(Utf8("Ørsted Quartet"));
    tag->setAlbum("Live at home");
    auto* track = new TagLib::ID3v2::TextIdentificationFrame("TRCK", TagLib::String::Latin1);
    track->setText("3/10");
    tag->removeFrames("TRCK");
    tag->addFrame(track);
    tag->removeFrames("APIC");
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
    const auto cover = Cover(40000, 7);
    picture->setMimeType("image/jpeg");
    picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    picture->setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(cover.data()),
                                           static_cast<unsigned>(cover.size())));
    tag->addFrame(picture);
    auto* v1 = file.ID3v1Tag(true);
    v1->setTitle("Whole side");
    v1->setTrack(3);
    EXPECT_TRUE(file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripOthers,
                          version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                          TagLib::File::DoNotDuplicate));
    cover_ = cover;
    return path;
  }
  std::string Out(const std::string& folder, const std::string& name = {}) const {
    return dir_.File(folder + "/" + name);
  }
  Strings Files(const std::string& folder) const { return fixtures::ListFolder(Out(folder)); }
  void Cut(Strings args) {
    args.insert(args.begin(), "cut");
    const auto run = Tandrel(args);
    ASSERT_EQ(run.status, 0) << run.err;
  }
  // The tagged file must be exactly its ID3v2 tag, the untagged file, and its ID3v1 tag.
  void ExpectAudioAsUntagged(const std::string& tagged, const std::string& untagged) {
    const auto t = fixtures::ReadFile(tagged);
    const auto u = fixtures::ReadFile(untagged);
    const auto tags = Read(tagged);
    const auto tail = tags.id3v1 ? kId3v1Size : 0;
    ASSERT_EQ(t.size(), tags.id3v2Size + u.size() + tail) << tagged;
    EXPECT_TRUE(std::equal(u.begin(), u.end(), t.begin() + tags.id3v2Size)) << tagged;
  }

  fixtures::TempDir dir_;
  Bytes cover_;
};

TEST_F(PieceTags, EveryPieceOfACutCarriesTheSourcesTagsWithItsOwnTrackAndLength) {
  struct Case {
    int version;
    Strings way;
    int pieces;
  };
  const Case cases[] = {{3, {"--every", "0.6"}, 4},
                        {4, {"--parts", "3"}, 3},
                        {4, {"--at", "0.5,1.2"}, 3},
                        {3, {"--size", "12000"}, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.way[0] + " v2." + std::to_string(c.version));
    fs::remove_all(dir_.Path());
    fs::create_directories(dir_.Path());
    const auto source = TaggedSource("album.mp3", c.version);
    for (const char* folder : {"tagged", "plain"}) {
      auto args = c.way;
      args.insert(args.end(), {"-o", Out(folder), source});
      if (folder == std::string("plain")) args.push_back("--no-tags");
      Cut(args);
    }
    const auto names = Files("tagged");
    ASSERT_EQ(names.size(), std::size_t(c.pieces));
    ASSERT_EQ(Files("plain"), names);
    for (int n = 1; n <= c.pieces; ++n) {
      const auto& name = names[n - 1];
      const auto tags = Read(Out("tagged", name));
      EXPECT_EQ(tags.id3v2Version, c.version) << name;
      EXPECT_EQ(tags.track, std::to_string(n) + "/" + std::to_string(c.pieces)) << name;
      EXPECT_EQ(tags.length, DecodedLength(Out("tagged", name), 1152, 44100)) << name;
      EXPECT_EQ(tags.title, "Whole side");
      EXPECT_EQ(tags.artist, "Ørsted Quartet");
      EXPECT_EQ(tags.album, "Live at home");
      EXPECT_EQ(tags.picture, cover_) << name;
      EXPECT_TRUE(tags.id3v1);
      EXPECT_EQ(tags.v1Track, unsigned(n));
      EXPECT_EQ(Read(Out("plain", name)).id3v2, false) << name;
      EXPECT_FALSE(Read(Out("plain", name)).id3v1) << name;
      ExpectAudioAsUntagged(Out("tagged", name), Out("plain", name));
    }
  }
}

TEST_F(PieceTags, ACueSheetTitlesAndCreditsEachTrack) {
  const auto sheet = [&](const std::string& file) {
    const auto path = dir_.File(file + ".cue");
    std::ofstream(path) << "PERFORMER \"Disc Band\"\nTITLE \"Sheet album\"\nFILE \"" << file
                        << "\" MP3\n  TRACK 01 AUDIO\n    TITLE \"Opening ☃\"\n"
                           "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE \"Déjà vu\"\n"
                           "    PERFORMER \"Guest\"\n    INDEX 01 00:01:00\n";
    return path;
  };
  struct Case {
    std::string source;
    int version;  // 0: a source without tags
  };
  for (const Case& c : {Case{"tagged.mp3", 3}, Case{"plain.mp3", 0}}) {
    SCOPED_TRACE(c.source);
    if (c.version != 0) {
      TaggedSource(c.source, c.version);
    } else {
      fs::copy_file(fixtures::RealFixture("lame_cbr_info_tag.mp3"), dir_.File(c.source));
    }
    const auto out = c.source + ".out";
    Cut({"--cue", sheet(c.source), "-o", Out(out)});
    const auto names = Files(out);
    ASSERT_EQ(names, (Strings{"01 - Opening ☃.mp3", "02 - Déjà vu.mp3"}));
    const struct {
      std::string title, artist, v1Title;
    } expected[] = {{"Opening ☃", "Disc Band", "Opening ?"}, {"Déjà vu", "Guest", "Déjà vu"}};
    for (std::size_t i = 0; i < names.size(); ++i) {
      const auto path = Out(out, names[i]);
      const auto tags = Read(path);
      ASSERT_TRUE(tags.id3v2) << path;
      EXPECT_EQ(tags.id3v2Version, c.version == 0 ? 3 : c.version);
      EXPECT_EQ(tags.track, std::to_string(i + 1) + "/2");
      EXPECT_EQ(tags.title, expected[i].title);
      EXPECT_EQ(tags.artist, expected[i].artist);
      EXPECT_EQ(tags.album, "Sheet album");
      EXPECT_EQ(tags.length, DecodedLength(path, 1152, 44100));
      EXPECT_EQ(tags.picture, c.version == 0 ? Bytes{} : cover_);
      // ID3v1 only where the source had one, in ISO 8859-1.
      EXPECT_EQ(tags.id3v1, c.version != 0);
      if (tags.id3v1) {
        EXPECT_EQ(tags.v1Title, expected[i].v1Title);
      }
    }
  }
}

TEST_F(PieceTags, AJoinTakesTheFirstInputsTagsWithItsOwnLength) {
  const auto source = TaggedSource("album.mp3", 3);
  Cut({"--parts", "3", "-o", Out("pieces"), source});
  Strings pieces;
  for (const auto& name : Files("pieces")) pieces.push_back(Out("pieces", name));
  fs::create_directories(Out("joined"));

  struct Case {
    std::string name;
    Strings inputs;
    std::string track;  // the pieces are tracks 1/3 to 3/3: a join of several is none of them
  };
  const Case cases[] = {{"all.mp3", pieces, ""},
                        {"first.mp3", {pieces[0]}, "1/3"},
                        {"twice.mp3", {pieces[1], pieces[1]}, "2/3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool tags : {true, false}) {
      Strings args{"join", "-o", Out("joined", (tags ? "" : "plain-") + c.name)};
      if (!tags) args.push_back("--no-tags");
      args.insert(args.end(), c.inputs.begin(), c.inputs.end());
      const auto run = Tandrel(args);
      ASSERT_EQ(run.status, 0) << run.err;
    }
    const auto path = Out("joined", c.name);
    const auto tags = Read(path);
    EXPECT_EQ(tags.track, c.track);
    EXPECT_EQ(tags.length, DecodedLength(path, 1152, 44100));
    EXPECT_EQ(tags.title, "Whole side");
    EXPECT_EQ(tags.picture, cover_);
    EXPECT_EQ(tags.v1Track, c.track.empty() ? 0u : unsigned(c.track[0] - '0'));
    const auto plain = Read(Out("joined", "plain-" + c.name));
    EXPECT_FALSE(plain.id3v2 || plain.id3v1);
    ExpectAudioAsUntagged(path, Out("joined", "plain-" + c.name));
  }
}

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + std::size_t(i)];
  return v;
}

// A WAVE piece keeps the source's LIST/INFO fields before its data, and the source's ID3v2 tag
// (in a chunk of its own) after it, both with its own track, the tag with its length; from a CUE
// sheet both get the track's title (an ID3v2 tag of its own when the source has none). The
// samples are those of a cut without tags.
TEST_F(PieceTags, WavePiecesAndJoinsKeepTheirInfoChunkAndGetTheirOwnId3Tag) {
  const auto sheet = [&](const std::string& file) {
    const auto path = dir_.File(file + ".cue");
    std::ofstream(path) << "FILE \"" << file << "\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Één\"\n"
                        << "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE \"Two\"\n"
                        << "    INDEX 01 00:00:37\n";
    return path;
  };
  struct Case {
    std::string source;
    bool id3, cue;
  };
  for (const auto& c : {Case{"tagged.wav", true, false}, Case{"tagged-cue.wav", true, true},
                        Case{"plain.wav", false, false}, Case{"plain-cue.wav", false, true}}) {
    SCOPED_TRACE(c.source);
    const auto source = dir_.File(c.source);
    fs::copy_file(fixtures::RealFixture("list_chunk.wav"), source);
    if (c.id3) {
      TagLib::RIFF::WAV::File file(source.c_str(), false);
      auto* tag = file.ID3v2Tag();
      tag->setTitle("Whole side");
      auto* track = new TagLib::ID3v2::TextIdentificationFrame("TRCK", TagLib::String::Latin1);
      track->setText("3/10");
      tag->addFrame(track);
      auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
      cover_ = Cover(40001, 9);
      picture->setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(cover_.data()),
                                             static_cast<unsigned>(cover_.size())));
      tag->addFrame(picture);
      ASSERT_TRUE(
          file.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3));
    }
    ASSERT_TRUE(SourceTags::Read(source).HasWaveInfo());
    ASSERT_EQ(SourceTags::Read(source).HasId3v2(), c.id3);
    Strings how = c.cue ? Strings{"--cue", sheet(c.source)} : Strings{"--parts", "2", source};
    const auto out = c.source + ".out", plain = c.source + ".plain";
    auto args = how;
    args.insert(args.end(), {"-o", Out(out)});
    Cut(args);
    how.insert(how.end(), {"--no-tags", "-o", Out(plain)});
    Cut(how);
    Strings pieces;
    for (const auto& name : Files(out)) pieces.push_back(Out(out, name));
    ASSERT_EQ(pieces.size(), 2u);
    const auto joined = Out(out, "joined.wav");
    const auto run = Tandrel({"join", "-o", joined, pieces[0], pieces[1]});
    ASSERT_EQ(run.status, 0) << run.err;

    const auto names = Files(plain);
    for (std::size_t k = 0; k < 3; ++k) {
      const auto path = k < 2 ? pieces[k] : joined;
      const auto bytes = fixtures::ReadFile(path);
      ASSERT_GT(bytes.size(), 36 + 8) << path;
      // The LIST chunk: the source's fields, the piece's track, the CUE track's title.
      const auto listSize = 8 + Le(bytes, 40, 4);
      ASSERT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "LIST") << path;
      TagLib::RIFF::WAV::File file(path.c_str(), false);
      const auto* info = file.InfoTag();
      EXPECT_EQ(info->fieldText("ISFT").to8Bit(false), "make-real-fixtures") << path;
      EXPECT_EQ(info->track(), k < 2 ? k + 1 : 0) << path;
      const std::string infoTitles[] = {"\xC9\xE9n", "Two"};  // ISO 8859-1
      EXPECT_EQ(info->fieldText("INAM").to8Bit(false), c.cue ? infoTitles[k < 2 ? k : 0] : "")
          << path;
      // The samples: those of the untagged piece, or both pieces' for the join.
      Bytes samples;
      for (std::size_t i = 0; i < 2; ++i) {
        if (k < 2 && i != k) continue;
        const auto untagged = fixtures::ReadFile(Out(plain, names[i]));
        samples.insert(samples.end(), untagged.begin() + 44, untagged.end());
      }
      const auto dataAt = 36 + listSize;
      ASSERT_EQ(Le(bytes, dataAt + 4, 4), samples.size()) << path;
      EXPECT_TRUE(std::equal(samples.begin(), samples.end(), bytes.begin() + dataAt + 8)) << path;
      EXPECT_EQ(Le(bytes, 4, 4), bytes.size() - 8) << path;

      ASSERT_EQ(file.hasID3v2Tag(), c.id3 || c.cue) << path;
      if (!file.hasID3v2Tag()) continue;
      auto* tag = file.ID3v2Tag();
      const auto text = [tag](const char* id) {
        const auto& frames = tag->frameListMap()[id];
        return frames.isEmpty() ? std::string() : frames.front()->toString().to8Bit(true);
      };
      const auto blockAlign = Le(bytes, 32, 2), rate = Le(bytes, 24, 4);
      EXPECT_EQ(text("TLEN"),
                std::to_string((samples.size() / blockAlign * 1000 + rate / 2) / rate));
      // A join of two tracks is no track of its own.
      EXPECT_EQ(text("TRCK"), k < 2 ? std::to_string(k + 1) + "/2" : "");
      const std::string titles[] = {"Één", "Two"};
      EXPECT_EQ(text("TIT2"), c.cue ? titles[k < 2 ? k : 0] : "Whole side");
      const auto& pictures = tag->frameListMap()["APIC"];
      EXPECT_EQ(pictures.size(), c.id3 ? 1u : 0u);
    }
  }
}

// Tags as files hold them when something went wrong: never read past the file, never believed.
TEST(SourceTagsRead, TagsThatDoNotHoldTogetherAreLeftOut) {
  fixtures::TempDir dir;
  const auto id3v1 = [](std::uint64_t seed) {
    auto tag = fixtures::RandomBytes(kId3v1Size, seed);
    std::copy_n("TAG", 3, tag.begin());
    return tag;
  };
  const auto id3v2 = [](std::uint32_t size) {
    Bytes tag = {'I',
                 'D',
                 '3',
                 3,
                 0,
                 0,
                 std::uint8_t(size >> 21 & 0x7F),
                 std::uint8_t(size >> 14 & 0x7F),
                 std::uint8_t(size >> 7 & 0x7F),
                 std::uint8_t(size & 0x7F)};
    return tag;
  };
  const auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const auto le32 = [](std::size_t n) {
    return Bytes{std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16),
                 std::uint8_t(n >> 24)};
  };
  // A chunk with its pad byte, and a RIFF WAVE file of chunks.
  const auto chunk = [&](const char* id, const Bytes& body) {
    auto bytes = join({Bytes(id, id + 4), le32(body.size()), body});
    if (body.size() % 2 != 0) bytes.push_back(0);
    return bytes;
  };
  const auto riff = [&](const Bytes& chunks) {
    return join({{'R', 'I', 'F', 'F'}, le32(4 + chunks.size()), {'W', 'A', 'V', 'E'}, chunks});
  };
  struct Case {
    const char* what;
    Bytes file;
    bool v2, v1, info;
  };
  const auto frames = fixtures::RandomBytes(3000, 3);
  const Case cases[] = {
      {"a tag claiming more than the file", join({id3v2(5000), frames}), false, false, false},
      {"the last 128 bytes inside the ID3v2 tag", join({id3v2(190), id3v1(1), Bytes(62)}), true,
       false, false},
      {"a size byte with its high bit set", join({{'I', 'D', '3', 3, 0, 0, 0, 0, 0x80, 0}, frames}),
       false, false, false},
      {"ID3v1 behind the frames", join({id3v2(50), Bytes(50), frames, id3v1(2)}), true, true,
       false},
      {"too short for ID3v1", {'T', 'A', 'G'}, false, false, false},
      {"RIFF whose data claims more than is left, then TAG",
       join({{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A',
              'V', 'E', 'd', 'a', 't',  'a',  0x00, 0x10, 0,   0},
             id3v1(5)}),
       false, false, false},
      {"RIFF with an id3 chunk", riff(chunk("id3 ", join({id3v2(4), Bytes(4)}))), true, false,
       false},
      {"RIFF with an id3 chunk shorter than its tag",
       riff(chunk("ID3 ", join({id3v2(40), Bytes(4)}))), false, false, false},
      {"RIFF with an odd LIST/INFO and ID3v1 after the chunks",
       join({riff(chunk("LIST", {'I', 'N', 'F', 'O', 'x'})), id3v1(6)}), false, true, true},
  };
  for (const auto& c : cases) {
    const auto path = dir.File("file");
    fixtures::WriteFile(path, c.file);
    const auto tags = SourceTags::Read(path);
    EXPECT_EQ(tags.HasId3v2(), c.v2) << c.what;
    EXPECT_EQ(tags.HasId3v1(), c.v1) << c.what;
    EXPECT_EQ(tags.HasWaveInfo(), c.info) << c.what;
    EXPECT_EQ(tags.Id3v1For({}).size(), c.v1 ? kId3v1Size : 0) << c.what;
    EXPECT_EQ(tags.WaveInfoChunk().size(), c.info ? 8u + 5u + 1u : 0) << c.what;
  }
  EXPECT_FALSE(SourceTags::Read(dir.File("missing")).HasId3v2());
}

}  // namespace
}  // namespace tandrel::cli
