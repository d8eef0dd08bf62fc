// pdxtool as an administrator or a script uses it: tables made, filled,
// changed and read back through the engine, every change all or nothing.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "paradox/Table.h"
#include "paradox/TableWriter.h"

namespace {

struct Outcome {
  int status;
  QString out, err;
};

class Pdxtool : public ::testing::Test {
 protected:
  QTemporaryDir dir;

  Outcome run(const QStringList& arguments) {
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(PDXTOOL, arguments);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
  }
  void write(const QString& name, const QString& text) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
  }
  // Every file of the table, byte for byte.
  QByteArray files(const QString& table) {
    QByteArray all;
    for (const char* ext : {".db", ".px", ".mb", ".x02", ".y02"}) {
      QFile f(dir.filePath(table + ext));
      if (f.open(QIODevice::ReadOnly)) all += QByteArray(ext) + f.readAll();
    }
    return all;
  }
};

const char kEveryType[] = "K:I*,A:A:20,S:S,N:N,M:$,D:D,T:T,TS:@,L:L,Y:Y:4,AI:+,Memo:M:10,Blob:B:0,Pic:G:0";

TEST_F(Pdxtool, CreateImportAndDumpRoundTripEveryWritableType) {
  ASSERT_EQ(run({"create", "all.db", kEveryType}).status, 0);
  const QString rows =
      "K\tA\tS\tN\tM\tD\tT\tTS\tL\tY\tAI\tMemo\tBlob\tPic\n"
      "1\tÉté\\tà Montréal\t-3\t2.5\t-12.25\t2024-02-29\t13:45:07.250\t2024-02-29 "
      "13:45:07\ttrue\t00ff10ab\t7\t"
      "a memo\\nof two lines, longer than its part in the record\t0102\tffd8ffe0\n"
      "2\t\t\t\t\t\t\t\t\t\t8\t\t\t\n"
      "3\tback\\\\slash\t32767\t-1e+100\t0\t1900-01-01\t00:00:00\t2000-12-31 "
      "23:59:59.999\tfalse\t00000001\t9\t"
      "short\t\t\n";
  write("rows.tsv", rows);
  const Outcome imported = run({"import", "all.db", "rows.tsv"});
  ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
  const Outcome dumped = run({"dump", "all.db"});
  ASSERT_EQ(dumped.status, 0);
  EXPECT_EQ(dumped.out, rows);
  const Outcome info = run({"info", "all.db"});
  EXPECT_TRUE(info.out.startsWith("records: 3\nK\tI\t4\nA\tA\t20\n")) << info.out.toStdString();
}

TEST_F(Pdxtool, AnImportWithOneBadRowLeavesTheTableByteIdentical) {
  ASSERT_EQ(run({"create", "t.db", "Code:A:5*,Amount:$,Day:D,Note:M:5"}).status, 0);
  write("first.tsv", "Code\tNote\tAmount\nA\tsome note beyond the record\t1.5\n");
  ASSERT_EQ(run({"import", "t.db", "first.tsv"}).status, 0);
  const QByteArray before = files("t");
  struct Case {
    const char* text;
    const char* says;
  };
  const Case cases[] = {
      {"Code\tDay\tNote\nB\t2024-01-01\tlong enough to reach the blob file\nC\t2024-13-01\tx\n",
       "bad.tsv:3: field 'Day': '2024-13-01' is not a date"},
      {"Code\tAmount\nB\t1\nC\tten\n", "bad.tsv:3: field 'Amount': 'ten' is not a number"},
      {"Code\tAmount\nB\t1\nA\t2\n", "bad.tsv:3: t.db: duplicate key (A)"},
      {"Code\tColour\nB\tred\n", "bad.tsv:1: the table has no field 'Colour'"},
      {"Code\tAmount\nB\t1\t2\n", "bad.tsv:2: 3 values for 2 fields"},
      {"Code\tNote\nB\tbad \\q escape\n", "bad.tsv:2: field 'Note': unknown escape \\q"},
      {"Code\nTOOLONG\n", "bad.tsv:2: t.db: field 'Code'"},
  };
  for (const Case& c : cases) {
    write("bad.tsv", c.text);
    const Outcome o = run({"import", "t.db", "bad.tsv"});
    EXPECT_EQ(o.status, 1) << c.says;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
    EXPECT_EQ(files("t"), before) << c.says << ": the table changed";
  }
}

