#include "SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>

namespace orba::settings {

namespace {

using Kind = SettingsProblem::Kind;

IniDocument fail(const QString& path, Kind kind, const QString& detail,
                 std::optional<SettingsProblem>* problem) {
  if (problem) *problem = SettingsProblem{path, kind, detail};
  return {};
}

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool hasControlBytes(const QByteArray& bytes) {
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u == 0 || (u < 0x20 && u != '\n' && u != '\r' && u != '\t')) return true;
  }
  return false;
}

}  // namespace

QString SettingsProblem::describe() const {
  QString what;
  switch (kind) {
    case Kind::NotAFile:
      what = QStringLiteral("is not a file (%1)").arg(detail);
      break;
    case Kind::Unreadable:
      what = QStringLiteral("cannot be read (%1)").arg(detail);
      break;
    case Kind::TooLarge:
      what = QStringLiteral("is larger than 1 MB");
      break;
    case Kind::Empty:
      what = QStringLiteral("is empty");
      break;
    case Kind::Binary:
      what = QStringLiteral("holds binary data, not settings");
      break;
    case Kind::Utf16:
      what = QStringLiteral("is UTF-16 text; settings files are UTF-8");
      break;
    case Kind::NotUtf8:
      what = QStringLiteral("is not UTF-8 text");
      break;
    case Kind::NoSection:
      what = QStringLiteral("has no [Orba] or [Settings] section");
      break;
  }
  return file + QStringLiteral(": ") + what;
}

IniDocument readSettingsFile(const QString& path, std::optional<SettingsProblem>* problem) {
  if (problem) problem->reset();
  if (path.isEmpty()) return {};
  const QByteArray native = path.toLocal8Bit();
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT) return {};  // no file: every value takes its default
    return fail(path, Kind::Unreadable, systemError(err), problem);
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return fail(path, Kind::Unreadable, systemError(err), problem);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    const QString kind = S_ISDIR(st.st_mode)    ? QStringLiteral("a directory")
                         : S_ISFIFO(st.st_mode) ? QStringLiteral("a FIFO")
                                                : QStringLiteral("a device");
    return fail(path, Kind::NotAFile, kind, problem);
  }
  if (st.st_size > kMaxSettingsFileSize) {
    ::close(fd);
    return fail(path, Kind::TooLarge, {}, problem);
  }
  // Read at most one byte past the limit: a file that grows while it is
  // read is still caught.
  QByteArray bytes;
  bytes.resize(static_cast<qsizetype>(kMaxSettingsFileSize) + 1);
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return fail(path, Kind::Unreadable, systemError(err), problem);
    }
    if (n == 0) break;
    done += n;
  }
  ::close(fd);
  bytes.truncate(done);
  if (done > kMaxSettingsFileSize) return fail(path, Kind::TooLarge, {}, problem);
  if (bytes.isEmpty()) return fail(path, Kind::Empty, {}, problem);
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
    return fail(path, Kind::Utf16, {}, problem);
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  if (hasControlBytes(bytes)) return fail(path, Kind::Binary, {}, problem);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(bytes);
  if (utf8.hasError()) return fail(path, Kind::NotUtf8, {}, problem);
  IniDocument doc = IniDocument::parse(text);
  if (!doc.hasSections()) return fail(path, Kind::NoSection, {}, problem);
  return doc;
}

}  // namespace orba::settings
