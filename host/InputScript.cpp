#include "InputScript.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "MainForm.h"

namespace Host {
namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
    throw EInputScriptError("line " + std::to_string(line) + ": " + what);
}

TInputEvent::TKey ReadKey(std::istream& in, int line) {
    std::string key;
    if (!(in >> key)) Fail(line, "a key is missing (left, right or space)");
    if (key == "left") return TInputEvent::TKey::Left;
    if (key == "right") return TInputEvent::TKey::Right;
    if (key == "space") return TInputEvent::TKey::Space;
    Fail(line, "unknown key \"" + key + "\" (left, right or space)");
}

float ReadCoordinate(std::istream& in, int line) {
    float v;
    if (!(in >> v) || !std::isfinite(v)) Fail(line, "mouse needs two numbers: mouse X Y");
    return v;
}

}  // namespace

std::vector<TInputEvent> ParseInputScript(std::istream& AScript) {
    std::vector<TInputEvent> events;
    std::string text;
    for (int line = 1; std::getline(AScript, text); ++line) {
        if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
        std::istringstream in(text);
        std::string first;
        if (!(in >> first)) continue;  // blank or comment

        TInputEvent e;
        const bool digits = std::all_of(first.begin(), first.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) Fail(line, "a frame number (0 or more) must start the line, not \"" + first + "\"");
        // Past the limit also when the digits would overflow a long.
        const size_t significant = std::min(first.find_first_not_of('0'), first.size() - 1);
        const long frame = first.size() - significant > 10 ? MaxInputFrame + 1L : std::stol(first.substr(significant));
        if (frame > MaxInputFrame)
            Fail(line, "the frame number " + first + " is past the last frame a script may name, " +
                           std::to_string(MaxInputFrame));
        e.Frame = static_cast<int>(frame);

        std::string event;
        if (!(in >> event)) Fail(line, "an event is missing after the frame number");
        if (event == "keydown" || event == "keyup") {
            e.Kind = event == "keydown" ? TInputEvent::TKind::KeyDown : TInputEvent::TKind::KeyUp;
            e.Key = ReadKey(in, line);
        } else if (event == "mouse") {
            e.Kind = TInputEvent::TKind::Mouse;
            e.X = ReadCoordinate(in, line);
            e.Y = ReadCoordinate(in, line);
        } else if (event == "doubletap") {
            e.Kind = TInputEvent::TKind::DoubleTap;
        } else {
            Fail(line, "unknown event \"" + event + "\" (keydown, keyup, mouse or doubletap)");
        }
        std::string extra;
        if (in >> extra) Fail(line, "unexpected \"" + extra + "\" at the end");
        events.push_back(e);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TInputEvent& a, const TInputEvent& b) { return a.Frame < b.Frame; });
    return events;
}

void ApplyInputEvent(TfrmMain& AForm, const TInputEvent& AEvent) {
    // As the window delivers keys: arrows by their key code, space by its character.
    uint16_t key = 0;
    char32_t keyChar = 0;
    switch (AEvent.Key) {
        case TInputEvent::TKey::Left: key = 37; break;
        case TInputEvent::TKey::Right: key = 39; break;
        case TInputEvent::TKey::Space: keyChar = U' '; break;
    }
    switch (AEvent.Kind) {
        case TInputEvent::TKind::KeyDown: AForm.FormKeyDown(&AForm, key, keyChar, {}); break;
        case TInputEvent::TKind::KeyUp: AForm.FormKeyUp(&AForm, key, keyChar, {}); break;
        case TInputEvent::TKind::Mouse:
            AForm.SkAnimatedPaintBox1MouseDown(AForm.SkAnimatedPaintBox1, Ui::TMouseButton::Left, {}, AEvent.X,
                                               AEvent.Y);
            break;
        case TInputEvent::TKind::DoubleTap: {
            Ui::TGestureEventInfo info;
            info.GestureID = 265;
            bool handled = false;
            AForm.SkAnimatedPaintBox1Gesture(AForm.SkAnimatedPaintBox1, info, handled);
            break;
        }
    }
}

}  // namespace Host
