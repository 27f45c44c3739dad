#pragma once

// Symbols of libTandrel are hidden unless marked.
#if defined(_WIN32)
#define TANDREL_API
#else
#define TANDREL_API __attribute__((visibility("default")))
#endif
