#pragma once

#include <QString>
#include <QStringList>

namespace orba::demo {

// The program a demo installation runs: the root of its program folder
// (pgmdrive), and how to start the desktop on the demo.

// The root of the installed program this tool belongs to, found from the
// tool's own folder the way the package lays them out (usr/bin beside
// usr/lib/castellan); empty when the tool does not stand in such a tree (a
// build folder, for one).
QString installedProgramRoot();

// What a program root lacks for the desktop to run from it: its program
// (ROOT/Orba/bin/orba) and its English language table; empty when nothing.
QStringList missingProgramFiles(const QString& programRoot);

// The command that starts the desktop on the demo whose settings are
// `settingsFile`, with the demo's own per-user file beside it: the program
// by the path given, quoted for a POSIX shell where needed.
QString startCommand(const QString& settingsFile, const QString& userSettingsFile, const QString& program);

// The program to name in that command: the `orba` beside this tool when it
// leads to the one in the program folder (/usr/bin/orba for the package),
// otherwise the one in the program folder itself.
QString programToStart(const QString& programRoot);

}  // namespace orba::demo
