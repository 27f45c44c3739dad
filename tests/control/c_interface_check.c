/* Drives libTandrel through its C interface from a program compiled as C: joins three WAVE
   files, cuts the result by time and by size, and checks the results, the events and the files.
   Exits 0 when everything holds. */

#define _POSIX_C_SOURCE 200809L

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tandrel/tandrel.h"

#define MAX_EVENTS 32

struct EventLog {
  int count;
  int dispid[MAX_EVENTS];
  short value[MAX_EVENTS];
};

static int failures = 0;

static void Check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

static void Record(void* context, int dispid, short value) {
  struct EventLog* log = (struct EventLog*)context;
  if (log->count < MAX_EVENTS) {
    log->dispid[log->count] = dispid;
    log->value[log->count] = value;
  }
  ++log->count;
}

/* The log holds exactly `count` events, given as pairs of dispid and value. */
static void CheckEvents(const struct EventLog* log, const int* expected, int count,
                        const char* what) {
  int i;
  int same = log->count == count;
  for (i = 0; same && i < count; ++i) {
    same = log->dispid[i] == expected[2 * i] && log->value[i] == expected[2 * i + 1];
  }
  if (!same) {
    fprintf(stderr, "events of %s:", what);
    for (i = 0; i < log->count && i < MAX_EVENTS; ++i) {
      fprintf(stderr, " (%d,%d)", log->dispid[i], log->value[i]);
    }
    fprintf(stderr, "\n");
  }
  Check(same, what);
}

static void Put32(unsigned char* at, unsigned long v) {
  at[0] = (unsigned char)v;
  at[1] = (unsigned char)(v >> 8);
  at[2] = (unsigned char)(v >> 16);
  at[3] = (unsigned char)(v >> 24);
}

/* A 44100 Hz 16-bit stereo WAVE file with `dataSize` sample bytes. */
static int WriteWave(const char* path, unsigned long dataSize) {
  static const unsigned char kFormat[24] = {'f',  'm',  't', ' ', 16,   0,    0, 0, 1, 0, 2,  0,
                                            0x44, 0xAC, 0,   0,   0x10, 0xB1, 2, 0, 4, 0, 16, 0};
  unsigned char header[44];
  unsigned long i;
  FILE* file = fopen(path, "wb");
  if (file == NULL) return 0;
  memcpy(header, "RIFF", 4);
  Put32(header + 4, dataSize + 36);
  memcpy(header + 8, "WAVE", 4);
  memcpy(header + 12, kFormat, sizeof kFormat);
  memcpy(header + 36, "data", 4);
  Put32(header + 40, dataSize);
  fwrite(header, 1, sizeof header, file);
  for (i = 0; i < dataSize; ++i) fputc((int)(i * 7 % 251), file);
  return fclose(file) == 0;
}

static long FileLength(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 ? (long)info.st_size : -1;
}

int main(void) {
  char dir[] = "/tmp/tandrel_c_XXXXXX";
  char a[128], b[128], c[128], joined[128], p1[128], p2[128], list[512], sections[512];
  char piece[128];
  struct EventLog log;
  TandrelObject* object;
  uint32_t cookie;
  int k;

  if (mkdtemp(dir) == NULL) {
    perror("mkdtemp");
    return 1;
  }
  snprintf(a, sizeof a, "%s/a.wav", dir);
  snprintf(b, sizeof b, "%s/b.wav", dir);
  snprintf(c, sizeof c, "%s/c.wav", dir);
  snprintf(joined, sizeof joined, "%s/joined.wav", dir);
  snprintf(p1, sizeof p1, "%s/p1.wav", dir);
  snprintf(p2, sizeof p2, "%s/p2.wav", dir);
  snprintf(list, sizeof list, "%s|%s|%s", a, b, c);
  snprintf(sections, sizeof sections, "1;10;%s|11;-1;%s", p1, p2);
  Check(WriteWave(a, 1000) && WriteWave(b, 2000) && WriteWave(c, 3000), "write inputs");

  Check(Tandrel_CanUnloadNow() == 1, "no object before Create");
  object = Tandrel_Create();
  Check(object != NULL, "Create");
  Check(Tandrel_CanUnloadNow() == 0, "an object is alive");
  memset(&log, 0, sizeof log);
  cookie = Tandrel_Advise(object, Record, &log);
  Check(cookie > 0, "Advise gives a cookie");

  {
    static const int kExpected[] = {3, 33, 3, 66, 3, 100, 1, 4};
    Check(Tandrel_Join(object, joined, list, 3) == 0, "Join returns 0");
    CheckEvents(&log, kExpected, 4, "Join");
  }
  Check(Tandrel_GetFileSize(object, joined) == 6044, "GetFileSize of the joined file");
  Check(Tandrel_GetPlayTime(object, joined) == 34, "GetPlayTime of the joined file");

  {
    static const int kExpected[] = {2, 50, 2, 100, 1, 3};
    memset(&log, 0, sizeof log);
    Check(Tandrel_CutByTime(object, joined, sections, 2) == 0, "CutByTime returns 0");
    CheckEvents(&log, kExpected, 3, "CutByTime");
    /* 10 ms at 176400 bytes per second: 1764 bytes. */
    Check(FileLength(p1) == 44 + 1764, "first time piece");
    Check(FileLength(p2) == 44 + 6000 - 1764, "second time piece");
  }

  {
    static const int kExpected[] = {2, 33, 2, 66, 2, 100, 1, 3};
    memset(&log, 0, sizeof log);
    Check(Tandrel_CutBySize(object, joined, 2500, dir) == 0, "CutBySize returns 0");
    CheckEvents(&log, kExpected, 4, "CutBySize");
    for (k = 1; k <= 3; ++k) {
      snprintf(piece, sizeof piece, "%s/joined_%d.wav", dir, k);
      Check(FileLength(piece) == 44 + (k < 3 ? 2500 : 1000), "size piece");
      remove(piece);
    }
  }

  {
    memset(&log, 0, sizeof log);
    Check(Tandrel_Join(object, joined, list, 2) == 7, "Join with a wrong count returns 7");
    CheckEvents(&log, NULL, 0, "failing Join");
  }

  Check(Tandrel_Unadvise(object, cookie) == 1, "Unadvise");
  Check(Tandrel_Join(object, joined, list, 3) == 0 && log.count == 0, "no events after Unadvise");
  Tandrel_Release(object);
  Check(Tandrel_CanUnloadNow() == 1, "no object after Release");

  remove(a);
  remove(b);
  remove(c);
  remove(joined);
  remove(p1);
  remove(p2);
  rmdir(dir);
  if (failures == 0) printf("C interface: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
