#include "PackageRoot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

QString ProcessRun::describe() const {
  return QStringLiteral("%1, status %2\n--- out\n%3--- err\n%4")
      .arg(finished ? QStringLiteral("finished") : QStringLiteral("did not finish"))
      .arg(exitCode)
      .arg(out, err);
}

ProcessRun runProcess(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
                      const QString& workingDirectory, int timeoutMs) {
  QProcess process;
  process.setProcessEnvironment(env);
  if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
  process.start(program, arguments);
  ProcessRun run;
  if (!process.waitForStarted(10000)) {
    run.err = program + QStringLiteral(": ") + process.errorString();
    return run;
  }
  run.finished = process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
  }
  run.exitCode = run.finished ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

QProcessEnvironment withoutDisplay(QProcessEnvironment env) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    env.remove(QString::fromLatin1(name));
  return env;
}

PackageRoot::PackageRoot(const QString& packageFile) : package_(packageFile) {
  if (!QFile::exists(packageFile)) {
    error_ = QStringLiteral("no package %1 (cmake --build build --target deb makes it)").arg(packageFile);
    return;
  }
  QDir().mkpath(scratch());
  for (const auto& [option, folder] :
       {std::pair{QStringLiteral("-x"), root()}, std::pair{QStringLiteral("-e"), control()}}) {
    const ProcessRun run = runProcess(QStringLiteral("dpkg-deb"), {option, packageFile, folder});
    if (!run.finished || run.exitCode != 0) {
      error_ = QStringLiteral("dpkg-deb %1: %2").arg(option, run.describe());
      return;
    }
  }
}

QString PackageRoot::field(const QString& name) const {
  return runProcess(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), package_, name}).out.trimmed();
}

QStringList PackageRoot::files() const {
  QStringList out;
  QDirIterator it(root(), QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) out << it.next().mid(root().size());
  out.sort();
  return out;
}

QString readText(const QString& path) {
  if (path.endsWith(QStringLiteral(".gz"))) {
    const ProcessRun run = runProcess(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    return run.exitCode == 0 ? run.out : QString();
  }
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
