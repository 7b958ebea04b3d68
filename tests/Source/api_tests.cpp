#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "Skia/API.h"
#include "Skia/Exceptions.h"

using namespace Skia;
namespace API = Skia::API;

namespace {

// Whether the dynamic loader still has the library mapped, asked without loading it.
bool IsMapped(const char* fileName) {
    void* h = dlopen(fileName, RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

class BindingTest : public ::testing::Test {
protected:
    void TearDown() override {
        while (API::Detail::AcquisitionCount() > 0) API::ReleaseNativeLibrary();
        API::Detail::SetLibraryFileName("libplix.so");
    }
};

TEST_F(BindingTest, TableHoldsEveryEntryPointInResolutionOrder) {
    ASSERT_EQ(API::EntryPointCount, 785u);
    size_t gpu = 0;
    for (size_t i = 0; i < API::EntryPointCount; ++i) {
        const std::string name = API::EntryPointNames[i];
        gpu += name.rfind("plixgpu_", 0) == 0;
        EXPECT_TRUE(name.rfind("plix_", 0) == 0 || name.rfind("plixgpu_", 0) == 0) << name;
    }
    EXPECT_EQ(gpu, 62u);
    // The list starts with the GPU families and ends with the SVG ones.
    EXPECT_STREQ(API::EntryPointNames[0], "plixgpu_backendsemaphore_create");
    EXPECT_STREQ(API::EntryPointNames[784], "plix_svgsvg_set_y");
    EXPECT_STREQ(API::EntryPointNames[API::plix_canvas_draw_rect_index], "plix_canvas_draw_rect");
    EXPECT_LT(API::plix_refcnt_ref_index, API::plix_string_create_index);
}

TEST_F(BindingTest, LoadsTheEngineAndResolvesItsExports) {
    API::AcquireNativeLibrary();
    for (size_t index : {API::plix_refcnt_ref_index, API::plix_refcnt_unref_index, API::plix_string_create_index,
                         API::plix_string_get_text_index, API::plix_string_destroy_index,
                         API::plix_streamadapter_create_index, API::plix_streamadapter_set_procs_index,
                         API::plix_wstreamadapter_create_index, API::plix_wstreamadapter_set_procs_index})
        EXPECT_TRUE(API::Detail::IsResolved(index)) << API::EntryPointNames[index];
    const plix_handle s = API::plix_string_create();
    ASSERT_NE(s, 0u);
    EXPECT_STREQ(API::plix_string_get_text(s), "");
    API::plix_string_destroy(s);
    API::ReleaseNativeLibrary();
}

TEST_F(BindingTest, TwoAcquiresAndOneReleaseKeepTheLibraryLoaded) {
    ASSERT_FALSE(IsMapped("libplix.so"));
    API::AcquireNativeLibrary();
    API::AcquireNativeLibrary();
    EXPECT_EQ(API::Detail::AcquisitionCount(), 2);
    API::ReleaseNativeLibrary();
    EXPECT_TRUE(IsMapped("libplix.so"));
    EXPECT_NO_THROW(API::plix_string_destroy(API::plix_string_create()));
    API::ReleaseNativeLibrary();
    EXPECT_FALSE(IsMapped("libplix.so"));
}

TEST_F(BindingTest, AnUnloadedTableRaisesInsteadOfCallingIntoNothing) {
    API::AcquireNativeLibrary();
    API::ReleaseNativeLibrary();
    EXPECT_FALSE(API::Detail::IsResolved(API::plix_string_create_index));
    EXPECT_THROW(API::plix_string_create(), ESkException);
}

TEST_F(BindingTest, AReloadRefillsTheTable) {
    API::AcquireNativeLibrary();
    API::ReleaseNativeLibrary();
    API::AcquireNativeLibrary();
    const plix_handle s = API::plix_string_create();
    EXPECT_NE(s, 0u);
    API::plix_string_destroy(s);
}

TEST_F(BindingTest, ALibraryLackingExportsLoadsAndTheMissingEntryRaisesByName) {
    API::Detail::SetLibraryFileName("libplix_partial.so");
    API::AcquireNativeLibrary();
    EXPECT_TRUE(API::Detail::IsResolved(API::plix_string_create_index));
    EXPECT_FALSE(API::Detail::IsResolved(API::plix_refcnt_ref_index));

    const plix_handle s = API::plix_string_create();
    EXPECT_STREQ(API::plix_string_get_text(s), "partial");
    API::plix_string_destroy(s);

    try {
        API::plix_refcnt_ref(s);
        FAIL() << "a missing entry point was called";
    } catch (const ESkException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The native graphics library does not provide the entry point \"plix_refcnt_ref\"");
    }
}

TEST_F(BindingTest, AMissingLibraryAbortsAndALaterAcquireCanStillLoad) {
    API::Detail::SetLibraryFileName("libplix_missing.so");
    EXPECT_THROW(API::AcquireNativeLibrary(), Ui::EAbort);
    EXPECT_EQ(API::Detail::AcquisitionCount(), 0);
    EXPECT_NE(API::Detail::LastLoadError().find("libplix_missing.so"), std::string::npos);
    EXPECT_THROW(API::plix_string_create(), ESkException);

    API::Detail::SetLibraryFileName("libplix.so");
    API::AcquireNativeLibrary();
    EXPECT_EQ(API::Detail::AcquisitionCount(), 1);
    EXPECT_TRUE(API::Detail::LastLoadError().empty());
}

}  // namespace
