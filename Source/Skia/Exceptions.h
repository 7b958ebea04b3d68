// The object layer's exceptions and its fixed argument-check messages. Checks run before any
// native call and leave all state unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/Exception.h"

namespace Skia {

// An operation that the object's kind or state does not allow.
class ESkException : public Ui::Exception {
public:
    using Exception::Exception;
};

// A bad argument.
class ESkArgumentException : public Ui::Exception {
public:
    using Exception::Exception;
};

namespace SkMessages {
inline constexpr const char* ParamIsNil = "Parameter %s cannot be nil";
inline constexpr const char* ParamIsEmpty = "Parameter %s cannot be empty";
inline constexpr const char* ParamSizeMismatch = "Parameter %s size mismatch";
inline constexpr const char* ParamSizeIsOdd = "Parameter %s size cannot be odd";
inline constexpr const char* ParamOutOfRange = "Parameter %s out of range (%d). Must be >= %d and < %d";
inline constexpr const char* FileNameIsEmpty = "File name cannot be empty";
inline constexpr const char* InvalidOperation = "Operation is invalid";
inline constexpr const char* OutOfMemory = "Out of memory";
inline constexpr const char* NotOwnerOfHandle = "Current object is not owner of the handle";
inline constexpr const char* InvalidExtension = "Invalid extension";
}  // namespace SkMessages

[[noreturn]] void RaiseParameterNil(std::string_view name);
[[noreturn]] void RaiseParameterEmpty(std::string_view name);
[[noreturn]] void RaiseParameterSizeMismatch(std::string_view name);
[[noreturn]] void RaiseParameterSizeOdd(std::string_view name);
[[noreturn]] void RaiseParameterOutOfRange(std::string_view name, int64_t index, int64_t count);
[[noreturn]] void RaiseFileNameEmpty();
[[noreturn]] void RaiseInvalidOperation();
[[noreturn]] void RaiseOutOfMemory();
[[noreturn]] void RaiseInvalidExtension();

// Checks in the layer's order of parameters; each raises the matching message.
template <class P>
void CheckNotNil(const P& value, std::string_view name) {
    if (!value) RaiseParameterNil(name);
}

template <class Container>
void CheckNotEmpty(const Container& value, std::string_view name) {
    if (std::empty(value)) RaiseParameterEmpty(name);
}

inline void CheckIndex(int64_t index, int64_t count, std::string_view name) {
    if (index < 0 || index >= count) RaiseParameterOutOfRange(name, index, count);
}

}  // namespace Skia
