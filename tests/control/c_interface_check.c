/* Drives libTandrel through its C interface from a program compiled as C: joins three WAVE
   files, cuts the result by time, and checks results, events and files. */

#define _POSIX_C_SOURCE 200809L

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tandrel/tandrel.h"

static int failures = 0;
static char events[256]; /* "dispid:value " per event since the last EVENTS */

static void Check(int ok, int line) {
  if (!ok) fprintf(stderr, "line %d failed (events: %s)\n", line, events);
  failures += !ok;
}
#define CHECK(ok) Check((ok) != 0, __LINE__)
#define EVENTS(expected) (CHECK(strcmp(events, expected) == 0), events[0] = '\0')

static void Record(void* context, int dispid, short value) {
  size_t used = strlen(events);
  CHECK(context == events);
  snprintf(events + used, sizeof events - used, "%d:%d ", dispid, value);
}

/* A 44100 Hz 16-bit stereo WAVE file of 2000 sample bytes. */
static void WriteWave(const char* path, int seed) {
  static const char kHeader[] =
      "RIFF\xF4\x07\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0"
      "\x10\xB1\x02\0\x04\0\x10\0data\xD0\x07\0\0";
  int i;
  FILE* file = fopen(path, "wb");
  CHECK(file != NULL && fwrite(kHeader, 1, 44, file) == 44);
  for (i = 0; file != NULL && i < 2000; ++i) fputc((i * 7 + seed) % 251, file);
  CHECK(file != NULL && fclose(file) == 0);
}

static long Length(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 ? (long)info.st_size : -1;
}

int main(void) {
  char dir[] = "/tmp/tandrel_c_XXXXXX";
  char path[6][128], list[512], sections[512];
  const char* names[6] = {"a.wav", "b.wav", "c.wav", "joined.wav", "p1.wav", "p2.wav"};
  const char* joined = path[3];
  TandrelObject* object;
  uint32_t cookie;
  int k;

  if (mkdtemp(dir) == NULL) return 2;
  for (k = 0; k < 6; ++k) snprintf(path[k], sizeof path[k], "%s/%s", dir, names[k]);
  for (k = 0; k < 3; ++k) WriteWave(path[k], k);
  snprintf(list, sizeof list, "%s|%s|%s", path[0], path[1], path[2]);
  snprintf(sections, sizeof sections, "1;10;%s|11;-1;%s", path[4], path[5]);

  CHECK(Tandrel_CanUnloadNow() == 1);
  object = Tandrel_Create();
  CHECK(object != NULL && Tandrel_CanUnloadNow() == 0);
  CHECK((cookie = Tandrel_Advise(object, Record, events)) > 0);

  CHECK(Tandrel_Join(object, joined, list, 3) == 0);
  EVENTS("3:33 3:66 3:100 1:4 ");
  CHECK(Tandrel_GetFileSize(object, joined) == 6044 && Tandrel_GetPlayTime(object, joined) == 34);

  CHECK(Tandrel_CutByTime(object, joined, sections, 2) == 0);
  EVENTS("2:50 2:100 1:3 ");
  CHECK(Length(path[4]) == 44 + 1764 && Length(path[5]) == 44 + 6000 - 1764); /* 10 ms */

  CHECK(Tandrel_Unadvise(object, cookie) == 1 && Tandrel_Join(object, joined, list, 3) == 0);
  EVENTS("");
  /* No output, list or folder: refused, nothing written anywhere. */
  CHECK(Tandrel_Join(object, NULL, list, 3) == 7 && Tandrel_Join(object, joined, NULL, 3) == 7);
  CHECK(Tandrel_CutByTime(object, joined, NULL, 2) == 7);
  CHECK(Tandrel_CutBySize(object, joined, 1000, NULL) == 7);
  Tandrel_Release(object);
  CHECK(Tandrel_CanUnloadNow() == 1);
  CHECK(Tandrel_Join(NULL, joined, list, 3) == 7 && Tandrel_Advise(NULL, Record, events) == 0);

  for (k = 0; k < 6; ++k) remove(path[k]);
  rmdir(dir);
  return failures == 0 ? 0 : 1;
}
