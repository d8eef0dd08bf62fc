// Streams written by other software, read from the shared test data (never
// copied into the project): each must read, render to the text its twin .txt
// holds (made by an independent converter), and come back byte for byte from
// our writer. Skipped when the folder is not there.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "stream/ComponentStream.h"

namespace fs = std::filesystem;
using namespace orba::stream;

namespace {

fs::path dataFolder() {
  const char* root = std::getenv("ORBA_TESTDATA");
  return root ? fs::path(root) / "tpf0" : fs::path();
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every binary stream: files with a .txt twin, outside text-twins/.
std::vector<fs::path> realStreams() {
  std::vector<fs::path> files;
  const fs::path root = dataFolder();
  std::error_code ec;
  if (root.empty() || !fs::is_directory(root, ec)) return files;
  for (const auto& e : fs::recursive_directory_iterator(root, ec)) {
    const fs::path p = e.path();
    if (!e.is_regular_file() || p.extension() == ".txt" || p.extension() == ".md") continue;
    if (p.parent_path().filename() == "text-twins") continue;
    if (fs::exists(p.string() + ".txt")) files.push_back(p);
  }
  std::sort(files.begin(), files.end());
  return files;
}

struct Loaded {
  std::string bytes;
  ResourceFrame frame;
  ReadAllResult read;
  std::vector<size_t> starts;  // where each back-to-back stream begins
};

Loaded load(const fs::path& p) {
  Loaded l;
  l.bytes = slurp(p);
  l.frame = skipResourceHeader(l.bytes);
  const std::string_view stream = std::string_view(l.bytes).substr(l.frame.offset, l.frame.length);
  l.read = readComponentStreams(stream);
  size_t at = 0;
  for (size_t i = 0; i < l.read.components.size(); ++i) {
    l.starts.push_back(at);
    at = readComponentStream(stream, at).end;
  }
  l.starts.push_back(at);
  return l;
}

bool integersAreSmallest(const std::vector<Property>& props);

bool valueIsSmallest(const Value& v) {
  if (v.isInteger()) return v.type == Value::Integer(v.integer).type;
  for (const Value& item : v.list)
    if (!valueIsSmallest(item)) return false;
  for (const CollectionItem& item : v.items) {
    if (item.order && item.orderType != Value::Integer(*item.order).type) return false;
    if (!integersAreSmallest(item.properties)) return false;
  }
  return true;
}

bool integersAreSmallest(const std::vector<Property>& props) {
  for (const Property& p : props)
    if (!valueIsSmallest(p.value)) return false;
  return true;
}

bool componentIsSmallest(const Component& c) {
  if ((c.flags & kFlagChildPos) && c.childPosType != Value::Integer(c.childPos).type) return false;
  if (!integersAreSmallest(c.properties)) return false;
  for (const Component& child : c.children)
    if (!componentIsSmallest(child)) return false;
  return true;
}

class RealStreams : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = realStreams();
    if (files_.empty()) GTEST_SKIP() << "sample files not present ($ORBA_TESTDATA/tpf0)";
  }
  std::vector<fs::path> files_;
};

TEST_F(RealStreams, EveryFileReadsWholeAndRendersAsItsTextTwin) {
  EXPECT_EQ(files_.size(), 27u);
  size_t components = 0;
  for (const fs::path& p : files_) {
    SCOPED_TRACE(p.filename().string());
    const Loaded l = load(p);
    ASSERT_FALSE(l.frame.error) << l.frame.error->toString();
    ASSERT_TRUE(l.read.ok()) << l.read.error->toString();
    // The resource's declared size runs to the end of the file, and the
    // streams fill it exactly: nothing is left unread.
    EXPECT_EQ(l.frame.offset + l.frame.length, l.bytes.size());
    EXPECT_EQ(l.starts.back(), l.frame.length);
    EXPECT_EQ(l.frame.offset == 0, p.extension() == ".CMP" || p.extension() == ".DMT");
    std::string text;
    for (const Component& c : l.read.components) text += toText(c);
    // Compared exactly, line layout included: the twins wrap binary data at
    // 32 bytes a line and leave long strings whole, as toText does.
    EXPECT_EQ(text, slurp(p.string() + ".txt"));
    components += l.read.components.size();
  }
  EXPECT_GE(components, 27u + 30 + 3 + 8 - 3);
}

TEST_F(RealStreams, OurWriterReproducesEveryStreamThatUsesTheSmallestIntegers) {
  std::set<std::string> notSmallest;
  size_t identical = 0;
  for (const fs::path& p : files_) {
    SCOPED_TRACE(p.filename().string());
    const Loaded l = load(p);
    ASSERT_TRUE(l.read.ok());
    const std::string_view stream = std::string_view(l.bytes).substr(l.frame.offset, l.frame.length);
    for (size_t i = 0; i < l.read.components.size(); ++i) {
      const Component& c = l.read.components[i];
      const std::string written = writeComponentStream(c);
      const std::string_view original = stream.substr(l.starts[i], l.starts[i + 1] - l.starts[i]);
      if (componentIsSmallest(c)) {
        EXPECT_TRUE(written == original) << "stream " << i;
        identical += written == original;
      } else {
        notSmallest.insert(p.filename().string());
        // Only the widths change: the tree reads back equal and the stream
        // can only shrink.
        const ReadResult again = readComponentStream(written);
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(again.component, c);
        EXPECT_LT(written.size(), original.size());
      }
    }
  }
  // Every stream of the shared data turned out to use the smallest widths, so
  // every one is compared byte for byte; a file added later that does not
  // shows up here by name.
  EXPECT_EQ(notSmallest, std::set<std::string>());
  EXPECT_GE(identical, 27u + 30 + 3 + 8 - 3);
}

TEST_F(RealStreams, TheTextTwinConvertsBackToTheOriginalBytes) {
  for (const fs::path& p : files_) {
    SCOPED_TRACE(p.filename().string());
    const Loaded l = load(p);
    const std::string_view stream = std::string_view(l.bytes).substr(l.frame.offset, l.frame.length);
    const TextReadResult parsed = fromText(slurp(p.string() + ".txt"));
    ASSERT_TRUE(parsed.ok()) << parsed.error->toString();
    ASSERT_EQ(parsed.components.size(), l.read.components.size());
    std::string written;
    for (const Component& c : parsed.components) written += writeComponentStream(c);
    EXPECT_TRUE(written == stream) << "the binary of the text differs from the original";
  }
}

TEST_F(RealStreams, EveryCutOfASmallRealStreamIsAnError) {
  for (const fs::path& p : files_) {
    if (fs::file_size(p) > 1200) continue;  // the small ones cover every value kind they hold
    SCOPED_TRACE(p.filename().string());
    const Loaded l = load(p);
    const std::string first = std::string(l.bytes.substr(l.frame.offset, l.starts[1]));
    for (size_t n = 0; n < first.size(); ++n) {
      const ReadResult r = readComponentStream(std::string_view(first).substr(0, n));
      ASSERT_FALSE(r.ok()) << "cut at " << n;
      EXPECT_LE(r.error->offset, n);
    }
  }
}

}  // namespace
