#pragma once

#include <QObject>
#include <memory>
#include <vector>

namespace trevasso::tests {

// Each test file of the logic layer makes its own test object.
std::unique_ptr<QObject> MakeNumberMaskTest();
std::unique_ptr<QObject> MakeInfoCaptionsTest();
std::unique_ptr<QObject> MakePathAndNamesTest();
std::unique_ptr<QObject> MakeAddSectionsTest();
std::unique_ptr<QObject> MakeSplitValuesTest();
std::unique_ptr<QObject> MakeJoinListTest();

inline std::vector<std::unique_ptr<QObject>> MakeLogicSuites() {
  std::vector<std::unique_ptr<QObject>> suites;
  suites.push_back(MakeNumberMaskTest());
  suites.push_back(MakeInfoCaptionsTest());
  suites.push_back(MakePathAndNamesTest());
  suites.push_back(MakeAddSectionsTest());
  suites.push_back(MakeSplitValuesTest());
  suites.push_back(MakeJoinListTest());
  return suites;
}

}  // namespace trevasso::tests
