#include "Skia/Stream.h"

#include <limits>

#include "Skia/API.h"

namespace Skia {
namespace {

Ui::TStream& StreamOf(void* context) { return *static_cast<Ui::TStream*>(context); }

// The callbacks run inside native code: no exception may leave them.

size_t GetLength(void* context) {
    try {
        const int64_t size = StreamOf(context).GetSize();
        return size > 0 ? static_cast<size_t>(size) : 0;
    } catch (...) {
        return 0;
    }
}

size_t GetPosition(void* context) {
    try {
        const int64_t position = StreamOf(context).GetPosition();
        return position > 0 ? static_cast<size_t>(position) : 0;
    } catch (...) {
        return 0;
    }
}

size_t Read(void* context, void* buffer, size_t size) {
    try {
        const auto count = static_cast<int64_t>(std::min<size_t>(size, std::numeric_limits<int64_t>::max()));
        const int64_t read = StreamOf(context).Read(buffer, count);
        return read > 0 ? static_cast<size_t>(read) : 0;
    } catch (...) {
        return 0;
    }
}

bool Seek(void* context, size_t position) {
    try {
        StreamOf(context).Seek(static_cast<int64_t>(position), Ui::TSeekOrigin::Beginning);
        return true;
    } catch (...) {
        return false;
    }
}

bool Write(void* context, const void* buffer, size_t size) {
    try {
        StreamOf(context).Write(buffer, static_cast<int64_t>(size));
        return true;
    } catch (...) {
        return false;
    }
}

constexpr plix_streamadapter_procs ReadProcs{GetLength, GetPosition, Read, Seek};
constexpr plix_wstreamadapter_procs WriteProcs{Write};

}  // namespace

const plix_streamadapter_procs& TSkStreamAdapter::Procs() { return ReadProcs; }
const plix_wstreamadapter_procs& TSkWStreamAdapter::Procs() { return WriteProcs; }

Ref<ISkStream> TSkStreamAdapter::Create(Ui::TStream& AStream) {
    // Registered once for the program, before the first adapter is handed to the native side.
    static const bool registered = (API::plix_streamadapter_set_procs(&ReadProcs), true);
    (void)registered;
    return WrapCreated<TSkStreamAdapter>(API::plix_streamadapter_create(&AStream));
}

void TSkStreamAdapter::__DestroyHandle(NativeUInt AHandle) { API::plix_streamadapter_destroy(AHandle); }

Ref<ISkWStream> TSkWStreamAdapter::Create(Ui::TStream& AStream) {
    static const bool registered = (API::plix_wstreamadapter_set_procs(&WriteProcs), true);
    (void)registered;
    return WrapCreated<TSkWStreamAdapter>(API::plix_wstreamadapter_create(&AStream));
}

void TSkWStreamAdapter::__DestroyHandle(NativeUInt AHandle) { API::plix_wstreamadapter_destroy(AHandle); }

}  // namespace Skia
