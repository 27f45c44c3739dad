#pragma once

#include <string>

namespace tandrel::wintest {

// The five methods through IDispatch on real files: names, results, events and their order,
// by-value and by-reference arguments, coercion and call errors, ANSI paths. Each cut is
// compared byte for byte with the same cut made by the engine directly. `realFixtures` is the
// folder of the real encoder files.
void CheckDispatch(const std::wstring& realFixtures);

}  // namespace tandrel::wintest
