#pragma once

#include <QString>

namespace orba::shell {

// The data folder at the start of a run, before the system tables are
// opened. A new installation is given as its settings and the folder named
// by `datadrive`: the data folder below it (datadrive + "/Orba/data") is
// made there, shared like the folder that holds it (its group, its group's
// and others' bits), and set-group-ID when that group may write in it, so
// that all the office's accounts can use whatever any of them makes there;
// the first start then goes on to company creation. The folder `datadrive`
// names is never made: a missing one is a wrong setting or a drive that is
// not mounted.
struct DataFolderState {
  enum class Kind {
    Ready,        // the data folder is there and, if empty, writable
    Made,         // it was missing and was made
    MissingRoot,  // `folder` (datadrive itself) does not exist or is no folder
    NotWritable,  // the account may not write in `folder`, where the data belongs
    CannotMake,   // making `folder` failed for another reason: `detail`
  };
  Kind kind = Kind::Ready;
  QString folder;
  QString detail;

  bool usable() const { return kind == Kind::Ready || kind == Kind::Made; }
};

// Checks the data folder `dataDir` below `dataDrive` (the raw setting) and
// makes it when it is missing and its parent can hold it.
DataFolderState prepareDataFolder(const QString& dataDrive, const QString& dataDir);

}  // namespace orba::shell
