// Skia's table of OpenGL functions (reference-counted): made from the context current on the
// calling thread, or assembled from a caller's function lookup. Every direct context of an
// OpenGL back end is made from one.
#pragma once

#include <functional>

#include "Skia/Object.h"

namespace Skia {

// Maps an OpenGL function name to the function's address (nullptr when there is none).
using TGrGlGetProc = std::function<void*(const char* AName)>;

class IGrGlInterface : public virtual ISkReferenceCounted {
public:
    virtual bool HasExtension(const char* AName) = 0;
    // Whether every function the back end needs is present.
    virtual bool Validate() = 0;
};

class TGrGlInterface : public TSkReferenceCounted, public virtual IGrGlInterface {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // The interface of the OpenGL context current on the calling thread; nil without one.
    static Ref<IGrGlInterface> MakeNative();
    // Assembled from AProc, which the library calls only during the call; a nil AProc gives nil
    // without a native call.
    static Ref<IGrGlInterface> MakeAssembled(const TGrGlGetProc& AProc);
    static Ref<IGrGlInterface> MakeAssembledGl(const TGrGlGetProc& AProc);
    static Ref<IGrGlInterface> MakeAssembledGles(const TGrGlGetProc& AProc);
    static Ref<IGrGlInterface> MakeAssembledWebGl(const TGrGlGetProc& AProc);

    bool HasExtension(const char* AName) override;
    bool Validate() override;
};

}  // namespace Skia
