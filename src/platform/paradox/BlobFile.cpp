#include "paradox/BlobFile.h"

#include "paradox/Coding.h"
#include "paradox/Format.h"

namespace orba::pdx {

namespace f = format;

BlobDescriptor DecodeBlobDescriptor(const uint8_t* p) {
  BlobDescriptor d;
  d.location = GetU32(p);
  d.length = GetU32(p + 4);
  d.mod_nr = GetU16(p + 8);
  return d;
}

void EncodeBlobDescriptor(uint8_t* p, const BlobDescriptor& d) {
  PutU32(p, d.location);
  PutU32(p + 4, d.length);
  PutU16(p + 8, d.mod_nr);
}

BlobFileReader::BlobFileReader(std::unique_ptr<RandomAccessFile> file, std::string name)
    : file_(std::move(file)), name_(std::move(name)) {}

Status BlobFileReader::Read(uint32_t location, uint32_t length, std::string* out) {
  const uint64_t offset = location & 0xFFFFFF00u;
  const unsigned index = location & 0xFFu;
  const uint64_t fsize = file_->Size();
  auto where = [&] { return "blob at offset " + std::to_string(offset) + " index " + std::to_string(index); };
  if (offset == 0 || offset % f::kMbUnit != 0)
    return Status::Corruption(name_, where() + ": not a block boundary");
  if (offset >= fsize)
    return Status::Corruption(name_,
                              where() + ": beyond the end of the file (" + std::to_string(fsize) + " bytes)");
  if (length > f::kMaxBlobLength)
    return Status::Corruption(name_, where() + ": impossible length " + std::to_string(length));
  if (cached_offset_ != offset) {
    cached_offset_ = 0;
    Status s = file_->Read(offset, f::kMbUnit, &cached_unit_);
    if (!s.ok()) return s;
    // A short unit at the end of the file may still be growing.
    if (cached_unit_.size() == f::kMbUnit) cached_offset_ = offset;
  }
  const std::string& head = cached_unit_;
  Status s;
  if (head.size() < f::kMbSingleHeader) return Status::Corruption(name_, where() + ": block header cut off");
  const uint8_t type = static_cast<uint8_t>(head[0]);
  if (type == f::kMbSingleBlob) {
    if (index != f::kMbSingleIndex)
      return Status::Corruption(name_, where() + ": index of a single-blob block must be 255");
    uint32_t stored = GetU32(head.data() + 3);
    if (stored != length)
      return Status::Corruption(name_, where() + ": stored length " + std::to_string(stored) +
                                           " differs from the record's " + std::to_string(length));
    if (offset + f::kMbSingleHeader + length > fsize)
      return Status::Corruption(name_, where() + ": value runs past the end of the file");
    s = file_->Read(offset + f::kMbSingleHeader, length, out);
    if (!s.ok()) return s;
    if (out->size() != length) return Status::Corruption(name_, where() + ": short read");
    return Status::OK();
  }
  if (type == f::kMbSubAllocated) {
    if (index >= f::kMbSubEntryCount)
      return Status::Corruption(name_, where() + ": entry index out of range");
    if (head.size() < f::kMbUnit) return Status::Corruption(name_, where() + ": sub-allocated block cut off");
    const uint8_t* e =
        reinterpret_cast<const uint8_t*>(head.data()) + f::kMbSubEntries + index * f::kMbSubEntrySize;
    unsigned start = e[0], chunks = e[1], last = e[4];
    if (start < f::kMbFirstDataChunk || chunks == 0 || last < 1 || last > f::kMbChunk)
      return Status::Corruption(name_, where() + ": entry is unused or damaged");
    size_t len = (chunks - 1) * f::kMbChunk + last;
    if (len != length)
      return Status::Corruption(name_, where() + ": stored length " + std::to_string(len) +
                                           " differs from the record's " + std::to_string(length));
    if (start * f::kMbChunk + len > f::kMbUnit)
      return Status::Corruption(name_, where() + ": value runs past its block");
    out->assign(head, start * f::kMbChunk, len);
    return Status::OK();
  }
  return Status::Corruption(name_,
                            where() + ": points to a block of type " + std::to_string(type) + ", not a blob");
}

}  // namespace orba::pdx
