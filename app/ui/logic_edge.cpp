#include "ui/logic_edge.h"

#include <QFileInfo>
#include <QLocale>

namespace trevasso::ui {

std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

std::vector<std::string> ToUtf8(const QStringList& texts) {
  std::vector<std::string> utf8;
  utf8.reserve(static_cast<std::size_t>(texts.size()));
  for (const QString& text : texts) utf8.push_back(text.toStdString());
  return utf8;
}

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

QStringList FromUtf8(const std::vector<std::string>& texts) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(texts.size()));
  for (const std::string& text : texts) list.append(QString::fromStdString(text));
  return list;
}

logic::PlatformFacts PlatformFactsOf(const QLocale& locale) {
  return {locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString(), '/'};
}

bool IsFolder(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).isDir();
}

MessageIcon IconOf(logic::NoticeIcon icon) {
  return icon == logic::NoticeIcon::Critical ? MessageIcon::Critical : MessageIcon::Information;
}

}  // namespace trevasso::ui
