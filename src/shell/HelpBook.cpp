#include "HelpBook.h"

#include <QFileInfo>

#include "ShellSettings.h"

namespace orba::shell::help_book {

QString folder(const QString& programDir, int language, const QString& languageCode) {
  return HelpFilePath(programDir, language, languageCode);
}

QString contentsPage(const QString& folder) { return folder + QStringLiteral("/contents.html"); }

QString topicPage(const QString& folder, const QString& topic) {
  return folder + QLatin1Char('/') + topic.toLower() + QStringLiteral(".html");
}

QString pageFor(const QString& folder, const QString& topic) {
  const QString page = topic.isEmpty() ? contentsPage(folder) : topicPage(folder, topic);
  if (QFileInfo(page).isFile()) return page;
  if (QFileInfo(contentsPage(folder)).isFile()) return contentsPage(folder);
  return {};
}

}  // namespace orba::shell::help_book
