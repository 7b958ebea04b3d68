// The canvas switches and the canvas service: which canvas class becomes the framework's default,
// and what else is registered with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UI/Graphics/CanvasService.h"
#include "UI/Graphics/GlCanvas.h"
#include "UI/Graphics/RasterCanvas.h"
#include "UI/Graphics/Switches.h"

namespace {

using namespace Skia::UI;

std::vector<std::string> gHookCalls;

class CanvasService : public ::testing::Test {
protected:
    void SetUp() override {
        fSaved[0] = GlobalUseSkia;
        fSaved[1] = GlobalUseSkiaRaster;
        fSaved[2] = GlobalKeepFrameworkImageCodecs;
        fTextLayout = TSkCanvasService::RegisterTextLayout;
        fCodec = TSkCanvasService::RegisterCodecExtension;
        TSkCanvasService::RegisterTextLayout = [](const Ui::TCanvasClass& c) { gHookCalls.push_back("layout " + c.Name()); };
        TSkCanvasService::RegisterCodecExtension = [](const std::string& ext, const std::string& description,
                                                      bool canSave, bool replace) {
            gHookCalls.push_back("codec " + ext + " " + description + (canSave ? " save" : "") + (replace ? " replace" : ""));
        };
        gHookCalls.clear();
        Ui::TCanvasManager::UnInitialize();
        Ui::TCanvasManager::EnableSoftwareCanvas(false);
    }
    void TearDown() override {
        GlobalUseSkia = fSaved[0];
        GlobalUseSkiaRaster = fSaved[1];
        GlobalKeepFrameworkImageCodecs = fSaved[2];
        TSkCanvasService::RegisterTextLayout = fTextLayout;
        TSkCanvasService::RegisterCodecExtension = fCodec;
        Ui::TCanvasManager::UnInitialize();
    }
    static std::vector<std::string> Registered() {
        std::vector<std::string> names;
        for (const Ui::TCanvasClass* c : Ui::TCanvasManager::RegisteredCanvasClasses()) names.push_back(c->Name());
        return names;
    }

private:
    bool fSaved[3] = {};
    decltype(TSkCanvasService::RegisterTextLayout) fTextLayout = nullptr;
    decltype(TSkCanvasService::RegisterCodecExtension) fCodec = nullptr;
};

TEST(CanvasSwitches, StartWithTheFrameworksOwnCanvases) {
    EXPECT_FALSE(GlobalUseSkia);
    EXPECT_TRUE(GlobalUseSkiaRaster);
    EXPECT_FALSE(GlobalKeepFrameworkImageCodecs);
}

TEST_F(CanvasService, IsInstalledAroundTheFrameworksServiceAtStartUp) {
    const Ref<Ui::IUICanvasService> service =
        Ui::TPlatformServices::Current().GetPlatformService<Ui::IUICanvasService>();
    EXPECT_NE(dynamic_cast<TSkCanvasService*>(service.get()), nullptr);
    InstallCanvasService();  // once only: it does not wrap itself
    EXPECT_EQ(Ui::TPlatformServices::Current().GetPlatformService<Ui::IUICanvasService>(), service);
}

TEST_F(CanvasService, TheSwitchesChooseTheDefaultCanvasClass) {
    struct Case {
        bool useSkia, raster;
        std::vector<std::string> registered;  // the default first
        bool software;
    };
    for (const Case& k : {Case{false, true, {"TSoftwareCanvas"}, false}, Case{false, false, {"TSoftwareCanvas"}, false},
                          Case{true, true, {"TSkRasterCanvas", "TSoftwareCanvas"}, true},
                          Case{true, false, {"TGlCanvas", "TSoftwareCanvas"}, true}}) {
        SCOPED_TRACE(std::to_string(k.useSkia) + " " + std::to_string(k.raster));
        Ui::TCanvasManager::UnInitialize();
        Ui::TCanvasManager::EnableSoftwareCanvas(false);
        GlobalUseSkia = k.useSkia;
        GlobalUseSkiaRaster = k.raster;
        EXPECT_EQ(Ui::TCanvasManager::DefaultCanvas().Name(), k.registered.front());
        EXPECT_EQ(Registered(), k.registered);
        EXPECT_EQ(Ui::TCanvasManager::SoftwareCanvasEnabled(), k.software);
    }
}

TEST_F(CanvasService, TheOpenGLCanvasAsksForOpenGLWindows) {
    GlobalUseSkia = true;
    GlobalUseSkiaRaster = false;
    EXPECT_EQ(&Ui::TCanvasManager::DefaultCanvas(), &TGlCanvas::Class());
    EXPECT_TRUE(Ui::TCanvasManager::DefaultCanvas().NeedsOpenGLWindow());
    EXPECT_FALSE(TSkRasterCanvas::Class().NeedsOpenGLWindow());
}

TEST_F(CanvasService, TheSkiaCodecTakesOverJpegAndPngUnlessTheFrameworksAreKept) {
    struct Case {
        bool useSkia, keep;
        std::vector<std::string> calls;
    };
    const std::vector<std::string> codecs = {"codec .jpg JPEG Images save replace", "codec .jpeg JPEG Images save replace",
                                             "codec .png PNG Images save replace"};
    std::vector<std::string> all = {"layout TSkRasterCanvas"};
    all.insert(all.end(), codecs.begin(), codecs.end());
    for (const Case& k : {Case{true, false, all}, Case{true, true, {"layout TSkRasterCanvas"}}, Case{false, false, {}}}) {
        Ui::TCanvasManager::UnInitialize();
        gHookCalls.clear();
        GlobalUseSkia = k.useSkia;
        GlobalKeepFrameworkImageCodecs = k.keep;
        Ui::TCanvasManager::DefaultCanvas();
        EXPECT_EQ(gHookCalls, k.calls) << k.useSkia << k.keep;
    }
}

TEST_F(CanvasService, ASwitchChangedAfterRegistrationWaitsForTheNextOne) {
    GlobalUseSkia = true;
    EXPECT_EQ(Ui::TCanvasManager::DefaultCanvas().Name(), "TSkRasterCanvas");
    GlobalUseSkiaRaster = false;
    EXPECT_EQ(Ui::TCanvasManager::DefaultCanvas().Name(), "TSkRasterCanvas");
    Ui::TCanvasManager::UnInitialize();
    EXPECT_EQ(Ui::TCanvasManager::DefaultCanvas().Name(), "TGlCanvas");
}

TEST_F(CanvasService, WithoutAServiceToWrapNothingIsRegistered) {
    GlobalUseSkia = true;
    Ref<TSkCanvasService> service(new TSkCanvasService(nullptr));
    service->RegisterCanvasClasses();
    service->UnregisterCanvasClasses();
    EXPECT_FALSE(Ui::TCanvasManager::SoftwareCanvasEnabled());
    EXPECT_TRUE(gHookCalls.empty());
}

}  // namespace
