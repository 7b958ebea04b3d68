#include <gtest/gtest.h>

#include <sstream>

#include "InputScript.h"

using namespace Host;

namespace {

std::vector<TInputEvent> Parse(const std::string& text) {
    std::istringstream in(text);
    return ParseInputScript(in);
}

TEST(InputScript, ReadsEveryEventKindAndSortsByFrame) {
    const auto events = Parse(
        "# a demo\n"
        "30 keyup left   # let go\n"
        "\n"
        "10 keydown left\n"
        "10 mouse 320.5 100\n"
        "12 doubletap\n"
        "0 keydown space\n");
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].Frame, 0);
    EXPECT_EQ(events[0].Key, TInputEvent::TKey::Space);
    EXPECT_EQ(events[1].Kind, TInputEvent::TKind::KeyDown);  // frame 10, in script order
    EXPECT_EQ(events[2].Kind, TInputEvent::TKind::Mouse);
    EXPECT_FLOAT_EQ(events[2].X, 320.5f);
    EXPECT_FLOAT_EQ(events[2].Y, 100);
    EXPECT_EQ(events[3].Kind, TInputEvent::TKind::DoubleTap);
    EXPECT_EQ(events[4].Frame, 30);
    EXPECT_EQ(events[4].Kind, TInputEvent::TKind::KeyUp);
}

TEST(InputScript, BadLinesAreReportedWithTheirLineNumber) {
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"x keydown left\n", "line 1: a frame number"},
        {"-1 keydown left\n", "line 1: a frame number"},
        {"1\n", "line 1: an event is missing"},
        {"\n\n2 jump\n", "line 3: unknown event \"jump\""},
        {"3 keydown up\n", "line 1: unknown key \"up\""},
        {"3 keyup\n", "line 1: a key is missing"},
        {"4 mouse 10\n", "line 1: mouse needs two numbers"},
        {"4 mouse 10 nan\n", "line 1: mouse needs two numbers"},
        {"5 doubletap now\n", "line 1: unexpected \"now\""},
        {"99999999999999999999 doubletap\n",
         "line 1: the frame number 99999999999999999999 is past the last frame a script may name, 100000000"},
        {"100000001 doubletap\n", "line 1: the frame number 100000001 is past the last frame a script may name, 100000000"},
    };
    for (const auto& c : cases) {
        try {
            Parse(c.script);
            ADD_FAILURE() << "accepted: " << c.script;
        } catch (const EInputScriptError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
