// Constants of the Paradox table files, shared by the reader and the writer.
// docs/paradox-engine.md explains the choices; offsets are from the start of
// the file or of the structure named.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orba::pdx::format {

// ---- .DB/.PX header, fixed part (all levels) --------------------------------
inline constexpr size_t kRecordSize = 0x00;      // u16
inline constexpr size_t kHeaderSize = 0x02;      // u16
inline constexpr size_t kFileType = 0x04;        // u8
inline constexpr size_t kBlockSizeCode = 0x05;   // u8, KiB
inline constexpr size_t kRecordCount = 0x06;     // u32
inline constexpr size_t kUsedBlocks = 0x0A;      // u16
inline constexpr size_t kFileBlocks = 0x0C;      // u16
inline constexpr size_t kFirstBlock = 0x0E;      // u16
inline constexpr size_t kLastBlock = 0x10;       // u16
inline constexpr size_t kUnknown12 = 0x12;       // u16
inline constexpr size_t kIndexField = 0x15;      // u8 (X): first indexed .DB field, 1-based
inline constexpr size_t kIndexRoot = 0x1E;       // u16 (.PX)
inline constexpr size_t kIndexLevels = 0x20;     // u8 (.PX)
inline constexpr size_t kFieldCount = 0x21;      // u16
inline constexpr size_t kKeyFieldCount = 0x23;   // u16
inline constexpr size_t kEncryption1 = 0x25;     // u32
inline constexpr size_t kSortOrder = 0x29;       // u8
inline constexpr size_t kIndexStamp = 0x2C;      // u8 (.PX)
inline constexpr size_t kChangeCount1 = 0x2D;    // u8
inline constexpr size_t kChangeCount2 = 0x2E;    // u8
inline constexpr size_t kPrimaryStamp = 0x2F;    // u8 (X): the .PX stamp it was built with
inline constexpr size_t kFileVersion = 0x39;     // u8
inline constexpr size_t kMaxBlocks = 0x3A;       // u16
inline constexpr size_t kUnknown3E = 0x3E;       // 2 bytes: 1F 0F
inline constexpr size_t kAutoIncrement = 0x49;   // u32
inline constexpr size_t kFirstFreeBlock = 0x4D;  // u16
inline constexpr size_t kRealHeaderSize = 0x51;  // u16
inline constexpr size_t kIndexFlags = 0x55;      // u8 (X): 0x01 ignores case, 0x10 descending, 0x20 ?
inline constexpr size_t kUnknown56 = 0x56;       // u8: 0x20
inline constexpr size_t kFixedHeaderEnd = 0x58;

// ---- 4.x+ .DB extension ------------------------------------------------------
inline constexpr size_t kFileVersion2 = 0x58;    // u16
inline constexpr size_t kFileVersion3 = 0x5A;    // u16
inline constexpr size_t kEncryption2 = 0x5C;     // u32
inline constexpr size_t kUpdateTime = 0x60;      // u32
inline constexpr size_t kHiFieldId = 0x64;       // u16
inline constexpr size_t kFieldIdsOffset = 0x66;  // u16, relative to 0x58
inline constexpr size_t kCodePage = 0x6A;        // u16
inline constexpr size_t kUnknown6C = 0x6C;       // u8: 1
inline constexpr size_t kUnknown6D = 0x6D;       // u8: 1
inline constexpr size_t kUnknown6E = 0x6E;       // u16: about realHeaderSize - 0x5F
inline constexpr size_t kExtendedHeaderEnd = 0x78;

inline constexpr uint32_t kEncryptionMarker4x = 0xFF00FF00u;

// ---- file types and versions ------------------------------------------------
inline constexpr uint8_t kFileTypeKeyed = 0;
inline constexpr uint8_t kFileTypePrimaryIndex = 1;
inline constexpr uint8_t kFileTypeUnkeyed = 2;
// Secondary indexes: X files by record number (3, 6) or by primary key
// (5, 8); their trees (Y files) 4 and 7. The second of each pair is for
// composite (.XGn) indexes.
inline constexpr uint8_t kFileTypeIndexByNumber = 3;
inline constexpr uint8_t kFileTypeIndexTree = 4;
inline constexpr uint8_t kFileTypeIndexByKey = 5;
inline constexpr uint8_t kFileTypeCompositeByNumber = 6;
inline constexpr uint8_t kFileTypeCompositeTree = 7;
inline constexpr uint8_t kFileTypeCompositeByKey = 8;

