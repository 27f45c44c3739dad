#pragma once

// The test client of the Windows stage: counted checks, and the checks themselves.
// Each failure is printed where it happens; the run ends with "N passed, N failed".

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

#include "com_identity.h"
#include "identity.h"

namespace tandrel::wintest {

using Microsoft::WRL::ComPtr;
namespace id = identity;

bool Record(bool ok, std::string_view what, int line, const std::string& detail = {});
std::string Narrow(std::wstring_view text, UINT codePage = CP_UTF8);
std::wstring Wide(std::string_view ascii);
// Exact text; a mismatch prints both.
bool RecordEqual(const std::string& got, const std::string& want, std::string_view what, int line);

// The checks; `fixtures` is the folder of the real files, `ocx` the module's path.
void CheckRegistered(const std::wstring& ocx);
void CheckUnregistered();
// Read from the module file's resource, so that the 32-bit module is checked too.
void CheckModuleTypeLibrary(const std::wstring& ocx);
// Every key the registration writes, as text, to compare two registrations.
std::string RegistrySnapshot();
void CheckDispatch(const std::wstring& fixtures);
void CheckHosted();

}  // namespace tandrel::wintest

#define CHECK(cond) ::tandrel::wintest::Record(static_cast<bool>(cond), #cond, __LINE__)
#define CHECK_EQ(got, want) \
  ::tandrel::wintest::RecordEqual((got), (want), #got " == " #want, __LINE__)
