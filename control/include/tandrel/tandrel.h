/* C interface of libTandrel: the control's five methods and its events, for any language with a
   C foreign-function interface. The header is C89 (and C++) clean. Strings are UTF-8 paths and list strings; a null string is taken
   as empty text, except where an operation says otherwise. Every call is synchronous; events reach the callbacks on the calling thread,
   from inside the running call. No function lets an exception out. One object is used from one
   thread at a time; different objects may be used from different threads. */
#ifndef TANDREL_TANDREL_H
#define TANDREL_TANDREL_H

#include <stdint.h>

#include "tandrel/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The result codes of the three operations. */
enum {
  TANDREL_OK = 0,
  TANDREL_ERROR_OPEN = 1,                /* a file cannot be opened, created or written */
  TANDREL_ERROR_READ = 2,                /* Join: a WAVE input's header cannot be read */
  TANDREL_ERROR_CORRUPTED = 3,           /* cuts: the WAVE source has no readable header */
  TANDREL_ERROR_KINDS_DIFFER = 4,        /* Join: the inputs are not all of one kind or stream */
  TANDREL_ERROR_NOT_SUPPORTED = 5,       /* not a .wav or .mp3 name, or an MP3 without audio */
  TANDREL_ERROR_WAVE_FORMATS_DIFFER = 6, /* Join: a WAVE input's format differs */
  TANDREL_ERROR_INVALID_PARAMETER = 7    /* list, section, piece size or argument out of bounds */
};

/* The events, by dispid, and the values of StatusChange. */
enum {
  TANDREL_EVENT_STATUS_CHANGE = 1,
  TANDREL_EVENT_CUT = 2,
  TANDREL_EVENT_JOIN = 3
};
enum {
  TANDREL_STATUS_CUT_DONE = 3, /* the successful end of CutByTime and CutBySize */
  TANDREL_STATUS_JOIN_DONE = 4 /* the successful end of Join */
};

typedef struct TandrelObject TandrelObject;

/* The library's version, "major.minor.patch.build". */
TANDREL_API const char* Tandrel_Version(void);
/* The message the programs show for a result code after a cut (Tandrel_ResultMessage) or a join
   (Tandrel_JoinResultMessage); they differ only for 0. Null for a code outside 0 to 7. */
TANDREL_API const char* Tandrel_ResultMessage(int code);
TANDREL_API const char* Tandrel_JoinResultMessage(int code);

/* Receives every event: dispid 1 StatusChange, 2 Cut, 3 Join, and its value. */
typedef void (*Tandrel_EventCallback)(void* context, int dispid, short value);

/* A new control object, or null when out of memory. */
TANDREL_API TandrelObject* Tandrel_Create(void);
/* Destroys the object (null is ignored). Not from inside one of its own event callbacks. */
TANDREL_API void Tandrel_Release(TandrelObject* object);
/* Connects a callback; it receives every event with `context`. Callbacks are called in the order
   they were connected and may connect or disconnect callbacks themselves. Returns a cookie > 0,
   or 0 when the object or the callback is null. */
TANDREL_API uint32_t Tandrel_Advise(TandrelObject* object, Tandrel_EventCallback callback,
                                    void* context);
/* Returns 1 when the cookie was connected, 0 otherwise. */
TANDREL_API int Tandrel_Unadvise(TandrelObject* object, uint32_t cookie);

/* The three operations return their result code (0 success, 1 to 7 a failure); a null object,
   or a null output name, list or folder (saveFileName, filesToJoin, cutTimeInfo, savePath),
   gives 7 and writes nothing. The queries give the file's size in bytes (low 32 bits, 0 when it cannot be opened)
   and its play time in milliseconds (or 1, 3 or 5 on failure); a null object gives 0 and 1. */
TANDREL_API short Tandrel_Join(TandrelObject* object, const char* saveFileName,
                               const char* filesToJoin, short filesCount);
TANDREL_API short Tandrel_CutByTime(TandrelObject* object, const char* openFileName,
                                    const char* cutTimeInfo, short filesCount);
TANDREL_API short Tandrel_CutBySize(TandrelObject* object, const char* openFileName,
                                    int32_t fileSize, const char* savePath);
TANDREL_API int32_t Tandrel_GetFileSize(TandrelObject* object, const char* fileName);
TANDREL_API int32_t Tandrel_GetPlayTime(TandrelObject* object, const char* fileName);

/* 1 when no control object is alive in the process (neither made here nor in C++), else 0. */
TANDREL_API int Tandrel_CanUnloadNow(void);

#ifdef __cplusplus
}
#endif

#endif
