#include "core/StreamAdapter.h"

#include <mutex>

namespace plix {
namespace {

// Registered once per process by the caller; copied under a lock so a later registration never
// tears a record that another thread is reading.
std::mutex gProcsMutex;
plix_streamadapter_procs gReadProcs{};
plix_wstreamadapter_procs gWriteProcs{};

plix_streamadapter_procs readProcs() {
    std::lock_guard lock(gProcsMutex);
    return gReadProcs;
}

plix_wstreamadapter_procs writeProcs() {
    std::lock_guard lock(gProcsMutex);
    return gWriteProcs;
}

}  // namespace

void StreamAdapter::setProcs(const plix_streamadapter_procs* procs) {
    std::lock_guard lock(gProcsMutex);
    gReadProcs = procs ? *procs : plix_streamadapter_procs{};
}

void WStreamAdapter::setProcs(const plix_wstreamadapter_procs* procs) {
    std::lock_guard lock(gProcsMutex);
    gWriteProcs = procs ? *procs : plix_wstreamadapter_procs{};
}

size_t StreamAdapter::read(void* buffer, size_t size) {
    const auto p = readProcs();
    if (!p.read || size == 0) return 0;
    const size_t n = p.read(fContext, buffer, size);
    return n > size ? size : n;  // a callback that claims more than asked is not trusted
}

bool StreamAdapter::seek(size_t position) {
    const auto p = readProcs();
    return p.seek && p.seek(fContext, position);
}

size_t StreamAdapter::position() const {
    const auto p = readProcs();
    return p.get_position ? p.get_position(fContext) : 0;
}

size_t StreamAdapter::length() const {
    const auto p = readProcs();
    return p.get_length ? p.get_length(fContext) : 0;
}

bool WStreamAdapter::write(const void* buffer, size_t size) {
    const auto p = writeProcs();
    if (!p.write) return false;
    return size == 0 || p.write(fContext, buffer, size);
}

}  // namespace plix
