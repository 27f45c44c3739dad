#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "logic/layout_scale.h"
#include "logic/notice.h"
#include "logic/platform_facts.h"
#include "ui/desktop.h"

class QLocale;

namespace trevasso::ui {

// Where the windows meet the logic, which knows nothing of Qt: texts cross as UTF-8 (what
// QFile::encodeName gives for a path under Qt 6 on Linux), geometry as plain numbers, and the
// platform's facts come from the window's locale.
std::string ToUtf8(const QString& text);
std::vector<std::string> ToUtf8(const QStringList& texts);
QString FromUtf8(const std::string& text);
QStringList FromUtf8(const std::vector<std::string>& texts);

// The facts of the Qt program: `locale`'s group separator and decimal point, and '/', the one
// separator Qt writes in paths on every system.
logic::PlatformFacts PlatformFactsOf(const QLocale& locale);

// Whether `path` names an existing folder, as QFileInfo sees it.
bool IsFolder(const std::string& path);

MessageIcon IconOf(logic::NoticeIcon icon);

inline logic::Rect ToLogic(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}
inline logic::Size ToLogic(const QSize& s) {
  return {s.width(), s.height()};
}
inline QRect ToQt(const logic::Rect& r) {
  return QRect(r.x, r.y, r.width, r.height);
}
inline QSize ToQt(const logic::Size& s) {
  return QSize(s.width, s.height);
}

}  // namespace trevasso::ui
