#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "NativeCalls.h"
#include "Skia/Object.h"
#include "Skia/String.h"

using namespace Skia;

namespace {

constexpr NativeUInt FakeHandle = 0x5000;

class ITestCounted : public virtual ISkReferenceCounted {
public:
    virtual int Answer() = 0;
};

// A wrapper of a reference-counted native object whose destruction the tests can watch.
class TTestCounted : public TSkReferenceCounted, public virtual ITestCounted {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
    int Answer() override { return 42; }
    std::function<void(TTestCounted*)> OnDestroyHandle;

protected:
    void __DestroyHandle(NativeUInt AHandle) override {
        if (OnDestroyHandle) OnDestroyHandle(this);
        TSkReferenceCounted::__DestroyHandle(AHandle);
    }
};

class ObjectModel : public ::testing::Test {
protected:
    NativeCalls native;
};

TEST_F(ObjectModel, ThreeReferencesHoldThreeNativeReferences) {
    Ref<ITestCounted> a = Wrap<TTestCounted>(FakeHandle);
    auto* wrapper = dynamic_cast<TTestCounted*>(a.get());
    EXPECT_EQ(wrapper->RefCount(), 1);
    EXPECT_EQ(NativeCalls::refs, 0);  // the first reference is the one the factory returned

    Ref<ITestCounted> b = a;
    Ref<ISkObject> c = a;
    EXPECT_EQ(wrapper->RefCount(), 3);
    EXPECT_EQ(NativeCalls::refs, 2);

    b = nullptr;
    c = nullptr;
    EXPECT_EQ(NativeCalls::unrefs, 2);
    EXPECT_EQ(a->Answer(), 42);

    a = nullptr;
    EXPECT_EQ(NativeCalls::unrefs, 3);  // the last one destroyed the wrapper and released the native object
}

TEST_F(ObjectModel, ANotOwningWrapperNeverReleasesItsObject) {
    Ref<ITestCounted> a = Wrap<TTestCounted>(FakeHandle, false);
    {
        Ref<ITestCounted> b = a;
        EXPECT_EQ(NativeCalls::refs, 1);
    }
    EXPECT_EQ(NativeCalls::unrefs, 1);
    a = nullptr;
    EXPECT_EQ(NativeCalls::unrefs, 1);
}

TEST_F(ObjectModel, WrapOrNilOfZeroIsNilWithoutANativeCall) {
    Ref<ITestCounted> none = WrapOrNil<TTestCounted>(0);
    EXPECT_FALSE(none);
    EXPECT_EQ(HandleOrZero(none), 0u);
    EXPECT_EQ(NativeCalls::refs + NativeCalls::unrefs, 0);

    Ref<ITestCounted> some = WrapOrNil<TTestCounted>(FakeHandle);
    ASSERT_TRUE(some);
    EXPECT_EQ(HandleOrZero(some), FakeHandle);
}

TEST_F(ObjectModel, ReleasingTheHandleHandsOwnershipOverOnce) {
    EXPECT_EQ(TSkObject::__ReleaseHandle(Ref<ISkObject>()), 0u);

    Ref<ITestCounted> a = Wrap<TTestCounted>(FakeHandle);
    EXPECT_EQ(TSkObject::__ReleaseHandle(a), FakeHandle);
    try {
        TSkObject::__ReleaseHandle(a);
        FAIL() << "a second release of the handle succeeded";
    } catch (const ESkException& e) {
        EXPECT_STREQ(e.what(), "Current object is not owner of the handle");
    }
    EXPECT_EQ(a->Answer(), 42);  // the wrapper stays usable
    a = nullptr;
    EXPECT_EQ(NativeCalls::unrefs, 0);  // and its destruction releases nothing
}

TEST_F(ObjectModel, ANotOwningWrapperCannotReleaseItsHandle) {
    Ref<ITestCounted> a = Wrap<TTestCounted>(FakeHandle, false);
    EXPECT_THROW(TSkObject::__ReleaseHandle(a), ESkException);
}

TEST_F(ObjectModel, ReferencesTakenDuringDestructionChangeNothing) {
    int destroyed = 0;
    int refCountSeen = -1;
    Ref<ITestCounted> a = Wrap<TTestCounted>(FakeHandle);
    dynamic_cast<TTestCounted*>(a.get())->OnDestroyHandle = [&](TTestCounted* self) {
        ++destroyed;
        refCountSeen = self->RefCount();
        Ref<ISkObject> again(self);  // neither a native ref nor, when dropped, a second destruction
        Ref<ISkObject> twice = again;
    };
    a = nullptr;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(refCountSeen, 0);
    EXPECT_EQ(NativeCalls::refs, 0);
    EXPECT_EQ(NativeCalls::unrefs, 1);  // the owning release only
}

TEST_F(ObjectModel, ReferencesInsideAConstructorCannotDestroyTheObject) {
    struct TSelfReferencing : TTestCounted {
        TSelfReferencing(NativeUInt h, bool owns) : TTestCounted(h, owns) { Ref<ISkObject> inside(this); }
    };
    Ref<ITestCounted> a = Wrap<TSelfReferencing>(FakeHandle);
    EXPECT_EQ(a->Answer(), 42);
    EXPECT_EQ(dynamic_cast<TSkObject*>(a.get())->RefCount(), 1);
    // The reference inside was an extra one: one native ref and one unref, no destruction.
    EXPECT_EQ(NativeCalls::refs, 1);
    EXPECT_EQ(NativeCalls::unrefs, 1);
}

TEST_F(ObjectModel, ConcurrentReferencesKeepTheCountsExact) {
    Ref<ITestCounted> shared = Wrap<TTestCounted>(FakeHandle);
    constexpr int Threads = 4, Rounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([shared] {  // each thread holds one reference of its own
            for (int i = 0; i < Rounds; ++i) {
                Ref<ITestCounted> a = shared;
                Ref<ISkObject> b = a;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(dynamic_cast<TSkObject*>(shared.get())->RefCount(), 1);
    EXPECT_EQ(NativeCalls::refs, NativeCalls::unrefs);
    const int refs = NativeCalls::refs;
    shared = nullptr;
    EXPECT_EQ(NativeCalls::unrefs, refs + 1);
}

TEST_F(ObjectModel, InterfacesCastToEachOther) {
    Ref<ISkObject> object = Wrap<TTestCounted>(FakeHandle);
    EXPECT_TRUE(object.As<ISkReferenceCounted>());
    EXPECT_FALSE(object.As<ISkNonVirtualReferenceCounted>());
    EXPECT_EQ(object.As<ITestCounted>()->Answer(), 42);
}

// Strings go to and come from the native side as UTF-8.
TEST(NativeString, TextComesBackIntact) {
    Ref<ISkString> s = TSkString::Create();
    EXPECT_EQ(s->GetText(), "");

    static const char* const text = "Fläche: 2×3 — 面積 🙂";
    const auto saved = API::plix_string_get_text;
    API::plix_string_get_text = [](plix_handle) { return text; };
    const std::string got = s->GetText();
    API::plix_string_get_text = saved;
    EXPECT_EQ(got, text);
}

}  // namespace
