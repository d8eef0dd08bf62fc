#pragma once

// A new installation's system folder. The program is installed with its
// settings and an empty data folder; the first company creation also makes
// the system tables there: the list of companies, the languages, the
// desktops (with their index on the user, as every installation has it) and
// the list of users with its first user, who holds every right and logs in
// without a password dialog while alone.

#include <QString>

namespace orba::company {

// The first user of a new installation. The password is stored in upper
// case, as the login looks it up.
inline const QString kFirstUserCode = QString::fromUtf8("ADMIN");
inline const QString kFirstUserPassword = QString::fromUtf8("ADMIN");

// True when the folder holds neither comp.db nor user.db (in any letter
// case).
bool isBlankInstallation(const QString& dataDir);

// Makes the system tables that are missing (an interrupted earlier try is
// completed, nothing that exists is touched). The first user's language is
// `language` (1 English, 2 French; anything else gives English) and their
// company 1. Throws data::DatabaseError with the reason.
void initialiseSystemFolder(const QString& dataDir, int language);

}  // namespace orba::company
