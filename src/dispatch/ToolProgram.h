#pragma once

#include <QString>

namespace orba::dispatch {

// Where the external program of a Tools entry is found. A name without a
// folder is looked for in the entry's working folder, then in the program
// folder, then in the absolute folders of the search path; a relative name
// with a folder ("bin/report", "./report") only in the working folder and
// the program folder; an absolute name is taken as it is. The current folder
// is never searched, not even through an empty or "." entry of the search
// path: any member of the office could put a program of their own there.
// Returns the program's absolute path, or empty text when it is not found
// as an executable regular file.
QString findToolProgram(const QString& name, const QString& workingFolder, const QString& programFolder,
                        const QString& searchPath);

}  // namespace orba::dispatch
