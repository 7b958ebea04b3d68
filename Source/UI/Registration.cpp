// Start-up of the Skia controls: their classes join the framework's class registry (so they can
// be made by name), and the shared animation process learns how to reach the framework's main
// form and its changes.
#include "UI/AnimatedControl.h"
#include "ui/Forms.h"
#include "ui/Messaging.h"

namespace Skia::UI {
namespace {

struct TRegistration {
    TRegistration() {
        Ui::RegisterClass<TSkAnimatedPaintBox>();
        Ui::RegisterClass<TSkCustomControl>();
        Ui::RegisterClass<TSkPaintBox>();
        Ui::RegisterClass<TSkStyledControl>();
        Ui::RegisterClass<TSkAnimatedPaintBox::TAnimation>("TSkAnimatedPaintBox.TAnimation");
        Ui::RegisterClass<TSkCustomAnimation>();

        auto& framework = TSkCustomAnimation::TProcess::Framework();
        framework.MainForm = []() -> Ui::TComponent* { return Ui::Application().MainForm(); };
        framework.SubscribeMainFormChanged = [](std::function<void()> changed) {
            return Ui::TMessageManager::DefaultManager().SubscribeToMessage<Ui::TMainFormChangedMessage>(
                [changed](Ui::TObject*, const Ui::TMainFormChangedMessage&) { changed(); });
        };
        framework.Unsubscribe = [](int id) {
            Ui::TMessageManager::DefaultManager().Unsubscribe<Ui::TMainFormChangedMessage>(id);
        };
    }
};

TRegistration gRegistration;

}  // namespace

// Referenced by every Skia control, so that a program using one links this unit's start-up.
void EnsureSkiaUIRegistered() {}

}  // namespace Skia::UI
