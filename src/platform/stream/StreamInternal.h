// Helpers shared by the reader, the writer and the text form.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "stream/ComponentStream.h"

namespace orba::stream {

ValueType smallestIntegerType(int64_t v);
std::array<uint8_t, 10> encodeExtended(long double v);
long double decodeExtended(const std::array<uint8_t, 10>& bytes);
// Malformed sequences become U+FFFD, one per byte.
std::vector<char32_t> decodeUtf8(std::string_view s);

}  // namespace orba::stream
