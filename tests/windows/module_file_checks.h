#pragma once

#include <windows.h>

#include <string>

namespace tandrel::wintest {

// The module file itself, read without running it, so that the 32-bit module can be checked
// too: its machine, exports and imports, the version block, the string table, the toolbox
// bitmap, the type-library resource and the property page's dialog template.
void CheckModuleFile(const std::wstring& ocxPath, WORD machine);

// The class factories and when the module may be unloaded. Run while no other object of the
// module is alive.
void CheckModuleLifetime(const std::wstring& ocxPath);

}  // namespace tandrel::wintest
