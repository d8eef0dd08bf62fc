// libFuzzer entry point: arbitrary bytes as a file of component streams (a
// desktop row, streams back to back, or a form-resource file). Reading,
// rendering as text and reading that text back must end in a value or an
// error: crashes, hangs and huge allocations are the bugs this looks for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "stream/ComponentStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orba::stream;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ResourceFrame frame = skipResourceHeader(bytes);
  if (frame.error) return 0;
  const ReadAllResult read = readComponentStreams(bytes.substr(frame.offset, frame.length));
  if (!read.ok()) return 0;
  std::string text;
  for (const Component& c : read.components) {
    text += toText(c);
    (void)writeComponentStream(c);
  }
  (void)fromText(text);
  return 0;
}
