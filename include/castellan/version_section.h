#ifndef CASTELLAN_VERSION_SECTION_H
#define CASTELLAN_VERSION_SECTION_H

/* The version record of a program file or library: an ELF section named
   ".orba_version" holding an 8-byte magic and the four 16-bit numbers major,
   minor, release, build, little-endian. */

#include <stdint.h>

#define ORBA_VERSION_SECTION_NAME ".orba_version"
#define ORBA_VERSION_MAGIC "ORBAVER"

struct OrbaVersionSection {
  char magic[8];
  uint16_t numbers[4];
};

#endif
