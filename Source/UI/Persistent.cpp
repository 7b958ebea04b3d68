#include "UI/Persistent.h"

#include <algorithm>
#include <cmath>

namespace Skia::UI {

bool SameValue(double a, double b, double epsilon) {
    if (epsilon == 0) epsilon = std::max(std::min(std::abs(a), std::abs(b)) * 1e-12, 1e-12);
    return a > b ? a - b <= epsilon : b - a <= epsilon;
}

double RoundTo3(double value) { return std::nearbyint(value * 1000.0) / 1000.0; }

void TSkPersistent::Assign(Ui::TPersistent* ASource) {
    if (ASource == this) return;
    BeginUpdate();
    try {
        AssignFrom(ASource);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TSkPersistent::AfterConstruction() { FCreated = true; }

void TSkPersistent::AssignFrom(Ui::TPersistent* ASource) { Ui::TPersistent::Assign(ASource); }

void TSkPersistent::NotifyChanged() {
    if (OnChange && FCreated) OnChange(this);
}

void TSkPersistent::BeginUpdate(bool AIgnoreAllChanges) {
    ++FUpdatingCount;
    FIgnoringAllChanges = FIgnoringAllChanges || AIgnoreAllChanges;
}

void TSkPersistent::EndUpdate(bool AIgnoreAllChanges) {
    const bool drop = AIgnoreAllChanges || FIgnoringAllChanges;
    if (FUpdatingCount <= 0) throw ESkPersistentData("The object is not in update state");
    --FUpdatingCount;
    const bool call = !drop && HasChanged();
    if (!call) FChanged = false;  // a dropped change is forgotten even while outer brackets stay open
    if (FUpdatingCount <= 0) FIgnoringAllChanges = false;
    if (call && FUpdatingCount == 0) {
        FChanged = false;
        NotifyChanged();
    }
}

void TSkPersistent::Change() {
    if (FUpdatingCount <= 0) {
        FChanged = false;
        NotifyChanged();
    } else {
        FChanged = true;
    }
}

bool TSkPersistent::ReplaceValue(double& AField, double AValue, double AEpsilon) {
    if (SameValue(AField, AValue, AEpsilon)) return false;
    AField = AValue;
    Change();
    return true;
}

bool TSkPersistent::ReplaceValue(float& AField, float AValue, float AEpsilon) {
    if (SameValue(AField, AValue, AEpsilon)) return false;
    AField = AValue;
    Change();
    return true;
}

bool TSkPersistent::ReplaceValue(bool& AField, bool AValue) {
    if (AField == AValue) return false;
    AField = AValue;
    Change();
    return true;
}

bool TSkPersistent::ReplaceValue(std::string& AField, const std::string& AValue) {
    if (AField == AValue) return false;
    AField = AValue;
    Change();
    return true;
}

}  // namespace Skia::UI
