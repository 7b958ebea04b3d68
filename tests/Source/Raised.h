// The message of the exception of class E that f raises: "<nothing raised>" when it raises
// none, "<other: ...>" when it raises another class. For checks such as
//   EXPECT_EQ(Raised<ESkArgumentException>([&] { canvas->DrawRect(r, nullptr); }), "Parameter APaint cannot be nil");
#pragma once

#include <exception>
#include <string>

template <class E, class F>
std::string Raised(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("<other: ") + e.what() + ">";
    }
    return "<nothing raised>";
}
