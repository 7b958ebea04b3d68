// The graphics object layer: reference-counted wrappers of the native graphics library.
#pragma once

#include "Skia/API.h"
#include "Skia/Enumerable.h"
#include "Skia/Exceptions.h"
#include "Skia/Object.h"
#include "Skia/Stream.h"
#include "Skia/String.h"
