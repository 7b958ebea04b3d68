#include <gtest/gtest.h>

#include <vector>

#include "Skia/Enumerable.h"

using namespace Skia;

namespace {

class ICountdown : public virtual ISkEnumerableOf<int> {};

// Counts down from its start; stands for a native iterator.
class TCountdown : public TSkEnumerable<int>, public virtual ICountdown {
public:
    TCountdown(NativeUInt AHandle, bool AOwnsHandle, int AStart)
        : TSkEnumerable<int>(AHandle, AOwnsHandle), FNext(AStart) {}
    bool MoveNext() override { return (FCurrent = FNext--) > 0; }
    int GetCurrent() override { return FCurrent; }

private:
    int FNext, FCurrent = 0;
};

TEST(Enumerable, DrivesARangeBasedForLoop) {
    Ref<ICountdown> countdown = SkNew<TCountdown>(NativeUInt{1}, false, 3);
    std::vector<int> seen;
    for (int value : countdown->GetEnumerator()) seen.push_back(value);
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1}));
}

TEST(Enumerable, AnEmptyIteratorRunsNoIteration) {
    Ref<ICountdown> countdown = SkNew<TCountdown>(NativeUInt{1}, false, 0);
    int iterations = 0;
    for ([[maybe_unused]] int value : countdown->GetEnumerator()) ++iterations;
    EXPECT_EQ(iterations, 0);
}

TEST(Enumerable, TheEnumeratorKeepsTheIteratorAlive) {
    auto enumerator = SkNew<TCountdown>(NativeUInt{1}, false, 2)->GetEnumerator();
    EXPECT_TRUE(enumerator.MoveNext());
    EXPECT_EQ(enumerator.Current(), 2);
}

}  // namespace
