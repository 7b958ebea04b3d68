#include <gtest/gtest.h>

#include "capi/Handles.h"
#include "core/String.h"
#include "plix/plix.h"

namespace {

TEST(String, StartsEmptyAndReturnsWhatTheEngineWrote) {
    const plix_handle s = plix_string_create();
    ASSERT_NE(s, 0u);
    EXPECT_STREQ(plix_string_get_text(s), "");
    plix::capi::from<plix::String>(s)->text = "error: 1:5: unknown identifier 'héllo' ✓";
    EXPECT_STREQ(plix_string_get_text(s), "error: 1:5: unknown identifier 'héllo' ✓");
    plix_string_destroy(s);
}

TEST(String, NullHandles) {
    EXPECT_STREQ(plix_string_get_text(0), "");
    plix_string_destroy(0);
}

}  // namespace
