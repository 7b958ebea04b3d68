#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "capi/Handles.h"
#include "core/StreamAdapter.h"
#include "plix/plix.h"

namespace {

// A caller-side stream, reached only through the registered callbacks and its context value.
struct CallerStream {
    std::string bytes;
    size_t position = 0;
    int calls = 0;
};

CallerStream& of(void* context) { return *static_cast<CallerStream*>(context); }

const plix_streamadapter_procs kReadProcs{
    [](void* c) { ++of(c).calls; return of(c).bytes.size(); },
    [](void* c) { ++of(c).calls; return of(c).position; },
    [](void* c, void* buffer, size_t size) {
        auto& s = of(c);
        ++s.calls;
        const size_t n = std::min(size, s.bytes.size() - s.position);
        std::memcpy(buffer, s.bytes.data() + s.position, n);
        s.position += n;
        return n;
    },
    [](void* c, size_t position) {
        ++of(c).calls;
        if (position > of(c).bytes.size()) return false;
        of(c).position = position;
        return true;
    },
};

const plix_wstreamadapter_procs kWriteProcs{
    [](void* c, const void* buffer, size_t size) {
        of(c).bytes.append(static_cast<const char*>(buffer), size);
        return true;
    },
};

class StreamAdapterTest : public ::testing::Test {
protected:
    void SetUp() override {
        plix_streamadapter_set_procs(&kReadProcs);
        plix_wstreamadapter_set_procs(&kWriteProcs);
    }
    void TearDown() override {
        plix_streamadapter_set_procs(nullptr);
        plix_wstreamadapter_set_procs(nullptr);
    }
};

TEST_F(StreamAdapterTest, EngineReadsTheCallersStreamThroughTheCallbacks) {
    CallerStream caller{"0123456789"};
    const plix_handle h = plix_streamadapter_create(&caller);
    ASSERT_NE(h, 0u);
    auto* stream = plix::capi::from<plix::StreamAdapter>(h);

    EXPECT_EQ(stream->length(), 10u);
    char buffer[4] = {};
    EXPECT_EQ(stream->read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_TRUE(stream->seek(8));
    EXPECT_EQ(stream->position(), 8u);
    std::vector<uint8_t> rest;
    EXPECT_TRUE(stream->readRemaining(rest));
    EXPECT_EQ(std::string(rest.begin(), rest.end()), "89");
    EXPECT_FALSE(stream->seek(11));
    EXPECT_GT(caller.calls, 0);
    plix_streamadapter_destroy(h);
}

TEST_F(StreamAdapterTest, EngineWritesTheCallersStreamThroughTheCallback) {
    CallerStream caller;
    const plix_handle h = plix_wstreamadapter_create(&caller);
    auto* stream = plix::capi::from<plix::WStreamAdapter>(h);
    EXPECT_TRUE(stream->write("ab", 2));
    EXPECT_TRUE(stream->write("cdé", 4));
    EXPECT_EQ(caller.bytes, "abcdé");
    plix_wstreamadapter_destroy(h);
}

TEST_F(StreamAdapterTest, WithoutCallbacksNothingIsReadOrWritten) {
    plix_streamadapter_set_procs(nullptr);
    plix_wstreamadapter_set_procs(nullptr);
    CallerStream caller{"abc"};
    plix::StreamAdapter in(&caller);
    plix::WStreamAdapter out(&caller);
    char c;
    EXPECT_EQ(in.read(&c, 1), 0u);
    EXPECT_EQ(in.length(), 0u);
    EXPECT_FALSE(out.write("x", 1));
    EXPECT_EQ(caller.bytes, "abc");
    EXPECT_EQ(caller.calls, 0);
}

TEST_F(StreamAdapterTest, ACallbackClaimingMoreThanAskedIsClamped) {
    static const plix_streamadapter_procs liar{
        [](void*) { return size_t{100}; }, [](void*) { return size_t{0}; },
        [](void*, void*, size_t) { return size_t{1000}; }, [](void*, size_t) { return true; }};
    plix_streamadapter_set_procs(&liar);
    plix::StreamAdapter in(nullptr);
    char buffer[8];
    EXPECT_EQ(in.read(buffer, sizeof buffer), sizeof buffer);
}

}  // namespace
