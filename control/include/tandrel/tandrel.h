/* C interface of libTandrel: the control's five methods and its events, for any language with a
   C foreign-function interface. Strings are UTF-8 paths and list strings. */
#ifndef TANDREL_TANDREL_H
#define TANDREL_TANDREL_H

#include <stdint.h>

#include "tandrel/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TandrelObject TandrelObject;

/* Receives every event: dispid 1 StatusChange, 2 Cut, 3 Join, and its value. */
typedef void (*Tandrel_EventCallback)(void* context, int dispid, short value);

TANDREL_API TandrelObject* Tandrel_Create(void);
TANDREL_API void Tandrel_Release(TandrelObject* object);
/* Returns a cookie > 0, or 0 when the callback is null. */
TANDREL_API uint32_t Tandrel_Advise(TandrelObject* object, Tandrel_EventCallback callback,
                                    void* context);
/* Returns 1 when the cookie was connected, 0 otherwise. */
TANDREL_API int Tandrel_Unadvise(TandrelObject* object, uint32_t cookie);

TANDREL_API short Tandrel_Join(TandrelObject* object, const char* saveFileName,
                               const char* filesToJoin, short filesCount);
TANDREL_API short Tandrel_CutByTime(TandrelObject* object, const char* openFileName,
                                    const char* cutTimeInfo, short filesCount);
TANDREL_API short Tandrel_CutBySize(TandrelObject* object, const char* openFileName,
                                    int32_t fileSize, const char* savePath);
TANDREL_API int32_t Tandrel_GetFileSize(TandrelObject* object, const char* fileName);
TANDREL_API int32_t Tandrel_GetPlayTime(TandrelObject* object, const char* fileName);

/* 1 when no object is alive. */
TANDREL_API int Tandrel_CanUnloadNow(void);

#ifdef __cplusplus
}
#endif

#endif
