#pragma once

#include <QString>

namespace orba::settings {

// Where the program and its data are when the settings name no other place:
// the defaults of pgmdrive and datadrive in the [Orba] section. The build
// takes both from the install layout (cmake/InstallLayout.cmake), so that
// the package, the settings file it ships and these defaults agree. A
// settings file that names other roots (an older installation's
// /opt/castellan and /var/opt/castellan, say) is followed as it is.
inline const QString kDefaultProgramDrive = QStringLiteral(ORBA_DEFAULT_PGMDRIVE);
inline const QString kDefaultDataDrive = QStringLiteral(ORBA_DEFAULT_DATADRIVE);

}  // namespace orba::settings
