#pragma once

#include <string>

namespace tandrel::wintest {

// The registered type library, read back through ITypeLib: library attributes, the two
// dispinterfaces member by member, the coclass, and the import of the standard library; and
// that it is the module's type-library resource 1.
void CheckTypeLibrary(const std::wstring& ocxPath);

// The same contents read from the 32-bit module's resource, which cannot be registered here.
void CheckX86TypeLibrary(const std::wstring& ocxPath);

}  // namespace tandrel::wintest