// Input no table can hold is refused with its line and field, nothing
// written: a day that does not exist, autoincrement numbers that are not
// positive or that the table (or the file) has given already, a field the
// first line names twice.
TEST_F(Pdxtool, ImpossibleValuesAreRefusedWithTheirLineAndField) {
  ASSERT_EQ(run({"create", "t.db", "Code:A:5*,N:+,Day:D,At:@"}).status, 0);
  write("first.tsv", "Code\tDay\nA\t2024-02-29\nB\t\n");
  ASSERT_EQ(run({"import", "t.db", "first.tsv"}).status, 0);
  const QByteArray before = files("t");
  struct Case {
    const char* text;
    const char* says;
  };
  const Case cases[] = {
      {"Code\tDay\nC\t2026-02-28\nD\t2026-02-30\n", "bad.tsv:3: field 'Day': '2026-02-30' is not a date"},
      {"Code\tDay\nC\t2023-02-29\n", "bad.tsv:2: field 'Day': '2023-02-29' is not a date"},
      {"Code\tDay\nC\t2026-04-31\n", "bad.tsv:2: field 'Day': '2026-04-31' is not a date"},
      {"Code\tAt\nC\t2026-02-30 10:00:00\n",
       "bad.tsv:2: field 'At': '2026-02-30 10:00:00' is not a timestamp"},
      {"Code\tN\nC\t0\n", "bad.tsv:2: field 'N': '0' is not an autoincrement number"},
      {"Code\tN\nC\t-4\n", "bad.tsv:2: field 'N': '-4' is not an autoincrement number"},
      {"Code\tN\nC\t7\nD\t7\n", "bad.tsv:3: field 'N': the number 7 is taken already"},
      {"Code\tN\nC\t2\n", "bad.tsv:2: field 'N': the number 2 is taken already"},
      {"Code\tDay\tcode\nC\t\tD\n", "bad.tsv:1: field 'Code' is named twice"},
  };
  for (const Case& c : cases) {
    write("bad.tsv", c.text);
    const Outcome o = run({"import", "t.db", "bad.tsv"});
    EXPECT_EQ(o.status, 1) << c.says;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
    EXPECT_EQ(files("t"), before) << c.says << ": the table changed";
  }
  const Case sets[] = {{"2026-02-30", "field 'Day': '2026-02-30' is not a date"}};
  for (const Case& c : sets) {
    const Outcome o = run({"set", "t.db", "1", "Day", c.text});
    EXPECT_EQ(o.status, 1) << c.says;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
  }
  for (const char* n : {"0", "-1", "2"}) {
    const Outcome o = run({"set", "t.db", "1", "N", n});
    EXPECT_EQ(o.status, 1) << n;
    EXPECT_TRUE(o.err.contains("field 'N'")) << o.err.toStdString();
  }
  EXPECT_EQ(files("t"), before);
  EXPECT_EQ(run({"set", "t.db", "1", "N", "1"}).status, 0) << "its own number is no duplicate";
  EXPECT_EQ(run({"set", "t.db", "1", "N", "40"}).status, 0);
  EXPECT_EQ(run({"dump", "t.db"}).out, "Code\tN\tDay\tAt\nA\t40\t2024-02-29\t\nB\t2\t\t\n");
}

