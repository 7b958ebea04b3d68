// Streams of the library's caller, reached through the callbacks the caller registered once for
// the whole process. The context value is the caller's stream; the adapter never owns it.
#pragma once

#include "core/Stream.h"
#include "plix/plix_types.h"

namespace plix {

class StreamAdapter final : public ReadStream {
public:
    explicit StreamAdapter(void* context) : fContext(context) {}
    static void setProcs(const plix_streamadapter_procs* procs);

    size_t read(void* buffer, size_t size) override;
    bool seek(size_t position) override;
    size_t position() const override;
    size_t length() const override;

private:
    void* fContext;
};

class WStreamAdapter final : public WriteStream {
public:
    explicit WStreamAdapter(void* context) : fContext(context) {}
    static void setProcs(const plix_wstreamadapter_procs* procs);

    bool write(const void* buffer, size_t size) override;

private:
    void* fContext;
};

}  // namespace plix
