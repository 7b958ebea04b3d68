// Scripted input for headless runs of the game: one event a line, "FRAME EVENT [ARGS]", applied
// before that frame. Events: keydown left|right|space, keyup left|right|space, mouse X Y,
// doubletap. "#" starts a comment; blank lines are skipped.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Host {

class TfrmMain;

// The largest frame number a script (and a headless run) may name.
inline constexpr int MaxInputFrame = 100000000;

struct TInputEvent {
    enum class TKind { KeyDown, KeyUp, Mouse, DoubleTap };
    int Frame = 0;
    TKind Kind = TKind::KeyDown;
    enum class TKey { Left, Right, Space } Key = TKey::Left;
    float X = 0, Y = 0;
};

// A script line that cannot be read; the message names the line.
class EInputScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a whole script; events come out sorted by frame, in script order within a frame.
std::vector<TInputEvent> ParseInputScript(std::istream& AScript);

// Delivers the event to the form's handlers as the window would.
void ApplyInputEvent(TfrmMain& AForm, const TInputEvent& AEvent);

}  // namespace Host
