// TSkPersistent: option objects with nested update brackets. Any number of changes inside a
// bracket, however deeply nested, gives one change notification when the outermost bracket
// closes, and none when a bracket of the nest asked to ignore all changes.
#pragma once

#include <string>

#include "ui/Classes.h"
#include "ui/Exception.h"

namespace Skia::UI {

// The family of exceptions of the Skia controls.
class ESkUI : public Ui::Exception {
public:
    using Exception::Exception;
};

class ESkPersistentData : public ESkUI {
public:
    using ESkUI::ESkUI;
};

// Equal within the tolerance: |a - b| <= epsilon, where epsilon 0 means a relative tolerance of
// 1e-12 (at least 1e-12 absolute).
bool SameValue(double a, double b, double epsilon = 0);
// Rounded to three decimals, ties to even.
double RoundTo3(double value);

class TSkPersistent : public Ui::TPersistent {
public:
    TSkPersistent() = default;

    // Nothing when ASource is this object; otherwise AssignFrom inside one bracket, closed also
    // when AssignFrom raises.
    void Assign(Ui::TPersistent* ASource) override;
    // Ends construction: notifications are suppressed before.
    virtual void AfterConstruction();

    void BeginUpdate(bool AIgnoreAllChanges = false);
    void EndUpdate(bool AIgnoreAllChanges = false);
    // Reports one change: notified at once outside a bracket, when the outermost one closes inside.
    void Change();

    bool HasChanged() const { return GetHasChanged(); }
    bool Updating() const { return FUpdatingCount > 0; }
    Ui::TNotifyEvent OnChange;

protected:
    // Copies state from ASource; the base hands over to the framework's Assign, which rejects
    // unknown sources.
    virtual void AssignFrom(Ui::TPersistent* ASource);
    virtual void NotifyChanged();
    virtual bool GetHasChanged() const { return FChanged; }

    // Store the value and report a change when it differs; true when it did.
    bool ReplaceValue(double& AField, double AValue, double AEpsilon = 0);
    bool ReplaceValue(float& AField, float AValue, float AEpsilon = 0);
    bool ReplaceValue(bool& AField, bool AValue);
    bool ReplaceValue(std::string& AField, const std::string& AValue);

private:
    bool FChanged = false;
    bool FCreated = false;
    bool FIgnoringAllChanges = false;
    int FUpdatingCount = 0;
};

}  // namespace Skia::UI
