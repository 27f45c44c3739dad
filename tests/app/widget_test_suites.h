#pragma once

#include <QObject>
#include <memory>

namespace trevasso::tests {

// Each window test file makes its own test object.
std::unique_ptr<QObject> MakeCutterWindowTest();
std::unique_ptr<QObject> MakeJoinerWindowTest();

}  // namespace trevasso::tests
