// The shared library's own translation unit; the C API comes from the plix_capi archive, linked
// whole so that every implemented entry point is exported.
#include "plix/plix.h"
