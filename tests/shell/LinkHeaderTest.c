/* The module authors' header compiles as C, with its layout checks. */
#include "castellan/linku.h"

int link_header_compiles_as_c(void) { return (int)sizeof(TLinkSection); }
