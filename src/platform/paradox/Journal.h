// Journal: how a commit that changes a table's files in place is made
// atomic and durable.
//
// A commit that writes only the blocks it changes first writes their new
// images to "<table>.pdxjournal" (the .DB's name plus that suffix), ends it
// with a checksummed commit mark, and syncs it and its folder: that sync is
// the commit point. Only then are the images written over the table's
// files, which are synced, and the journal is removed. Whoever opens the
// table next and finds a journal (a writer under the table's lock, a reader
// after taking that lock) completes it when its commit mark is whole, and
// discards it otherwise: before its commit point no file of the table has
// been touched. Writing the images again is harmless, so a journal whose
// removal did not reach the disk is simply applied once more. The layout is
// described byte for byte in docs/paradox-engine.md.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/Env.h"
#include "paradox/Status.h"

namespace orba::pdx {

// What a commit writes into one of the table's files: the .DB, its .PX, or
// one of its secondary index files (kFirstNamed + i names Journal::named[i]).
struct JournalImage {
  enum File : uint8_t { kData = 0, kPrimaryIndex = 1, kFirstNamed = 2 };
  File file = kData;
  bool resize = false;  // sets the file's size to `offset`; `data` is empty
  uint64_t offset = 0;
  std::string data;
};

// The journal of one commit. `before` and `after` are the .DB's change
// counter (header byte 0x2D) before and after the commit: a journal is only
// applied to the .DB it was written for, as it was or as the journal makes
// it, never to a table a later whole rewrite replaced.
struct Journal {
  uint8_t before = 0;
  uint8_t after = 0;
  // Names (in the table's folder) of the index files images refer to as
  // kFirstNamed + i; each must be an X or Y file of the table.
  std::vector<std::string> named;
  std::vector<JournalImage> images;
};

// The file for images of `file` of a journal of the table at db_path; empty
// for an index the journal does not name.
std::string JournalFilePath(const std::string& db_path, const std::string& px_path, const Journal& journal,
                            JournalImage::File file);

std::string JournalPath(const std::string& db_path);

// The journal's bytes, and the journal read back from them (Corruption when
// they are not a whole journal with its commit mark).
std::string EncodeJournal(const Journal& journal);
Status DecodeJournal(const std::string& bytes, Journal* journal);

// Writes the journal beside the table (a new file, with the .DB's access)
// and makes it and its name durable: the commit point. On a failure the
// journal is taken back; when it was written whole and cannot be (the
// disk refuses every write), *left_whole is set: the next opener completes
// it, so the change is stored after all.
Status WriteJournal(Env* env, const std::string& db_path, const Journal& journal, bool* left_whole);

// Writes the images into the table's files (the .PX named by px_path, the
// index files by their names beside the .DB) and syncs them, then removes
// the journal. Files are never created here: each must exist.
Status ApplyJournal(Env* env, const std::string& db_path, const std::string& px_path, const Journal& journal);

// Reads the journal beside the table when it counts: whole, with its commit
// mark, written for the .DB as it stands. *found is false when there is none
// or it does not count.
Status ReadCommittedJournal(Env* env, const std::string& db_path, Journal* journal, bool* found);

// `base` read as the journal's images for `which` make it: for a reader
// that cannot complete a journal (the folder refuses writes) and reads the
// table through it.
std::unique_ptr<RandomAccessFile> ReadThroughJournal(std::unique_ptr<RandomAccessFile> base,
                                                     const Journal& journal, JournalImage::File which);

// For a caller that holds the table's lock: completes or discards a journal
// left beside the table. *what (optional) tells which happened: "" (none
// there), "completed" or "discarded".
Status RecoverJournal(Env* env, const std::string& db_path, std::string* what = nullptr);

// What identifies the journal beside the table now (its length and commit
// mark's bytes); empty when there is none.
std::string JournalSignature(Env* env, const std::string& db_path);

// For readers, which hold no lock: when a journal waits beside the table,
// waits (up to `wait`) for the writer that is applying it to finish, or
// takes the table's lock and recovers it when no writer holds it (a writer
// that died). OK when no journal is left; Locked when a writer kept it
// beyond the wait.
Status SettleJournal(Env* env, const std::string& db_path, std::chrono::milliseconds wait);

}  // namespace orba::pdx
