#include "Skia/API.h"

#include <dlfcn.h>

#include <atomic>
#include <cfenv>
#include <filesystem>
#include <mutex>

#include "Skia/Exceptions.h"
#include "ui/Exception.h"

namespace Skia::API {
namespace {

[[noreturn]] void RaiseMissingEntryPoint(size_t index) {
    throw ESkException(std::string("The native graphics library does not provide the entry point \"") +
                       EntryPointNames[index] + "\"");
}

// One trap per entry, with the entry's own signature, so that it can stand in the table.
template <size_t Index, class Fn>
struct Trap;

template <size_t Index, class R, class... Args>
struct Trap<Index, R (*)(Args...)> {
    static R Call(Args...) { RaiseMissingEntryPoint(Index); }
};

// Everything here is constant-initialized or made on first use: the object layer acquires the
// library while static objects are still being constructed.
std::atomic<int32_t> gAcquisitions{0};
void* gLibrary = nullptr;
std::mutex gDiagnosticsMutex;

std::string& FileName() {
    static std::string fileName = "libplix.so";
    return fileName;
}

std::string& LastError() {
    static std::string lastError;
    return lastError;
}

void ResetTable() {
#define PLIX_ENTRY(ret, name, params) name = &Trap<name##_index, name##_fn>::Call;
#include "plix/plix_entries.def"
#undef PLIX_ENTRY
}

void ResolveTable(void* library) {
#define PLIX_ENTRY(ret, name, params)                                          \
    if (void* symbol = dlsym(library, #name))                                  \
        name = reinterpret_cast<name##_fn>(symbol);                            \
    else                                                                       \
        name = &Trap<name##_index, name##_fn>::Call;
#include "plix/plix_entries.def"
#undef PLIX_ENTRY
}

// The library beside the executable's own tree (bin/../lib), as the executable's RUNPATH says.
// Asked for when the bare name fails: a dlopen interposed by a sanitizer runtime searches with
// the runtime's paths instead of the executable's.
std::string BesideExecutable(const std::string& fileName) {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || fileName.find('/') != std::string::npos) return {};
    return (exe.parent_path().parent_path() / "lib" / fileName).string();
}

bool Load() {
    void* library = dlopen(FileName().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const std::string bareNameError = dlerror();
        const std::string beside = BesideExecutable(FileName());
        library = beside.empty() ? nullptr : dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            std::lock_guard lock(gDiagnosticsMutex);
            LastError() = bareNameError;
            return false;
        }
    }
    {
        std::lock_guard lock(gDiagnosticsMutex);
        LastError().clear();
    }
    // Keep the engine's floating-point work from trapping: every exception of this thread masked.
    fedisableexcept(FE_ALL_EXCEPT);
    gLibrary = library;
    ResolveTable(library);
    return true;
}

}  // namespace

#define PLIX_ENTRY(ret, name, params) name##_fn name = &Trap<name##_index, name##_fn>::Call;
#include "plix/plix_entries.def"
#undef PLIX_ENTRY

const char* const EntryPointNames[EntryPointCount] = {
#define PLIX_ENTRY(ret, name, params) #name,
#include "plix/plix_entries.def"
#undef PLIX_ENTRY
};

void AcquireNativeLibrary() {
    if (gAcquisitions.fetch_add(1) + 1 != 1) return;
    if (!Load()) {
        // Leave the count as it was, so that a later acquire tries to load again.
        gAcquisitions.fetch_sub(1);
        Ui::Abort();
    }
}

void ReleaseNativeLibrary() {
    if (gAcquisitions.fetch_sub(1) - 1 != 0) return;
    // Traps instead of addresses into an unmapped library.
    ResetTable();
    dlclose(gLibrary);
    gLibrary = nullptr;
}

namespace Detail {

void SetLibraryFileName(std::string fileName) {
    if (gAcquisitions.load() == 0) FileName() = std::move(fileName);
}

int32_t AcquisitionCount() { return gAcquisitions.load(); }

std::string LastLoadError() {
    std::lock_guard lock(gDiagnosticsMutex);
    return LastError();
}

bool IsResolved(size_t index) {
    switch (index) {
#define PLIX_ENTRY(ret, name, params) \
    case name##_index:                \
        return name != &Trap<name##_index, name##_fn>::Call;
#include "plix/plix_entries.def"
#undef PLIX_ENTRY
        default:
            return false;
    }
}

}  // namespace Detail
}  // namespace Skia::API
