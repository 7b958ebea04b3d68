// The framework's exception base, and EAbort: the silent abort that ends an operation without
// a message of ours.
#pragma once

#include <exception>
#include <string>

namespace Ui {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : fMessage(std::move(message)) {}
    const char* what() const noexcept override { return fMessage.c_str(); }
    const std::string& Message() const noexcept { return fMessage; }

private:
    std::string fMessage;
};

class EAbort : public Exception {
public:
    EAbort() : Exception(std::string()) {}
};

// Raises EAbort.
[[noreturn]] void Abort();

}  // namespace Ui
