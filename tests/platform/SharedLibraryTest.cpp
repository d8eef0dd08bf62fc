#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "SharedLibrary.h"

using orba::loader::SharedLibrary;

TEST(SharedLibrary, LoadsByAbsolutePathAndFindsExports) {
  SharedLibrary lib = SharedLibrary::loadFile(VERSIONED_FIXTURE);
  ASSERT_TRUE(lib.isLoaded()) << lib.errorText();
  auto marker = reinterpret_cast<int (*)()>(lib.symbol("versioned_fixture_marker"));
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker(), 1);
  EXPECT_EQ(lib.symbol("no_such_routine"), nullptr);
  lib.unload();
  EXPECT_FALSE(lib.isLoaded());
  EXPECT_EQ(lib.symbol("versioned_fixture_marker"), nullptr);
}

TEST(SharedLibrary, RefusesRelativePathsWithoutSearching) {
  SharedLibrary lib = SharedLibrary::loadFile("libm.so.6");
  EXPECT_FALSE(lib.isLoaded());
  EXPECT_EQ(lib.failure(), SharedLibrary::Failure::NotFound);
}

TEST(SharedLibrary, NamesTheReasonOfAFailedLoad) {
  QTemporaryDir dir;
  SharedLibrary missing = SharedLibrary::loadFile((dir.path() + "/gl03.so").toStdString());
  EXPECT_EQ(missing.failure(), SharedLibrary::Failure::NotFound);
  EXPECT_NE(missing.errorText().find("gl03.so"), std::string::npos);

  const QString junk = dir.filePath("junk.so");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(4096, 'x'));
  f.close();
  SharedLibrary bad = SharedLibrary::loadFile(junk.toStdString());
  EXPECT_FALSE(bad.isLoaded());
  EXPECT_EQ(bad.failure(), SharedLibrary::Failure::BadFormat);
}
