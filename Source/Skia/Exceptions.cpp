#include "Skia/Exceptions.h"

#include <initializer_list>

namespace Skia {
namespace {

// Fills the message's %s and %d directives, in order, with the given texts.
std::string Fill(const char* message, std::initializer_list<std::string_view> args) {
    std::string text;
    auto arg = args.begin();
    for (const char* p = message; *p; ++p) {
        if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && arg != args.end()) {
            text += *arg++;
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

std::string WithName(const char* message, std::string_view name) { return Fill(message, {name}); }

}  // namespace

void RaiseParameterNil(std::string_view name) {
    throw ESkArgumentException(WithName(SkMessages::ParamIsNil, name));
}

void RaiseParameterEmpty(std::string_view name) {
    throw ESkArgumentException(WithName(SkMessages::ParamIsEmpty, name));
}

void RaiseParameterSizeMismatch(std::string_view name) {
    throw ESkArgumentException(WithName(SkMessages::ParamSizeMismatch, name));
}

void RaiseParameterSizeOdd(std::string_view name) {
    throw ESkArgumentException(WithName(SkMessages::ParamSizeIsOdd, name));
}

void RaiseParameterOutOfRange(std::string_view name, int64_t index, int64_t count) {
    throw ESkArgumentException(
        Fill(SkMessages::ParamOutOfRange, {name, std::to_string(index), "0", std::to_string(count)}));
}

void RaiseFileNameEmpty() { throw ESkException(SkMessages::FileNameIsEmpty); }
void RaiseInvalidOperation() { throw ESkException(SkMessages::InvalidOperation); }
void RaiseOutOfMemory() { throw ESkException(SkMessages::OutOfMemory); }
void RaiseInvalidExtension() { throw ESkArgumentException(SkMessages::InvalidExtension); }

}  // namespace Skia
