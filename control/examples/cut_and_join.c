/* Cuts an MP3 or WAVE file into two halves by time, then joins the halves again, printing the
   progress the library reports. Build it with
     cc cut_and_join.c $(pkg-config --cflags --libs tandrel) -o cut_and_join
   and run it as
     ./cut_and_join song.mp3 /tmp
   which writes /tmp/first.mp3, /tmp/second.mp3 and /tmp/joined.mp3. */
#include <stdio.h>
#include <string.h>
#include <tandrel/tandrel.h>

static void OnEvent(void* context, int dispid, short value) {
  (void)context;
  if (dispid == TANDREL_EVENT_CUT) printf("cut: %d %%\n", value);
  if (dispid == TANDREL_EVENT_JOIN) printf("join: %d %%\n", value);
  if (dispid == TANDREL_EVENT_STATUS_CHANGE) printf("done (status %d)\n", value);
}

int main(int argc, char** argv) {
  char first[4096], second[4096], joined[4096], sections[3 * 4096 + 64], list[2 * 4096 + 2];
  const char* extension;
  TandrelObject* object;
  int32_t half;
  short code;

  if (argc != 3) {
    fprintf(stderr, "usage: %s <file.mp3|file.wav> <output folder>\n", argv[0]);
    return 64;
  }
  printf("libTandrel %s\n", Tandrel_Version());
  extension = strrchr(argv[1], '.');
  if (extension == NULL || strlen(argv[2]) > 4000) {
    fprintf(stderr, "%s: neither .mp3 nor .wav\n", argv[1]);
    return 64;
  }
  sprintf(first, "%s/first%s", argv[2], extension);
  sprintf(second, "%s/second%s", argv[2], extension);
  sprintf(joined, "%s/joined%s", argv[2], extension);

  object = Tandrel_Create();
  if (object == NULL) return 1;
  Tandrel_Advise(object, OnEvent, NULL);

  /* The play time is in the library's milliseconds; a section list is "start;end;file|...",
     the last end -1 for "to the end". */
  half = Tandrel_GetPlayTime(object, argv[1]) / 2;
  sprintf(sections, "1;%ld;%s|%ld;-1;%s", (long)half, first, (long)half + 1, second);
  code = Tandrel_CutByTime(object, argv[1], sections, 2);
  printf("%s\n", Tandrel_ResultMessage(code));
  if (code == TANDREL_OK) {
    sprintf(list, "%s|%s", first, second);
    code = Tandrel_Join(object, joined, list, 2);
    printf("%s\n", Tandrel_JoinResultMessage(code));
  }
  Tandrel_Release(object);
  return code == TANDREL_OK ? 0 : 1;
}
