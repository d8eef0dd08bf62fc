#pragma once

// The message boxes of the company windows. Their texts come from the
// window's translated message list; the boxes are modal and gone when the
// call returns, so nothing of the module outlives its entry point.

#include <QString>

class QWidget;

namespace orba::company {

// Every text handed to Qt from this module is a heap copy: a literal's
// characters would stay in the module's memory, which is unmapped as soon
// as the desktop unloads it.
inline QString str(const char* utf8) { return QString::fromUtf8(utf8); }

void tell(QWidget* parent, const QString& text);
// A question with two answers; true for the first. The second is the
// default, and Escape gives it too.
bool ask(QWidget* parent, const QString& text, const QString& yes, const QString& no);

}  // namespace orba::company
