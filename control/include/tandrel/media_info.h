/* What a file holds, read without decoding: the facts `tandrel info` shows beside the size and
   the play time. Plain C, so that any language with a C foreign-function interface can ask too.
   Only reads; nothing is written and no event is raised. */
#ifndef TANDREL_MEDIA_INFO_H
#define TANDREL_MEDIA_INFO_H

#include <stdint.h>

#include "tandrel/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The kind of a file, judged from its name as the operations judge it. */
enum { TANDREL_KIND_NONE = 0, TANDREL_KIND_WAVE = 1, TANDREL_KIND_MP3 = 2 };

/* The channel mode field of an MPEG audio frame header. */
enum {
  TANDREL_MODE_STEREO = 0,
  TANDREL_MODE_JOINT_STEREO = 1,
  TANDREL_MODE_DUAL_CHANNEL = 2,
  TANDREL_MODE_SINGLE_CHANNEL = 3
};

typedef struct TandrelMediaInfo {
  int kind;          /* TANDREL_KIND_* */
  uint64_t fileSize; /* the whole size in bytes, not cut to 32 bits */

  /* MP3. The audio lies between the ID3v2 tags at the start and the tags at the end of the file
     (ID3v1, APE, Lyrics3); everything below stays 0 when it holds no run of frames. */
  uint64_t audioOffset; /* file offset of the first frame (the info frame when there is one) */
  int mpegVersion;      /* 1 (MPEG-1), 2 (MPEG-2) or 25 (MPEG-2.5) */
  int channelMode;      /* TANDREL_MODE_*, of the first frame */
  int hasInfoFrame;     /* 1 when the first frame is an info frame ("Xing" or "Info") */
  int variableBitrate;  /* 1 when the audio frames do not all have one bitrate */
  uint32_t bitrate;     /* bits per second of every audio frame; 0 when variable */
  uint64_t frameCount;  /* audio frames; the info frame is not one */
  uint32_t infoFrames;  /* the frame count the info frame states, 0 without one */

  /* MP3 and WAVE. */
  uint32_t sampleRate; /* Hz */
  uint16_t channels;

  /* WAVE, as the cuts and the join read the header (WAVE_FORMAT_EXTENSIBLE gives its
     sub-format's tag; a data size running past the end of the file is cut to the file). */
  uint16_t formatTag;
  uint16_t bitsPerSample;
  uint16_t blockAlign;
  uint32_t bytesPerSecond;
  uint32_t dataSize;
  uint64_t dataOffset; /* where the sample data starts */
} TandrelMediaInfo;

/* Fills `info` (every field set, unknown ones 0) and returns 0, or the result code that the
   operations give for the same file: 5 when the name is neither .wav nor .mp3 (`kind` is then
   TANDREL_KIND_NONE and nothing is read), 1 when the file cannot be opened or reading it fails,
   3 when a WAVE file has no readable header. A null argument gives 7. */
TANDREL_API short Tandrel_ReadMediaInfo(const char* fileName, TandrelMediaInfo* info);

#ifdef __cplusplus
}
#endif

#endif
