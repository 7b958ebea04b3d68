#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/RefCnt.h"
#include "plix/plix.h"
#include "capi/Handles.h"

namespace {

// Counts its destructions so tests see exactly when the last reference went.
struct Probe final : plix::RefCnt {
    explicit Probe(int* destroyed) : destroyed(destroyed) {}
    ~Probe() override { ++*destroyed; }
    int* destroyed;
};

TEST(RefCnt, TheLastUnrefThroughTheCApiDestroys) {
    int destroyed = 0;
    auto* probe = new Probe(&destroyed);
    const plix_handle h = plix::capi::to(probe);
    plix_refcnt_ref(h);
    plix_refcnt_ref(h);
    EXPECT_EQ(probe->refCount(), 3);
    plix_refcnt_unref(h);
    plix_refcnt_unref(h);
    EXPECT_EQ(destroyed, 0);
    EXPECT_TRUE(probe->unique());
    plix_refcnt_unref(h);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCnt, NullHandlesAreIgnored) {
    plix_refcnt_ref(0);
    plix_refcnt_unref(0);
}

TEST(RefCnt, SmartPointerAdoptsAndShares) {
    int destroyed = 0;
    {
        plix::sp<Probe> a(new Probe(&destroyed));     // adopts the creation reference
        plix::sp<Probe> b = plix::sp_ref(a.get());    // shares: one more
        EXPECT_EQ(a->refCount(), 2);
        plix::sp<plix::RefCnt> c = std::move(b);      // moves, no count change
        EXPECT_EQ(a->refCount(), 2);
        EXPECT_FALSE(b);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCnt, ConcurrentRefsAndUnrefsStayExact) {
    int destroyed = 0;
    auto* probe = new Probe(&destroyed);
    const plix_handle h = plix::capi::to(probe);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([h] {
            for (int i = 0; i < 100000; ++i) {
                plix_refcnt_ref(h);
                plix_refcnt_unref(h);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(probe->refCount(), 1);
    EXPECT_EQ(destroyed, 0);
    plix_refcnt_unref(h);
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
