// A seeded sweep over real encoder output. Each file is random audio from sox, encoded by lame with
// random settings and dressed with random tags. libmpg123 lists its frames. The engine then cuts
// it by time and by size and joins the pieces back, and libmpg123 reads everything it wrote: every
// output must be whole frames, and the frames must match the source's byte for byte.
//
//   lame_sweep SEED COUNT [--first I] [--min-seconds S] [--max-seconds S] [--failures DIR]
//              [--verbose]
//
// File i of a seed is the same on every run (it depends on SEED and i only), so
// `lame_sweep SEED 1 --first I` repeats the failing case alone.

#include <mpg123.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "fixtures/mp3_decoder.h"
#include "fixtures/temp_dir.h"
#include "tandrel_engine/frame_reader.h"
#include "tandrel_engine/operations.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using tandrel::ResultCode;
using tandrel::fixtures::ReadFile;
using tandrel::fixtures::WriteFile;

// splitmix64, with its own mapping to ranges: std distributions differ between standard
// libraries, and a seed must give the same files everywhere.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform over [lo, hi]; the modulo bias is far below anything a sweep notices.
  std::int64_t Between(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool OneIn(int n) { return Next() % static_cast<std::uint64_t>(n) == 0; }
  template <class T>
  const T& Pick(const std::vector<T>& from) {
    return from[static_cast<std::size_t>(Between(0, std::int64_t(from.size()) - 1))];
  }
  Bytes RandomBytes(std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(Next() >> 56);
    return b;
  }
  std::string Text(std::size_t n) {  // printable ASCII: no byte of it can start a frame
    std::string s(n, ' ');
    for (auto& c : s) c = static_cast<char>(Between(32, 126));
    return s;
  }
  std::string Word() {
    std::string s(static_cast<std::size_t>(Between(3, 12)), 'a');
    for (auto& c : s) c = static_cast<char>(Between('a', 'z'));
    return s;
  }

 private:
  std::uint64_t state_;
};

void Put(Bytes& b, std::span<const std::uint8_t> more) {
  b.insert(b.end(), more.begin(), more.end());
}
void Put(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}
void PutBe32(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}
void PutLe32(Bytes& b, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}
void PutSyncsafe(Bytes& b, std::uint32_t v) {
  for (int shift = 21; shift >= 0; shift -= 7)
    b.push_back(static_cast<std::uint8_t>((v >> shift) & 0x7F));
}
std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

// ---- Tags the driver builds itself --------------------------------------------------------------

// An ID3v2.3 or 2.4 tag: a title, an attached picture (or private data) of `payload` bytes and
// zero padding. `footer`: a 2.4 tag with the "3DI" footer, the only kind found from the end.
Bytes Id3v2Tag(Rng& rng, int version, std::size_t payload, std::size_t padding, bool footer) {
  auto frame = [&](const char* id, const Bytes& body) {
    Bytes f;
    Put(f, std::string(id));
    if (version == 4)
      PutSyncsafe(f, std::uint32_t(body.size()));
    else
      PutBe32(f, std::uint32_t(body.size()));
    f.push_back(0);
    f.push_back(0);
    Put(f, body);
    return f;
  };
  Bytes title{0};
  Put(title, rng.Word());
  Bytes picture{0};
  Put(picture, std::string(rng.OneIn(2) ? "image/jpeg" : "image/png"));
  picture.push_back(0);
  picture.push_back(3);  // front cover
  picture.push_back(0);  // no description
  Put(picture, rng.RandomBytes(payload));
  Bytes frames = frame("TIT2", title);
  Put(frames, frame(rng.OneIn(3) ? "PRIV" : "APIC", picture));
  frames.resize(frames.size() + padding, 0);

  const std::uint8_t flags = footer ? 0x10 : 0x00;
  Bytes tag{'I', 'D', '3', static_cast<std::uint8_t>(version), 0, flags};
  PutSyncsafe(tag, std::uint32_t(frames.size()));
  Put(tag, frames);
  if (footer) {
    Bytes end{'3', 'D', 'I', static_cast<std::uint8_t>(version), 0, flags};
    PutSyncsafe(end, std::uint32_t(frames.size()));
    Put(tag, end);
  }
  return tag;
}

// An APEv2 tag of binary items: header (sometimes left out, as some taggers do), items, footer.
// The size in both counts the items and the footer.
Bytes ApeTag(Rng& rng, std::size_t valueBytes) {
  Bytes items;
  const int count = int(rng.Between(1, 4));
  for (int k = 0; k < count; ++k) {
    const auto value =
        rng.RandomBytes(k + 1 == count ? valueBytes : std::size_t(rng.Between(0, 64)));
    PutLe32(items, std::uint32_t(value.size()));
    PutLe32(items, 1u << 1);  // binary
    Put(items, k + 1 == count ? std::string("Cover Art (Front)") : "Key" + std::to_string(k));
    items.push_back(0);
    Put(items, value);
  }
  const bool header = !rng.OneIn(3);
  auto block = [&](std::uint32_t flags) {
    Bytes b;
    Put(b, std::string("APETAGEX"));
    PutLe32(b, 2000);
    PutLe32(b, std::uint32_t(items.size() + 32));
    PutLe32(b, std::uint32_t(count));
    PutLe32(b, flags);
    b.resize(b.size() + 8, 0);
    return b;
  };
  Bytes tag;
  if (header) Put(tag, block(0xA0000000u));  // has a header, is the header
  Put(tag, items);
  Put(tag, block(header ? 0x80000000u : 0u));
  return tag;
}

