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

  // The file is there; a library it needs is not.
  SharedLibrary needs = SharedLibrary::loadFile(NEEDS_ABSENT_FIXTURE);
  EXPECT_FALSE(needs.isLoaded());
  EXPECT_EQ(needs.failure(), SharedLibrary::Failure::MissingDependency);
  EXPECT_NE(needs.errorText().find("liborba_absent_fixture.so"), std::string::npos) << needs.errorText();

  SharedLibrary unresolved = SharedLibrary::loadFile(UNRESOLVED_FIXTURE);
  EXPECT_FALSE(unresolved.isLoaded());
  EXPECT_EQ(unresolved.failure(), SharedLibrary::Failure::Other);
  EXPECT_NE(unresolved.errorText().find("orba_fixture_nowhere"), std::string::npos) << unresolved.errorText();
}

// A library found by its name through the loader's search, and one the
// search does not find.
TEST(SharedLibrary, LoadsByNameThroughTheLoadersSearch) {
  SharedLibrary libm = SharedLibrary::loadByName("libm.so.6");
  ASSERT_TRUE(libm.isLoaded()) << libm.errorText();
  EXPECT_EQ(libm.failure(), SharedLibrary::Failure::None);
  EXPECT_NE(libm.symbol("cos"), nullptr);
  SharedLibrary none = SharedLibrary::loadByName("liborba_no_such_library.so");
  EXPECT_FALSE(none.isLoaded());
  EXPECT_EQ(none.failure(), SharedLibrary::Failure::NotFound);

  // Moved, the library goes with it and leaves nothing to unload.
  SharedLibrary moved = std::move(libm);
  EXPECT_TRUE(moved.isLoaded());
  EXPECT_FALSE(libm.isLoaded());
}
