#pragma once

#include <QString>

namespace orba::shell {

// Where the help of a language lives: a folder of HTML pages in the
// program folder, "Help" for English and "Help" followed by the language
// code for the others ("Helpfr"). Each holds a contents page and one page per
// topic, named after the topic in lower case ("Introduction" is
// introduction.html).
namespace help_book {

QString folder(const QString& programDir, int language, const QString& languageCode);
QString contentsPage(const QString& folder);
QString topicPage(const QString& folder, const QString& topic);
// The page that shows a topic: its own page, or the contents when the book
// has no such topic; empty when the book itself is missing.
QString pageFor(const QString& folder, const QString& topic);

}  // namespace help_book
}  // namespace orba::shell