// Lyrics3 v2: "LYRICSBEGIN", fields, six digits giving the size up to them, "LYRICS200".
Bytes Lyrics3Tag(Rng& rng, std::size_t textBytes) {
  char digits[16];
  std::string body = "LYRICSBEGININD0000210LYR";
  std::snprintf(digits, sizeof digits, "%05zu", textBytes);
  body += digits + rng.Text(textBytes);
  std::snprintf(digits, sizeof digits, "%06zu", body.size());
  body += std::string(digits) + "LYRICS200";
  return {body.begin(), body.end()};
}

// ---- The independent reading -----------------------------------------------------------------

struct Frame {
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::uint32_t header = 0;
};

// The fields that make frames one stream: sync, version, layer, sample rate, channel mode.
constexpr std::uint32_t kStreamMask = 0xFFFE0CC0u;

bool IsMpeg1(std::uint32_t header) {
  return ((header >> 19) & 3) == 3;
}
bool IsMono(std::uint32_t header) {
  return ((header >> 6) & 3) == 3;
}
int SampleRate(std::uint32_t header) {
  static constexpr int kRates[4] = {44100, 48000, 32000, 0};
  const int base = kRates[(header >> 10) & 3];
  switch ((header >> 19) & 3) {
    case 3:
      return base;
    case 2:
      return base / 2;
    case 0:
      return base / 4;
    default:
      return 0;
  }
}
// Whole milliseconds per frame, as the times of a cut count them.
std::uint64_t MsPerFrame(std::uint32_t header) {
  const int rate = SampleRate(header);
  return rate ? std::uint64_t(IsMpeg1(header) ? 1152 : 576) * 1000 / std::uint64_t(rate) : 0;
}

// libmpg123's frames of a file in the order it finds them, parsed but not decoded, strictly:
// junk where a frame must start is an error, not something to skip. `infoAsAudio`: the info
// frame counts as a frame (normally the decoder takes it as the stream's description).
struct Reading {
  std::vector<Frame> frames;
  std::string error;
};
Reading ReadFrames(const std::string& path, bool infoAsAudio) {
  Reading r;
  mpg123_init();
  const std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> handle(
      mpg123_new(nullptr, nullptr), &mpg123_delete);
  auto* mh = handle.get();
  long flags = MPG123_QUIET | MPG123_NO_RESYNC | MPG123_NO_READAHEAD;
  if (infoAsAudio) flags |= MPG123_IGNORE_INFOFRAME;
  if (!mh || mpg123_param(mh, MPG123_ADD_FLAGS, flags, 0.0) != MPG123_OK ||
      mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0) != MPG123_OK ||
      mpg123_open(mh, path.c_str()) != MPG123_OK) {
    r.error = "libmpg123 cannot open " + path;
    return r;
  }
  for (;;) {
    const int status = mpg123_framebyframe_next(mh);
    if (status == MPG123_DONE) break;
    if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
      r.error = std::string("libmpg123: ") + mpg123_strerror(mh) + " after " +
                std::to_string(r.frames.size()) + " frames";
      break;
    }
    unsigned long header = 0;
    unsigned char* body = nullptr;
    std::size_t bodyBytes = 0;
    if (mpg123_framedata(mh, &header, &body, &bodyBytes) != MPG123_OK) {
      r.error = "libmpg123 gives no frame data";
      break;
    }
    r.frames.push_back(
        {std::uint64_t(mpg123_framepos(mh)), std::uint32_t(bodyBytes + 4), std::uint32_t(header)});
  }
  return r;
}

// What a file holds in [from, to) according to libmpg123: an info frame or none, then audio
// frames of one stream end to end, up to `to` exactly.
struct Layout {
  std::optional<Frame> info;
  std::vector<Frame> audio;
};
std::optional<std::string> ReadLayout(const std::string& path, std::uint64_t from, std::uint64_t to,
                                      Layout& layout) {
  const auto plain = ReadFrames(path, false);
  const auto all = ReadFrames(path, true);
  if (!plain.error.empty()) return plain.error;
  if (!all.error.empty()) return all.error + " (info frame read as audio)";
  layout = {};
  layout.audio = plain.frames;
  if (all.frames.size() == plain.frames.size() + 1) {
    layout.info = all.frames.front();
  } else if (all.frames.size() != plain.frames.size()) {
    return "libmpg123 finds " + std::to_string(plain.frames.size()) + " frames, " +
           std::to_string(all.frames.size()) + " with the info frame read as audio";
  }
  const auto& audio = layout.audio;
  if (!std::equal(audio.begin(), audio.end(), all.frames.end() - std::ptrdiff_t(audio.size()),
                  [](const Frame& a, const Frame& b) {
                    return a.offset == b.offset && a.length == b.length;
                  }))
    return "the frames differ when the info frame is read as audio";
  if (audio.empty()) return "no audio frame";
  std::uint64_t at = from;
  if (layout.info) {
    if (layout.info->offset != from)
      return "the info frame is at " + std::to_string(layout.info->offset) + ", not " +
             std::to_string(from);
    if ((layout.info->header & kStreamMask) != (audio.front().header & kStreamMask))
      return "the info frame's header is not of the stream";
    at += layout.info->length;
  }
  for (std::size_t k = 0; k < audio.size(); ++k) {
    if (audio[k].offset != at)
      return "frame " + std::to_string(k) + " is at " + std::to_string(audio[k].offset) +
             ", the one before ends at " + std::to_string(at);
    if ((audio[k].header & kStreamMask) != (audio.front().header & kStreamMask))
      return "frame " + std::to_string(k) + " is of another stream";
    at += audio[k].length;
  }
  if (at != to) return "the frames end at " + std::to_string(at) + ", not " + std::to_string(to);
  return std::nullopt;
}

