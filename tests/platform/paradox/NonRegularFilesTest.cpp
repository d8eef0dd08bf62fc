// Table parts that are not regular files (a FIFO, a directory, a device, or
// a link to one of them) are refused with a message naming the file, and
// nothing blocks on them. Each case runs in a child process with an alarm,
// so that a hang fails the test instead of the whole run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "TestSupport.h"
#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace orba::pdx {
namespace {

using testing::TempDir;

enum class Kind { kFifo, kDirectory, kDevice, kLinkToFifo, kLinkToDirectory, kLinkToDevice };

const char* Name(Kind k) {
  switch (k) {
    case Kind::kFifo:
      return "a FIFO";
    case Kind::kDirectory:
      return "a directory";
    case Kind::kDevice:
      return "/dev/zero";
    case Kind::kLinkToFifo:
      return "a link to a FIFO";
    case Kind::kLinkToDirectory:
      return "a link to a directory";
    case Kind::kLinkToDevice:
      return "a link to /dev/zero";
  }
  return "";
}

// Puts a file that is not a regular one at `path` (removing what is there).
void Plant(Kind kind, const std::string& path, const std::string& scratch) {
  ::unlink(path.c_str());
  ::rmdir(path.c_str());
  switch (kind) {
    case Kind::kFifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
      break;
    case Kind::kDirectory:
      ASSERT_EQ(::mkdir(path.c_str(), 0777), 0);
      break;
    case Kind::kDevice:
      ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
      break;
    case Kind::kLinkToFifo:
      ASSERT_EQ(::mkfifo(scratch.c_str(), 0666), 0);
      ASSERT_EQ(::symlink(scratch.c_str(), path.c_str()), 0);
      break;
    case Kind::kLinkToDirectory:
      ASSERT_EQ(::mkdir(scratch.c_str(), 0777), 0);
      ASSERT_EQ(::symlink(scratch.c_str(), path.c_str()), 0);
      break;
    case Kind::kLinkToDevice:
      ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
      break;
  }
}

// Runs `body` in a child that the alarm ends after ten seconds; the child's
// exit status is 0 when body returned true.
void InChild(const std::string& what, const std::function<bool()>& body) {
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::alarm(10);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_FALSE(WIFSIGNALED(status)) << what << ": blocked (killed by signal " << WTERMSIG(status) << ")";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what << ": not refused with a clear message";
}

bool Refused(const Status& s, const std::string& file) {
  if (s.ok()) return false;
  const bool named = s.message().find(file) != std::string::npos;
  if (!named) std::fprintf(stderr, "message does not name %s: %s\n", file.c_str(), s.ToString().c_str());
  return named;
}

const Kind kKinds[] = {Kind::kFifo,       Kind::kDirectory,       Kind::kDevice,
                       Kind::kLinkToFifo, Kind::kLinkToDirectory, Kind::kLinkToDevice};

TEST(NonRegularFiles, EveryTablePartThatIsNotARegularFileIsRefused) {
  for (const char* part : {"notes.db", "notes.px", "notes.mb", "notes.db.lock"}) {
    for (Kind kind : kKinds) {
      TempDir dir;
      const std::string path = dir.File("notes.db");
      CreateOptions co;
      co.key_field_count = 1;
      ASSERT_TRUE(CreateTable(path, {FieldDef::Long("Id"), FieldDef::Memo("Note", 1)}, co).ok());
      ASSERT_TRUE(AppendRecord(path, {Value::Int(1), Value::Text(std::string(400, 'n'))}).ok());
      Plant(kind, dir.File(part), dir.File("elsewhere"));
      const std::string what = std::string(part) + " as " + Name(kind);
      InChild(what, [&] {
        // The reader: a .db or .mb that is no file is an error; an index
        // that is no file is no index (it is only a hint).
        std::unique_ptr<Table> t;
        Status s = Table::Open(path, OpenOptions(), &t);
        if (std::string(part) == "notes.db") return Refused(s, part);
        if (!s.ok()) return Refused(s, part);
        Record r;
        s = t->ReadRecord(0, &r);
        if (std::string(part) == "notes.mb") return Refused(s, part);
        if (!s.ok()) return false;
        // The writer: any part that is no file stops it before it changes anything.
        std::unique_ptr<TableWriter> w;
        s = TableWriter::Open(path, WriteOptions(), &w);
        if (s.ok()) s = w->Insert({Value::Int(2), Value::Text(std::string(300, 'm'))});
        if (s.ok()) s = w->Commit();
        if (std::string(part) == "notes.px") return s.ok() || Refused(s, part);
        return Refused(s, part);
      });
    }
  }
}

}  // namespace
}  // namespace orba::pdx
