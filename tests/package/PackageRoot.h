#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A Debian package unpacked into a throw-away folder, and the programs run
// from there.

struct ProcessRun {
  bool finished = false;  // ended by itself within the time allowed
  int exitCode = -1;
  QString out;
  QString err;
  QString describe() const;  // for failure messages
};

ProcessRun runProcess(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                      const QString& workingDirectory = {}, int timeoutMs = 120000);

// The environment of a session without any display.
QProcessEnvironment withoutDisplay(QProcessEnvironment env = QProcessEnvironment::systemEnvironment());

class PackageRoot {
 public:
  // Unpacks the files into root() and the control files into control().
  explicit PackageRoot(const QString& packageFile);

  const QString& error() const { return error_; }  // empty when unpacked
  QString root() const { return dir_.filePath(QStringLiteral("root")); }
  QString control() const { return dir_.filePath(QStringLiteral("control")); }
  QString scratch() const { return dir_.filePath(QStringLiteral("scratch")); }
  // A path of the installed system, inside the root: "/usr/bin/orba".
  QString path(const QString& installed) const { return root() + installed; }
  QString field(const QString& name) const;
  // Every file and link the package installs, as "/usr/bin/orba".
  QStringList files() const;

 private:
  QTemporaryDir dir_;
  QString package_;
  QString error_;
};

// The text of a file, gunzipped when its name ends in ".gz".
QString readText(const QString& path);
