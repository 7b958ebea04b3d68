// Xlib's default error handler ends the program with its own message on any X error. While a
// trap is alive, errors are kept instead, so a request the server refuses (an OpenGL driver that
// fails while SDL makes a GL window) becomes an error the caller reports.
#pragma once

#include <string>

namespace Ui::Sdl {

class TX11ErrorTrap {
public:
    TX11ErrorTrap();
    // Puts the previous handler back.
    ~TX11ErrorTrap();
    TX11ErrorTrap(const TX11ErrorTrap&) = delete;
    TX11ErrorTrap& operator=(const TX11ErrorTrap&) = delete;

    // Waits until the server has answered every request sent on ADisplay (a Display*), so that
    // their errors have arrived.
    void Sync(void* ADisplay);
    bool Caught() const;
    // The first error kept, as text ("BadValue (integer parameter out of range for operation),
    // request 150.3"); empty when none came.
    std::string Message() const;
};

}  // namespace Ui::Sdl