// The counts of an info frame ("Xing" or "Info" right after the side information).
struct InfoCounts {
  std::string tag;
  std::optional<std::uint32_t> frames;
  std::optional<std::uint32_t> bytes;
};
std::optional<InfoCounts> ParseInfo(std::span<const std::uint8_t> frame) {
  if (frame.size() < 4) return std::nullopt;
  const auto header = Be32(frame, 0);
  const std::size_t side = IsMpeg1(header) ? (IsMono(header) ? 17 : 32) : (IsMono(header) ? 9 : 17);
  // lame puts the tag at the same place with a CRC (-p) as without one; a frame with a CRC may
  // also have it after the two CRC bytes.
  const bool crc = (header & 0x10000u) == 0;
  for (const std::size_t tagAt : {4 + side, 4 + side + 2}) {
    if (tagAt != 4 + side && !crc) break;
    if (frame.size() < tagAt + 8) break;
    InfoCounts counts;
    counts.tag.assign(frame.begin() + std::ptrdiff_t(tagAt),
                      frame.begin() + std::ptrdiff_t(tagAt + 4));
    if (counts.tag != "Xing" && counts.tag != "Info") continue;
    const auto flags = Be32(frame, tagAt + 4);
    std::size_t at = tagAt + 8;
    if ((flags & 1) && frame.size() >= at + 4) {
      counts.frames = Be32(frame, at);
      at += 4;
    }
    if ((flags & 2) && frame.size() >= at + 4) counts.bytes = Be32(frame, at);
    return counts;
  }
  return std::nullopt;
}

std::uint64_t Id3v2Size(std::span<const std::uint8_t> b) {
  if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3') return 0;
  return 10 + ((b[6] & 0x7Fu) << 21) + ((b[7] & 0x7Fu) << 14) + ((b[8] & 0x7Fu) << 7) +
         (b[9] & 0x7Fu) + ((b[5] & 0x10) ? 10 : 0);
}

// ---- One file ---------------------------------------------------------------------------------

struct Options {
  std::uint64_t seed = 0;
  int count = 0;
  int first = 0;
  int minSeconds = 2;
  int maxSeconds = 40;
  std::string failures = "/tmp/lame-sweep-failures";
  bool verbose = false;
};