// A memo file damaged in one block header: a change is refused and every
// other record keeps its memo; the file is not cut.
TEST_F(Pdxtool, ADamagedMemoFileIsNeitherCutNorWrittenBySet) {
  ASSERT_EQ(run({"create", "t.db", "Id:I*,Note:M:10"}).status, 0);
  QString rows = "Id\tNote\n";
  for (int i = 0; i < 20; ++i) rows += QString("%1\t%2\n").arg(i).arg(QString(3000 + i, QChar('a' + i)));
  write("rows.tsv", rows);
  ASSERT_EQ(run({"import", "t.db", "rows.tsv"}).status, 0);
  QFile mb(dir.filePath("t.mb"));
  ASSERT_TRUE(mb.open(QIODevice::ReadWrite));
  QByteArray bytes = mb.readAll();
  // The units word of the fifth block (after the header): it now claims to
  // run far past the end of the file.
  const int block = 5 * 4096;
  ASSERT_EQ(bytes[block], 2);
  bytes[block + 1] = '\xFF';
  bytes[block + 2] = '\x7F';
  mb.seek(0);
  mb.write(bytes);
  mb.close();
  const QByteArray before = files("t");
  const Outcome o = run({"set", "t.db", "10", "Note", QString(3000, 'Z')});
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(o.err.contains("t.mb")) << o.err.toStdString();
  EXPECT_EQ(files("t"), before);
  std::unique_ptr<orba::pdx::Table> t;
  ASSERT_TRUE(orba::pdx::Table::Open(dir.filePath("t.db").toStdString(), {}, &t).ok());
  for (uint32_t i = 0; i < 20; ++i) {
    if (i == 4) continue;  // the record of the damaged block
    orba::pdx::Record r;
    ASSERT_TRUE(t->ReadRecord(i, &r).ok()) << i;
    EXPECT_EQ(r[1].text(), std::string(3000 + i, static_cast<char>('a' + i)))
        << "record " << i << " lost its memo";
  }
}

TEST_F(Pdxtool, SetAndDeleteChangeOneRecordOrNothing) {
  ASSERT_EQ(run({"create", "t.db", "Code:A:5*,Amount:$"}).status, 0);
  write("rows.tsv", "Code\tAmount\nA\t1\nB\t2\nC\t3\n");
  ASSERT_EQ(run({"import", "t.db", "rows.tsv"}).status, 0);
  EXPECT_EQ(run({"set", "t.db", "2", "Amount", "-20.5"}).status, 0) << "a negative value is no option";
  EXPECT_EQ(run({"set", "t.db", "3", "Code", "AA"}).status, 0) << "the record moves to its new key";
  EXPECT_EQ(run({"dump", "t.db"}).out, "Code\tAmount\nA\t1\nAA\t3\nB\t-20.5\n");
  const QByteArray before = files("t");
  struct Case {
    QStringList arguments;
    const char* says;
  };
  const Case cases[] = {
      {{"set", "t.db", "9", "Amount", "1"}, "record 9 does not exist (the table has 3, counted from 1)"},
      {{"set", "t.db", "1", "Colour", "red"}, "the table has no field 'Colour'"},
      {{"set", "t.db", "1", "Amount", "lots"}, "field 'Amount': 'lots' is not a number"},
      {{"set", "t.db", "1", "Code", "B"}, "duplicate key (B)"},
      {{"delete", "t.db", "0"}, "record 0 does not exist"},
  };
  for (const Case& c : cases) {
    const Outcome o = run(c.arguments);
    EXPECT_EQ(o.status, 1) << c.says;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
    EXPECT_EQ(files("t"), before) << c.says;
  }
  EXPECT_EQ(run({"delete", "t.db", "2"}).status, 0);
  EXPECT_EQ(run({"dump", "t.db"}).out, "Code\tAmount\nA\t1\nB\t-20.5\n");
}

