#include "mp3_frame_list.h"

#include <mpg123.h>

#include <memory>

namespace tandrel::cli {

Mp3FrameList ListMp3Frames(const std::string& path) {
  Mp3FrameList list;
  mpg123_init();  // a no-op in current versions, needed by old ones
  const std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> handle(
      mpg123_new(nullptr, nullptr), &mpg123_delete);
  auto* mh = handle.get();
  if (!mh) {
    list.error = "no decoder";
    return list;
  }
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_NO_RESYNC, 0.0);
  if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
    list.error = "cannot open " + path;
    return list;
  }
  for (int status; (status = mpg123_framebyframe_next(mh)) != MPG123_DONE;) {
    if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
      list.error = mpg123_strerror(mh);
      break;
    }
    unsigned long header = 0;
    unsigned char* body = nullptr;
    std::size_t bodyBytes = 0;
    if (mpg123_framedata(mh, &header, &body, &bodyBytes) != MPG123_OK) {
      list.error = "no frame data";
      break;
    }
    ListedFrame frame;
    frame.offset = static_cast<std::uint64_t>(mpg123_framepos(mh));
    for (int shift = 24; shift >= 0; shift -= 8)
      frame.bytes.push_back(static_cast<std::uint8_t>(header >> shift));
    frame.bytes.insert(frame.bytes.end(), body, body + bodyBytes);
    list.frames.push_back(std::move(frame));
  }
  mpg123_frameinfo info{};
  if (mpg123_info(mh, &info) == MPG123_OK) {
    list.sampleRate = info.rate;
    list.samplesPerFrame = info.version == MPG123_1_0 ? 1152 : 576;
  }
  return list;
}

}  // namespace tandrel::cli
