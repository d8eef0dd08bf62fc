// BlobFileReader: reads values of memo, binary and graphic fields from a .MB.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "paradox/Env.h"
#include "paradox/Status.h"

namespace orba::pdx {

// The 10 bytes after the in-record part of a blob field.
struct BlobDescriptor {
  uint32_t location = 0;  // .MB block offset | index (0xFF = single blob)
  uint32_t length = 0;
  uint16_t mod_nr = 0;
};
BlobDescriptor DecodeBlobDescriptor(const uint8_t* p);
void EncodeBlobDescriptor(uint8_t* p, const BlobDescriptor& d);

class BlobFileReader {
 public:
  // name is used in messages.
  BlobFileReader(std::unique_ptr<RandomAccessFile> file, std::string name);

  const std::string& name() const { return name_; }
  uint64_t size() const { return file_->Size(); }

  // Reads the `length` bytes stored at `location`. Every pointer and length is
  // checked against the file before anything is allocated.
  Status Read(uint32_t location, uint32_t length, std::string* out);

 private:
  std::unique_ptr<RandomAccessFile> file_;
  std::string name_;
  // The last whole 4 KiB unit read: neighbouring records' short values share
  // a sub-allocated block. Writers only append to a .mb and never rewrite a
  // block a committed record points to, so the copy stays true.
  uint64_t cached_offset_ = 0;  // 0: nothing cached (never a value's offset)
  std::string cached_unit_;
};

}  // namespace orba::pdx
