/* The C header compiles as strict C89, and its names are constants a switch can use. */
#include <tandrel/tandrel.h>
#include <tandrel/media_info.h>
#include <tandrel/version.h>

const char* DescribeCode(int code);
const char* DescribeCode(int code) {
  switch (code) {
    case TANDREL_OK:
      return TANDREL_VERSION_STRING;
    case TANDREL_ERROR_INVALID_PARAMETER:
      return Tandrel_ResultMessage(code);
    default:
      return Tandrel_JoinResultMessage(code);
  }
}
