#pragma once

#include <string>

namespace tandrel::wintest {

// After DllRegisterServer: every entry of both classes and of the type library, with its value.
void CheckRegistered(const std::wstring& ocxPath);
// After DllUnregisterServer: every key the module wrote is gone and nothing can be created.
void CheckUnregistered();
// With the module unregistered: the failure codes of both entry points, each provoked by a key
// the registration cannot write into; leaves nothing behind.
void CheckRegistrationFailures(const std::wstring& ocxPath);

// A text dump of every key the module writes (absent ones named as such), to compare the state
// after one registration with the state after another.
std::string RegistrySnapshot();

}  // namespace tandrel::wintest