inline constexpr uint8_t kVersion30 = 0x03;
inline constexpr uint8_t kVersion35 = 0x04;
inline constexpr uint8_t kVersion4First = 0x05;
inline constexpr uint8_t kVersion5First = 0x0A;
inline constexpr uint8_t kVersion7 = 0x0C;

inline constexpr size_t kTableNameLength3to5 = 79;
inline constexpr size_t kTableNameLength7 = 261;

// ---- blocks -------------------------------------------------------------------
inline constexpr size_t kBlockHeaderSize = 6;  // next u16, prev u16, lastOff s16
inline constexpr size_t kBlockNext = 0;
inline constexpr size_t kBlockPrev = 2;
inline constexpr size_t kBlockLastOffset = 4;
inline constexpr uint32_t kMaxBlockNumber = 0xFFFF;

// ---- field type codes -------------------------------------------------------
inline constexpr uint8_t kAlpha = 0x01;
inline constexpr uint8_t kDate = 0x02;
inline constexpr uint8_t kShort = 0x03;
inline constexpr uint8_t kLong = 0x04;
inline constexpr uint8_t kMoney = 0x05;
inline constexpr uint8_t kNumber = 0x06;
inline constexpr uint8_t kLogical = 0x09;
inline constexpr uint8_t kMemo = 0x0C;
inline constexpr uint8_t kBlob = 0x0D;
inline constexpr uint8_t kFmtMemo = 0x0E;
inline constexpr uint8_t kOle = 0x0F;
inline constexpr uint8_t kGraphic = 0x10;
inline constexpr uint8_t kTime = 0x14;
inline constexpr uint8_t kTimestamp = 0x15;
inline constexpr uint8_t kAutoInc = 0x16;
inline constexpr uint8_t kBcd = 0x17;
inline constexpr uint8_t kBytes = 0x18;

inline constexpr size_t kBcdWidth = 17;
inline constexpr size_t kBlobDescriptorSize = 10;  // u32 location, u32 length, u16 modNr

// ---- .MB --------------------------------------------------------------------
inline constexpr size_t kMbUnit = 4096;
inline constexpr uint8_t kMbHeaderBlock = 0;
inline constexpr uint8_t kMbSingleBlob = 2;
inline constexpr uint8_t kMbSubAllocated = 3;
inline constexpr uint8_t kMbFree = 4;
inline constexpr size_t kMbHeaderCounter = 0x03;  // u16
inline constexpr size_t kMbSingleHeader = 9;      // type, units, length u32, modNr u16
inline constexpr size_t kMbSubEntries = 0x0C;     // 64 entries of 5 bytes
inline constexpr size_t kMbSubEntrySize = 5;
inline constexpr size_t kMbSubEntryCount = 64;
inline constexpr size_t kMbChunk = 16;
inline constexpr size_t kMbFirstDataChunk = 21;
inline constexpr uint8_t kMbSingleIndex = 0xFF;
inline constexpr size_t kMbSubAllocatedMax = 2032;  // 127 chunks
inline constexpr size_t kGraphicPrefix = 8;
inline constexpr uint8_t kGraphicPrefixBytes[4] = {0x01, 0x00, 0x00, 0x01};

// ---- .PX --------------------------------------------------------------------
inline constexpr size_t kIndexEntryTrailer = 6;  // block, count, 0 as S values

// ---- X files ----------------------------------------------------------------
inline constexpr uint16_t kDescendingField = 0x8000;  // in an X file's field IDs
inline constexpr uint8_t kIndexIgnoresCase = 0x01;    // in kIndexFlags
inline constexpr uint8_t kIndexDescending = 0x10;     // in kIndexFlags: a field is descending
inline constexpr uint8_t kIndexDistinct = 0x20;       // in kIndexFlags: seen only on distinct values

// ---- the engine's own --------------------------------------------------------
// A file's replacement-to-be, written beside it during a commit.
inline constexpr const char* kReplacementSuffix = ".pdxtmp";

// ---- limits the reader enforces before allocating anything ------------------
inline constexpr size_t kMaxFields = 255;
inline constexpr size_t kMaxBlobLength = 256u * 1024u * 1024u;

}  // namespace orba::pdx::format