// The index is made on disk beside the table, lookups go through it, and
// later changes through pdxtool keep it current; fields it cannot order,
// unknown ones and an index made twice leave the files as they were.
TEST_F(Pdxtool, IndexGivesATableAnIndexThatLaterChangesKeep) {
  ASSERT_EQ(run({"create", "t.db", "Code:A:5*,City:A:20,Amount:$,Note:M:10"}).status, 0);
  write("rows.tsv", "Code\tCity\nA\tLaval\nB\tAlma\nC\tLaval\nD\t\nE\tlaval\n");
  ASSERT_EQ(run({"import", "t.db", "rows.tsv"}).status, 0);
  const Outcome made = run({"index", "t.db", "city"});
  EXPECT_EQ(made.status, 0) << made.err.toStdString();
  EXPECT_EQ(made.err, "");
  ASSERT_TRUE(QFile::exists(dir.filePath("t.x02")));
  ASSERT_TRUE(QFile::exists(dir.filePath("t.y02")));
  ASSERT_EQ(run({"set", "t.db", "2", "City", "Laval"}).status, 0);
  ASSERT_EQ(run({"delete", "t.db", "1"}).status, 0);

  std::unique_ptr<orba::pdx::Table> t;
  ASSERT_TRUE(orba::pdx::Table::Open(dir.filePath("t.db").toStdString(), {}, &t).ok());
  ASSERT_EQ(t->secondary_indexes().size(), 1u);
  EXPECT_EQ(t->secondary_indexes()[0].file, "t.x02");
  EXPECT_TRUE(t->secondary_indexes()[0].status.ok()) << t->secondary_indexes()[0].status.ToString();
  std::vector<uint32_t> found;
  bool used = false;
  ASSERT_TRUE(t->FindEqual(0, {orba::pdx::Value::Text("Laval")}, &found, &used).ok());
  EXPECT_TRUE(used);
  EXPECT_EQ(found, (std::vector<uint32_t>{0, 1})) << "B moved to Laval, A deleted, E's case differs";

  const QByteArray before = files("t");
  struct Case {
    const char* field;
    const char* says;
  };
  const Case cases[] = {{"Note", "t.db: cannot index field 'Note'"},
                        {"Colour", "t.db: no field 'Colour'"},
                        {"CITY", "t.db: field 'City' has its index already (t.x02)"}};
  for (const Case& c : cases) {
    const Outcome o = run({"index", "t.db", c.field});
    EXPECT_EQ(o.status, 1) << c.says;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
    EXPECT_EQ(files("t"), before) << c.says;
  }
  EXPECT_EQ(run({"index", "t.db"}).status, 2);
}

TEST_F(Pdxtool, ALockedTableIsReportedAfterTheWaitAndLeftAlone) {
  ASSERT_EQ(run({"create", "t.db", "Code:A:5*"}).status, 0);
  const QByteArray before = files("t");
  {
    std::unique_ptr<orba::pdx::TableWriter> holder;
    ASSERT_TRUE(
        orba::pdx::TableWriter::Open(dir.filePath("t.db").toStdString(), orba::pdx::WriteOptions(), &holder)
            .ok());
    write("rows.tsv", "Code\nA\n");
    const Outcome o = run({"--wait=0", "import", "t.db", "rows.tsv"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.err.contains("table t.db is in use by another program or workstation"))
        << o.err.toStdString();
    EXPECT_EQ(files("t"), before);
  }
  EXPECT_EQ(run({"--wait=0", "import", "t.db", "rows.tsv"}).status, 0);
}

TEST_F(Pdxtool, BadDefinitionsAndEachCommandsHelp) {
  struct Case {
    const char* fields;
    const char* says;
  };
  const Case cases[] = {{"Name:A", "type A needs a size"},
                        {"Name:A:300", "is not a number from 0 to 255"},
                        {"Id:I,Code:A:3*", "key fields must come first"},
                        {"Id:Q", "unknown type 'Q'"},
                        {"Id", "expected name:type"},
                        {"Id:I:4", "type I takes no size"}};
  for (const Case& c : cases) {
    const Outcome o = run({"create", "x.db", c.fields});
    EXPECT_EQ(o.status, 1) << c.fields;
    EXPECT_TRUE(o.err.contains(c.says)) << o.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.db")));
  }
  for (const char* command : {"info", "dump", "create", "import", "delete", "set", "index"}) {
    const Outcome help = run({"help", command});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QString("usage: pdxtool ") + command)) << help.out.toStdString();
    EXPECT_EQ(run({command, "--help"}).out, help.out);
  }
  EXPECT_EQ(run({"frobnicate", "t.db"}).status, 2);
}

}  // namespace
