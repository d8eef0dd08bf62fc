#pragma once

#include <QString>

namespace orba::shell {

// Printing the to-do list ("Print the list" of its menu) on the printer
// chosen on the desktop.
enum class ToDoPrinted {
  Printed,
  NoPrinter,  // no printer is set up on this computer
  Failed,     // the chosen printer could not print it
};

// Prints `text` as it is, one line after another, under `title`.
ToDoPrinted printToDoList(const QString& title, const QString& text);

}  // namespace orba::shell
