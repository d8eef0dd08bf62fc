// BlobFileWriter: appends values to a .MB.
//
// Values are only ever appended: existing blocks (and the space Paradox's
// free-space directory lists) are never touched, so a table whose .DB has not
// yet been replaced still reads its old values intact. Space of replaced
// values is left for a rebuild to reclaim.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "paradox/BlobFile.h"
#include "paradox/Env.h"
#include "paradox/Status.h"

namespace orba::pdx {

class BlobFileWriter {
 public:
  // Where the blocks that committed records point to end, in bytes from
  // the start of the .MB (judged from the records, not from the blocks'
  // own headers, which may be what is damaged). Asked only when the file's
  // tail looks like an interrupted append.
  using CommittedEnd = std::function<Result<uint64_t>()>;

  // Opens the .MB at path or, when `create_like` names the table, makes it
  // new (Env::CreateWritable) with the table's access. An append cut short
  // by a crash is cut off again here, and only such an append: a block that
  // claims to run past the end of the file is cut off when it lies past
  // every block a committed record points to and carries the modification
  // number of the append that was under way (the header's counter + 1).
  // Anything else is damage: Corruption naming the .MB, nothing written.
  static Status Open(Env* env, const std::string& path, const std::string& create_like,
                     const CommittedEnd& committed_end, std::unique_ptr<BlobFileWriter>* writer);

  // For a commit that changes its table in place: a file of up to
  // kWalkedInPlace bytes is read whole and walked as Open does (damage
  // reported, an interrupted append cut off); after a larger one the values
  // go without a walk of its blocks, so that the commit's cost does not grow
  // with the file. No append of ours leaves a tail that reads as a block
  // (see Append): what a crash cut short stays unreferenced space, and
  // damage there is found by the next whole rewrite.
  static constexpr uint64_t kWalkedInPlace = 1u << 20;
  static Status OpenInPlace(Env* env, const std::string& path, const CommittedEnd& committed_end,
                            std::unique_ptr<BlobFileWriter>* writer);

  struct Item {
    std::string data;     // bytes as stored (graphics include their prefix)
    bool single = false;  // force a single-blob block
  };
  // Appends the items and makes them durable; fills one descriptor per item.
  // The first block's type goes in only once every block is on the disk,
  // and the header's counter with it: a crash before that leaves a tail
  // that starts with an empty block header, which ends a walk of the file
  // rather than passing for blocks that claim more than is there.
  Status Append(const std::vector<Item>& items, std::vector<BlobDescriptor>* out);
  // Takes back what Append added, when the commit it was for did not
  // happen: the file is cut back to its size before, so failed commits do
  // not make it grow.
  Status Abandon();

  // The 4 KiB header block of an empty .MB.
  static std::string EmptyFile();

 private:
  BlobFileWriter(std::unique_ptr<WritableFile> file, std::string name)
      : file_(std::move(file)), name_(std::move(name)) {}
  Status Load(RandomAccessFile* reader, const CommittedEnd& committed_end);
  // True when the block at `offset` (which runs past the end of the file)
  // shows only the modification number the interrupted append gave it.
  Status IsInterruptedAppend(RandomAccessFile* reader, uint64_t offset, bool* yes) const;

  std::unique_ptr<WritableFile> file_;
  std::string name_;
  uint16_t counter_ = 1;  // header modification counter
  uint64_t end_ = 0;      // where the next block goes
  uint16_t opened_counter_ = 1;
  uint64_t opened_end_ = 0;
  bool appended_ = false;
};

}  // namespace orba::pdx
