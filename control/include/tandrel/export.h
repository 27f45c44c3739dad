#ifndef TANDREL_EXPORT_H
#define TANDREL_EXPORT_H

/* Symbols of libTandrel are hidden unless marked.

   Windows: the DLL is built with TANDREL_BUILDING_LIBRARY (exports) and used without it
   (imports). A module that compiles the control's classes into itself, as the control module
   Tandrel.ocx does, defines TANDREL_STATIC: nothing is exported or imported. */
#if defined(_WIN32)
#if defined(TANDREL_STATIC)
#define TANDREL_API
#elif defined(TANDREL_BUILDING_LIBRARY)
#define TANDREL_API __declspec(dllexport)
#else
#define TANDREL_API __declspec(dllimport)
#endif
#else
#define TANDREL_API __attribute__((visibility("default")))
#endif

#endif
