// The canvas service that makes the framework draw through Skia. At start-up it replaces the
// framework's canvas service with a TSkCanvasService wrapping it; whenever the framework asks for
// its canvas classes, the wrapper first registers the Skia canvas class the switches choose as
// the framework's default (with its text layout and the Skia bitmap codec), then lets the
// wrapped service register its own.
#pragma once

#include <string>

#include "ui/Canvas.h"
#include "ui/InterfacedObject.h"
#include "ui/PlatformServices.h"

namespace Skia::UI {

using Ui::Ref;

class TSkCanvasService : public Ui::TInterfacedObject, public Ui::IUICanvasService {
public:
    explicit TSkCanvasService(Ref<Ui::IUICanvasService> ACurrent) : FCurrent(std::move(ACurrent)) {}

    // Without a wrapped service nothing is registered, not even a Skia canvas.
    void RegisterCanvasClasses() override;
    // Forwards; the Skia class and codecs stay registered.
    void UnregisterCanvasClasses() override;

    // The Skia canvas class the switches choose now: the raster or the OpenGL canvas; nullptr
    // when Skia is not used.
    static const Ui::TCanvasClass* ChosenCanvasClass();

    // Registrations that belong to the text layout and the bitmap codec, which set these when they
    // start: the Skia text layout for the chosen canvas class, and the Skia codec for an extension
    // (description, can save, replace an existing codec). Unset ones are skipped.
    static inline void (*RegisterTextLayout)(const Ui::TCanvasClass& ACanvasClass) = nullptr;
    static inline void (*RegisterCodecExtension)(const std::string& AExtension, const std::string& ADescription,
                                                 bool ACanSave, bool AReplace) = nullptr;

private:
    Ref<Ui::IUICanvasService> FCurrent;  // the service it replaced; kept for the life of the process
};

// Puts a TSkCanvasService in place of the framework's canvas service. Runs once, at start-up
// (repeated calls do nothing); nothing undoes it.
void InstallCanvasService();

}  // namespace Skia::UI