bool Run(const std::string& command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Seconds(std::int64_t ms) {
  char s[32];
  std::snprintf(s, sizeof s, "%lld.%03lld", static_cast<long long>(ms / 1000),
                static_cast<long long>(ms % 1000));
  return s;
}

// The synth chains of a random sound: sweeps of four wave shapes, noise of three colours, a sweep
// over noise, and digital silence, one after another.
std::string SoundEffects(Rng& rng, std::int64_t lengthMs, int channels) {
  const int parts = int(std::min<std::int64_t>(rng.Between(1, 5), lengthMs / 200));
  std::string chains;
  std::int64_t left = lengthMs;
  const std::vector<std::string> shapes{"sine", "square", "triangle", "sawtooth"};
  const std::vector<std::string> noises{"whitenoise", "pinknoise", "brownnoise"};
  auto sweep = [&] {
    return rng.Pick(shapes) + " " + std::to_string(rng.Between(20, 2000)) + "-" +
           std::to_string(rng.Between(20, 16000));
  };
  for (int k = 0; k < std::max(parts, 1); ++k) {
    const auto ms = k + 1 >= parts ? left : rng.Between(100, left - 100 * (parts - k - 1));
    left -= ms;
    const auto len = Seconds(ms);
    std::string chain;
    switch (rng.Between(0, 4)) {
      case 0:
      case 1:
        chain = "synth " + len + " " + sweep();
        if (channels == 2 && rng.OneIn(2)) chain += " " + sweep();  // another in the right channel
        break;
      case 2:
        chain = "synth " + len + " " + rng.Pick(noises);
        break;
      case 3:
        chain = "synth " + len + " " + rng.Pick(noises) + " synth " + len + " " + rng.Pick(shapes) +
                " " + (rng.OneIn(2) ? "mix" : "amod") + " " +
                std::to_string(rng.Between(20, 8000)) + "-" + std::to_string(rng.Between(20, 8000));
        break;
      default:
        chain = "synth " + len + " sine 440 vol 0";
        break;
    }
    if (chain.find("vol 0") == std::string::npos)
      chain += " vol 0." + std::to_string(rng.Between(10, 85));
    chains += (k ? " : " : "") + chain;
  }
  return chains;
}

std::string ResampleArgument(int rate) {
  switch (rate) {
    case 11025:
      return "11.025";
    case 22050:
      return "22.05";
    case 44100:
      return "44.1";
    default:
      return std::to_string(rate / 1000);
  }
}

const char* CodeName(ResultCode code) {
  static const char* const kNames[] = {"Success",           "OpenFailed",      "WaveReadFailed",
                                       "WaveCorrupted",     "KindsDiffer",     "NotSupported",
                                       "WaveFormatsDiffer", "InvalidParameter"};
  const auto n = static_cast<int>(code);
  return n >= 0 && n < 8 ? kNames[n] : "unknown";
}

class FileCheck {
 public:
  FileCheck(const Options& options, int index) : options_(options), index_(index) {}

  int Frames() const { return int(source_.size()); }
  const std::vector<std::string>& Failures() const { return failures_; }
  const std::string& Settings() const { return settings_; }
  const std::string& Commands() const { return commands_; }

  void Run(const std::string& dir);

 private:
  void Fail(const std::string& what) { failures_.push_back(what); }
  void Setting(const std::string& s) { settings_ += (settings_.empty() ? "" : " ") + s; }
  bool MakeSource(Rng& rng, const std::string& dir);
  void CheckCutByTime(Rng& rng, const std::string& dir);
  void CheckCutBySize(Rng& rng, const std::string& dir);
  void CheckJoins(const std::string& dir);
  // Checks one output: libmpg123 reads [from, end of file) as an info frame (required when
  // `info`) and audio frames, that decode without an error and are the source's frames from
  // `firstFrame` on. Returns the audio frames' count and total bytes, or nothing after a failure.
  struct Piece {
    std::size_t frames = 0;
    std::uint64_t bytes = 0;
    std::uint32_t lastLength = 0;
  };
  std::optional<Piece> CheckOutput(const std::string& label, const std::string& path,
                                   std::uint64_t from, bool info, std::size_t firstFrame,
                                   std::optional<std::size_t> expectedFrames);

  const Options& options_;
  const int index_;
  std::string settings_;
  std::string commands_;
  std::vector<std::string> failures_;

  std::string sourcePath_;
  Bytes sourceBytes_;
  std::uint64_t audioStart_ = 0;        // after every leading tag
  std::vector<Bytes> source_;           // the audio frames, as libmpg123 found them
  std::optional<std::string> infoTag_;  // "Xing" or "Info" when the source has an info frame
  std::vector<std::string> timePieces_;
  std::size_t firstPieceFrames_ = 0;
};

bool FileCheck::MakeSource(Rng& rng, const std::string& dir) {
  auto refuse = [&](const std::string& what) {
    Fail(what);
    return false;
  };
  // The sound.
  const auto lengthMs = rng.Between(options_.minSeconds * 1000, options_.maxSeconds * 1000);
  const int inRate = int(rng.Pick(std::vector<std::int64_t>{22050, 32000, 44100, 48000}));
  const int channels = int(rng.Between(1, 2));
  const auto wav = dir + "/sound.wav";
  const auto sox = std::string(TANDREL_SOX) + " -V1 -R -n -r " + std::to_string(inRate) + " -c " +
                   std::to_string(channels) + " -b 16 " + wav + " " +
                   SoundEffects(rng, lengthMs, channels);
  Setting("length=" + Seconds(lengthMs) + "s in=" + std::to_string(inRate) + "/" +
          std::to_string(channels) + "ch");

  // The encoding.
  const int outRate = int(rng.Pick(
      std::vector<std::int64_t>{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}));
  std::string lame = std::string(TANDREL_LAME) + " --quiet";
  if (!rng.OneIn(4)) lame += " --noreplaygain";
  lame += " -q " + std::to_string(rng.Pick(std::vector<std::int64_t>{2, 3, 5, 7}));
  lame += " --resample " + ResampleArgument(outRate);
  const char mode = "msj"[rng.Between(0, 2)];
  lame += std::string(" -m ") + mode;
  const auto bitrates =
      outRate >= 32000
          ? std::vector<std::int64_t>{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}
          : std::vector<std::int64_t>{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  std::string rate;
  switch (rng.Between(0, 2)) {
    case 0:
      rate = "-b " + std::to_string(rng.Pick(bitrates));
      break;
    case 1:
      rate = "-V " + std::to_string(rng.Between(0, 9));
      if (rng.OneIn(3)) rate += "." + std::to_string(rng.Between(1, 9));
      if (rng.OneIn(4)) rate += " -B " + std::to_string(rng.Pick(bitrates));
      break;
    default:
      // From 32 kbit/s: below that lame's average-rate mode can write a stream it cannot hold
      // together ("Internal buffer inconsistency"), which no reader should be judged by.
      rate = "--abr " + std::to_string(rng.Between(4, 40) * 8);
      break;
  }
  lame += " " + rate;
  const bool info = !rng.OneIn(3);
  if (!info) lame += " -t";
  const bool crc = rng.OneIn(4);
  if (crc) lame += " -p";
  const bool noReservoir = rng.OneIn(6);
  if (noReservoir) lame += " --nores";
  Setting("out=" + std::to_string(outRate) + " mode=" + mode + " rate='" + rate +
          "' info=" + (info ? "yes" : "no") + (crc ? " crc" : "") + (noReservoir ? " nores" : ""));

  // lame's own tags: ID3v1, ID3v2 (with a picture of up to 2 MiB), both or none.
  const auto tags = rng.Between(0, 3);
  std::string tagArgs;
  if (tags == 1) tagArgs = " --id3v1-only --tt " + rng.Word();
  if (tags == 2) tagArgs = " --id3v2-only --tt " + rng.Word();
  if (tags == 3) tagArgs = " --add-id3v2 --tt " + rng.Word() + " --ta " + rng.Word();
  if (tags >= 2 && rng.OneIn(3))
    tagArgs += " --pad-id3v2-size " + std::to_string(rng.Between(0, 3000));
  std::string tagSetting = std::vector<std::string>{"none", "v1", "v2", "v1+v2"}[std::size_t(tags)];
  if (tags >= 2 && rng.OneIn(2)) {
    const auto size = std::size_t(rng.OneIn(3) ? rng.Between(0, 2 << 20) : rng.Between(0, 65536));
    const bool png = rng.OneIn(2);
    Bytes picture =
        png ? Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} : Bytes{0xFF, 0xD8, 0xFF, 0xE0};
    Put(picture, rng.RandomBytes(size));
    const auto path = dir + (png ? "/cover.png" : "/cover.jpg");
    WriteFile(path, picture);
    tagArgs += " --ti " + path;
    tagSetting += std::string("+picture(") + (png ? "png," : "jpeg,") + std::to_string(size) + ")";
  }
  lame += tagArgs + " " + wav + " " + dir + "/lame.mp3";
  Setting("lame-tags=" + tagSetting);
  commands_ = sox + "\n" + lame + "\n";
  if (!::Run(sox)) return refuse("driver: sox failed: " + sox);
  if (!::Run(lame)) return refuse("driver: lame failed: " + lame);

  // What lame wrote, read by libmpg123: its tags are found by their own markers here.
  const auto encoded = ReadFile(dir + "/lame.mp3");
  const auto lameTag = Id3v2Size(encoded);
  const bool lameV1 = encoded.size() >= lameTag + 128 &&
                      std::memcmp(encoded.data() + encoded.size() - 128, "TAG", 3) == 0;
  const auto lameAudioEnd = encoded.size() - (lameV1 ? 128 : 0);
  Layout layout;
  if (const auto error = ReadLayout(dir + "/lame.mp3", lameTag, lameAudioEnd, layout))
    return refuse("driver: lame's output does not read as " +
                  std::string(info ? "an info frame and " : "") +
                  "frames between its tags: " + *error);
  // Without -t lame still leaves the info frame out where a frame is too short to hold it (the
  // lowest constant bit rates).
  if (layout.info && !info) return refuse("driver: lame wrote an info frame despite -t");
  if (!layout.info && info) Setting("(lame wrote no info frame)");
  if (layout.info) {
    const auto counts =
        ParseInfo(std::span(encoded).subspan(layout.info->offset, layout.info->length));
    if (!counts) return refuse("driver: lame's info frame has no Xing/Info tag");
    infoTag_ = counts->tag;
  }
  for (const auto& f : layout.audio)
    source_.emplace_back(encoded.begin() + std::ptrdiff_t(f.offset),
                         encoded.begin() + std::ptrdiff_t(f.offset + f.length));

  // Dressed further: sometimes an ID3v2 tag of the driver's in front of lame's, and after the
  // audio the trailing tags in a random order.
  Bytes leading;
  if (rng.OneIn(4)) {
    const int version = rng.OneIn(2) ? 3 : 4;
    const auto payload = std::size_t(rng.OneIn(2) ? rng.Between(0, 2 << 20) : rng.Between(0, 4096));
    const auto padding = std::size_t(rng.OneIn(2) ? 0 : rng.Between(1, 4096));
    const bool footer = version == 4 && rng.OneIn(2);
    leading = Id3v2Tag(rng, version, payload, padding, footer);
    Setting("leading=id3v2." + std::to_string(version) + "(" + std::to_string(leading.size()) +
            (footer ? ",footer)" : ")"));
  }
  std::vector<std::pair<std::string, Bytes>> trailers;
  if (lameV1) trailers.emplace_back("id3v1", Bytes(encoded.end() - 128, encoded.end()));
  if (rng.OneIn(3)) {
    const auto size = std::size_t(rng.OneIn(3) ? rng.Between(0, 300000) : rng.Between(0, 2000));
    trailers.emplace_back("ape", ApeTag(rng, size));
  }
  if (rng.OneIn(8))
    trailers.emplace_back("lyrics3", Lyrics3Tag(rng, std::size_t(rng.Between(0, 5000))));
  if (rng.OneIn(8))
    trailers.emplace_back("id3v2-footer",
                          Id3v2Tag(rng, 4, std::size_t(rng.Between(0, 20000)), 0, true));
  for (std::size_t k = trailers.size(); k > 1; --k)
    std::swap(trailers[k - 1], trailers[std::size_t(rng.Between(0, std::int64_t(k) - 1))]);
  std::string trailerSetting;
  for (const auto& [name, bytes] : trailers)
    trailerSetting +=
        (trailerSetting.empty() ? "" : ",") + name + "(" + std::to_string(bytes.size()) + ")";
  if (!trailers.empty()) Setting("trailers=" + trailerSetting);

  sourceBytes_ = leading;
  sourceBytes_.insert(sourceBytes_.end(), encoded.begin(),
                      encoded.begin() + std::ptrdiff_t(lameAudioEnd));
  for (const auto& t : trailers) Put(sourceBytes_, t.second);
  audioStart_ = leading.size() + lameTag;
  sourcePath_ = dir + "/source.mp3";
  WriteFile(sourcePath_, sourceBytes_);
  return true;
}

std::optional<FileCheck::Piece> FileCheck::CheckOutput(const std::string& label,
                                                       const std::string& path, std::uint64_t from,
                                                       bool info, std::size_t firstFrame,
                                                       std::optional<std::size_t> expectedFrames) {
  Bytes bytes;
  try {
    bytes = ReadFile(path);
  } catch (const std::exception&) {
    Fail(label + ": not written");
    return std::nullopt;
  }
  // The part libmpg123 reads: everything after the tags the caller has checked already.
  auto readPath = path;
  if (from > 0) {
    readPath = path + ".audio";
    WriteFile(readPath, std::span(bytes).subspan(from));
  }
  Layout layout;
  if (const auto error = ReadLayout(readPath, 0, bytes.size() - from, layout)) {
    Fail(label + ": not an info frame and whole frames: " + *error);
    return std::nullopt;
  }
  const auto decoded = tandrel::fixtures::DecodeMp3(readPath);
  if (decoded.errors) Fail(label + ": decoding fails: " + decoded.firstError);
  if (std::size_t(decoded.frames) != layout.audio.size())
    Fail(label + ": " + std::to_string(decoded.frames) + " frames decode of " +
         std::to_string(layout.audio.size()));
  if (from > 0) std::filesystem::remove(readPath);

  Piece piece{layout.audio.size(), 0, layout.audio.back().length};
  for (const auto& f : layout.audio) piece.bytes += f.length;
  if (info != layout.info.has_value()) {
    Fail(label + (info ? ": starts with no info frame" : ": starts with an info frame"));
  } else if (layout.info) {
    const auto counts =
        ParseInfo(std::span(bytes).subspan(from + layout.info->offset, layout.info->length));
    const auto size = bytes.size() - from;
    if (!counts) {
      Fail(label + ": the info frame has no Xing/Info tag where it belongs");
    } else {
      if (infoTag_ && counts->tag != *infoTag_)
        Fail(label + ": the info frame is tagged " + counts->tag + ", the source's " + *infoTag_);
      if (counts->frames != std::optional<std::uint32_t>(std::uint32_t(piece.frames)))
        Fail(label + ": the info frame counts " +
             (counts->frames ? std::to_string(*counts->frames) : std::string("no")) +
             " frames of " + std::to_string(piece.frames));
      if (counts->bytes != std::optional<std::uint32_t>(std::uint32_t(size)))
        Fail(label + ": the info frame counts " +
             (counts->bytes ? std::to_string(*counts->bytes) : std::string("no")) + " bytes of " +
             std::to_string(size));
    }
  }
  if (expectedFrames && *expectedFrames != piece.frames)
    Fail(label + ": holds " + std::to_string(piece.frames) + " frames, expected " +
         std::to_string(*expectedFrames) + " (source frames " + std::to_string(firstFrame) +
         " to " + std::to_string(firstFrame + *expectedFrames - 1) + ")");
  // Frame by frame against the source; the first difference is enough.
  for (std::size_t k = 0; k < layout.audio.size(); ++k) {
    const auto& f = layout.audio[k];
    const auto n = firstFrame + k;
    if (n >= source_.size()) {
      Fail(label + ": frame " + std::to_string(k) + " at " + std::to_string(from + f.offset) +
           " is past the source's last frame");
      break;
    }
    const auto got = std::span(bytes).subspan(from + f.offset, f.length);
    const auto& want = source_[n];
    if (!std::equal(got.begin(), got.end(), want.begin(), want.end())) {
      const auto [a, b] = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
      Fail(label + ": frame " + std::to_string(k) + " at offset " +
           std::to_string(from + f.offset) + " (" + std::to_string(f.length) +
           " bytes) differs from source frame " + std::to_string(n) + " (" +
           std::to_string(want.size()) + " bytes) from byte " + std::to_string(a - got.begin()));
      break;
    }
  }
  return piece;
}

void FileCheck::CheckCutByTime(Rng& rng, const std::string& dir) {
  // Sections that tile the stream: k - 1 distinct frame boundaries, each section end a random
  // millisecond inside its boundary frame, the next section starting 1 ms later.
  const auto frames = std::int64_t(source_.size());
  const auto ms = std::int64_t(MsPerFrame(Be32(source_.front(), 0)));
  const int count = int(std::min<std::int64_t>(rng.Between(1, 8), frames));
  std::set<std::int64_t> cuts;
  while (int(cuts.size()) < count - 1) cuts.insert(rng.Between(1, frames - 1));
  std::vector<std::int64_t> bounds{0};
  bounds.insert(bounds.end(), cuts.begin(), cuts.end());
  bounds.push_back(frames);
  const auto folder = dir + "/time";
  std::filesystem::create_directory(folder);
  std::string sections;
  std::int64_t start = 1;
  for (int k = 0; k < count; ++k) {
    const auto path = folder + "/piece_" + std::to_string(k + 1) + ".mp3";
    const auto end = k + 1 == count ? -1 : bounds[std::size_t(k) + 1] * ms + rng.Between(0, ms - 1);
    sections += (k ? "|" : "") + std::to_string(start) + ";" + std::to_string(end) + ";" + path;
    timePieces_.push_back(path);
    start = end + 1;
  }
  // Every other cut takes the frame index a count of the source leaves, as the CLI's do.
  const bool indexed = rng.OneIn(2);
  Setting("time-cut=" + std::to_string(count) + (indexed ? " indexed" : ""));
  tandrel::FrameIndex index;
  tandrel::OperationOptions options;
  if (indexed) {
    const auto source = tandrel::OpenFileSource(sourcePath_);
    tandrel::CFrameReader reader;
    if (!source || !reader.Open(*source)) return Fail("cannot open the source to index it");
    const auto layout = tandrel::LocateMp3Stream(reader);
    if (tandrel::CountStreamFrames(*source, layout, &index).failed || !index.marks.Ended())
      return Fail("the count leaves no frame index");
    options.frames = &index;
  }
  const auto code =
      tandrel::CutByTime(sourcePath_, sections, std::int16_t(count), nullptr, options);
  if (code != ResultCode::Success) {
    timePieces_.clear();
    return Fail(std::string("CutByTime gives ") + CodeName(code) + " for " + sections);
  }
  if (tandrel::fixtures::ListFolder(folder).size() != std::size_t(count))
    Fail("CutByTime leaves " + std::to_string(tandrel::fixtures::ListFolder(folder).size()) +
         " files for " + std::to_string(count) + " sections");
  for (int k = 0; k < count; ++k) {
    const auto first = std::size_t(bounds[std::size_t(k)]);
    const auto n = std::size_t(bounds[std::size_t(k) + 1]) - first;
    CheckOutput("time piece " + std::to_string(k + 1) + "/" + std::to_string(count),
                timePieces_[std::size_t(k)], 0, infoTag_.has_value(), first, n);
  }
  firstPieceFrames_ = std::size_t(bounds[1]);
}

void FileCheck::CheckCutBySize(Rng& rng, const std::string& dir) {
  std::uint64_t audio = 0;
  std::uint32_t longest = 0;
  for (const auto& f : source_) {
    audio += f.size();
    longest = std::max<std::uint32_t>(longest, std::uint32_t(f.size()));
  }
  std::int64_t limit;
  const auto choice = rng.Between(0, 7);
  if (choice == 0 && source_.size() <= 600)  // a frame or two per piece
    limit = rng.Between(1, 2 * longest);
  else if (choice == 1)  // one piece: the audio is no larger than the file
    limit = rng.Between(std::int64_t(audio), std::int64_t(sourceBytes_.size()));
  else
    limit = std::max<std::int64_t>(
        1, std::int64_t(audio) / rng.Between(1, 50) + rng.Between(-std::int64_t(longest), longest));
  limit = std::min<std::int64_t>(limit, std::int64_t(sourceBytes_.size()));
  Setting("size-cut=" + std::to_string(limit));
  const auto folder = dir + "/size";
  std::filesystem::create_directory(folder);
  const auto code = tandrel::CutBySize(sourcePath_, std::int32_t(limit), folder, nullptr);
  if (code != ResultCode::Success)
    return Fail(std::string("CutBySize gives ") + CodeName(code) + " for " + std::to_string(limit));

  const auto names = tandrel::fixtures::ListFolder(folder);
  std::size_t next = 0;
  for (std::size_t k = 1; k <= names.size(); ++k) {
    const auto label = "size piece " + std::to_string(k) + "/" + std::to_string(names.size());
    const auto path = folder + "/source_" + std::to_string(k) + ".mp3";
    if (!std::filesystem::exists(path))
      return Fail(label + ": source_" + std::to_string(k) + ".mp3 missing");
    const auto piece = CheckOutput(label, path, 0, infoTag_.has_value(), next, std::nullopt);
    if (!piece) return;
    // Whole frames until the size is reached or passed: only the last frame takes a piece to the
    // limit, and only the last piece may stay below it.
    const bool last = k == names.size();
    if (piece->bytes - piece->lastLength >= std::uint64_t(limit) ||
        (!last && piece->bytes < std::uint64_t(limit)))
      Fail(label + ": " + std::to_string(piece->frames) + " frames of " +
           std::to_string(piece->bytes) + " bytes for pieces of " + std::to_string(limit));
    next += piece->frames;
  }
  if (next != source_.size())
    Fail("CutBySize: " + std::to_string(names.size()) + " pieces hold " + std::to_string(next) +
         " frames of " + std::to_string(source_.size()));
}

void FileCheck::CheckJoins(const std::string& dir) {
  if (timePieces_.empty()) return;
  const auto folder = dir + "/join";
  std::filesystem::create_directory(folder);
  // The time pieces back into one: no tag (the pieces have none), an info frame, every frame.
  std::string list;
  for (const auto& p : timePieces_) list += (list.empty() ? "" : "|") + p;
  const auto joined = folder + "/joined.mp3";
  auto code = tandrel::Join(joined, list, std::int16_t(timePieces_.size()), nullptr);
  if (code != ResultCode::Success) {
    Fail(std::string("Join of the time pieces gives ") + CodeName(code));
  } else {
    CheckOutput("join of the time pieces", joined, 0, true, 0, source_.size());
  }

  // The source and its first piece: the source's leading tags byte for byte, an info frame, the
  // source's frames without its trailing tags, then the piece's.
  const auto second = folder + "/source_and_first_piece.mp3";
  code = tandrel::Join(second, sourcePath_ + "|" + timePieces_.front(), 2, nullptr);
  if (code != ResultCode::Success)
    return Fail(std::string("Join of the source and its first piece gives ") + CodeName(code));
  const auto bytes = ReadFile(second);
  const auto tags = std::span(sourceBytes_).first(audioStart_);
  if (bytes.size() < tags.size() || !std::equal(tags.begin(), tags.end(), bytes.begin())) {
    const auto [a, b] = std::mismatch(tags.begin(), tags.end(), bytes.begin(), bytes.end());
    return Fail("join of the source and its first piece: the leading tags (" +
                std::to_string(tags.size()) + " bytes) differ from byte " +
                std::to_string(a - tags.begin()));
  }
  auto twice = source_;
  twice.insert(twice.end(), source_.begin(), source_.begin() + std::ptrdiff_t(firstPieceFrames_));
  std::swap(twice, source_);
  CheckOutput("join of the source and its first piece", second, audioStart_, true, 0,
              source_.size());
  std::swap(twice, source_);
}

void FileCheck::Run(const std::string& dir) {
  Rng rng(options_.seed * 0x9E3779B97F4A7C15ull ^
          (std::uint64_t(index_) + 1) * 0xD1B54A32D192ED03ull);
  try {
    if (!MakeSource(rng, dir)) return;
    CheckCutByTime(rng, dir);
    CheckCutBySize(rng, dir);
    CheckJoins(dir);
  } catch (const std::exception& e) {
    Fail(std::string("driver: ") + e.what());
  }
}

// Keeps the failing file and everything written from it, with the commands that made it.
std::string SaveFailure(const Options& options, int index, const FileCheck& check,
                        const std::string& dir) {
  const auto target = options.failures + "/seed-" + std::to_string(options.seed) + "-index-" +
                      std::to_string(index);
  std::error_code ignored;
  std::filesystem::remove_all(target, ignored);
  std::filesystem::create_directories(target, ignored);
  std::filesystem::copy(dir, target, std::filesystem::copy_options::recursive, ignored);
  std::ofstream notes(target + "/settings.txt");
  notes << "seed=" << options.seed << " index=" << index << " " << check.Settings() << "\n"
        << check.Commands();
  for (const auto& f : check.Failures()) notes << f << "\n";
  return target;
}

int Usage() {
  std::cerr << "usage: lame_sweep SEED COUNT [--first I] [--min-seconds S] [--max-seconds S]"
               " [--failures DIR] [--verbose]\n";
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (argc < 3) return Usage();
  try {
    options.seed = std::stoull(argv[1]);
    options.count = std::stoi(argv[2]);
    for (int k = 3; k < argc; ++k) {
      const std::string arg = argv[k];
      if (arg == "--verbose") {
        options.verbose = true;
        continue;
      }
      if (k + 1 >= argc) return Usage();
      const std::string value = argv[++k];
      if (arg == "--first")
        options.first = std::stoi(value);
      else if (arg == "--min-seconds")
        options.minSeconds = std::stoi(value);
      else if (arg == "--max-seconds")
        options.maxSeconds = std::stoi(value);
      else if (arg == "--failures")
        options.failures = value;
      else
        return Usage();
    }
  } catch (const std::exception&) {
    return Usage();
  }
  if (options.count < 0 || options.minSeconds < 1 || options.maxSeconds < options.minSeconds)
    return Usage();

  const tandrel::fixtures::TempDir work;
  long long frames = 0;
  int failed = 0;
  for (int index = options.first; index < options.first + options.count; ++index) {
    const auto dir = work.File(std::to_string(index));
    std::filesystem::create_directory(dir);
    FileCheck check(options, index);
    check.Run(dir);
    frames += check.Frames();
    if (!check.Failures().empty()) {
      ++failed;
      std::cout << "FAIL seed=" << options.seed << " index=" << index << " " << check.Settings()
                << " saved=" << SaveFailure(options, index, check, dir) << "\n";
      for (std::size_t k = 0; k < check.Failures().size() && k < 8; ++k)
        std::cout << "  " << check.Failures()[k] << "\n";
      if (check.Failures().size() > 8)
        std::cout << "  ... " << check.Failures().size() - 8 << " more\n";
    } else if (options.verbose) {
      std::cout << "ok seed=" << options.seed << " index=" << index << " frames=" << check.Frames()
                << " " << check.Settings() << "\n";
    }
    std::cout.flush();
    std::filesystem::remove_all(dir);
  }
  std::cout << options.count << " files, " << frames << " frames, " << failed << " failures\n";
  return failed ? 1 : 0;
}
