/* The flat C API of libplix. Every entry point is declared once, in plix_entries.def; the
 * object layer's binding table is generated from the same list. */
#ifndef PLIX_H
#define PLIX_H

#include "plix_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#define PLIX_ENTRY(ret, name, params) PLIX_API ret name params;
#include "plix_entries.def"
#undef PLIX_ENTRY

#ifdef __cplusplus
}
#endif

#endif
