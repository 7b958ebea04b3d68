// The binding to the native graphics library libplix.so: loads it at run time and resolves every
// entry point by name into a function-pointer variable of the same name. The object layer calls
// the library only through these variables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plix/plix_types.h"

namespace Skia::API {

// The first call loads the library and fills the table; every call counts one user. Raises
// Ui::EAbort when the library cannot be loaded (the count is then left unchanged).
void AcquireNativeLibrary();
// Counts one user off; the call that brings the count to zero unloads the library.
void ReleaseNativeLibrary();

// Position of each entry point in the table, in resolution order.
enum EntryPointIndex : size_t {
#define PLIX_ENTRY(ret, name, params) name##_index,
#include "plix/plix_entries.def"
#undef PLIX_ENTRY
    EntryPointCount
};

// The table. An entry the library does not export holds a trap that raises ESkException naming
// it, so a call never goes through a null pointer; so does every entry while nothing is loaded.
#define PLIX_ENTRY(ret, name, params) \
    using name##_fn = ret(*) params;  \
    extern name##_fn name;
#include "plix/plix_entries.def"
#undef PLIX_ENTRY

// Names in resolution order.
extern const char* const EntryPointNames[EntryPointCount];

// Diagnostics and test hooks.
namespace Detail {
// The file name dlopen is given; only while the library is not loaded. Default "libplix.so".
void SetLibraryFileName(std::string fileName);
int32_t AcquisitionCount();
// Why the last load failed (the dynamic loader's words), or empty.
std::string LastLoadError();
// True when the entry at index was resolved from the library (not a trap).
bool IsResolved(size_t index);
}  // namespace Detail

}  // namespace Skia::API
