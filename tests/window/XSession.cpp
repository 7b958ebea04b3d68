#include "XSession.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>

#include "ChildProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace WindowTest {

namespace {

Display* Dpy(void* display) { return static_cast<Display*>(display); }

// Windows come and go while the tests look at them: a request on a window that is gone is not
// a reason to end the test process, which Xlib's default handler would do.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// The number of the lowest set bit of a channel mask, and its width, for reading any visual.
struct TChannel {
    int Shift = 0, Bits = 0;
    explicit TChannel(unsigned long mask) {
        if (!mask) return;
        while (!(mask & 1)) mask >>= 1, ++Shift;
        while (mask & 1) mask >>= 1, ++Bits;
    }
    uint32_t Read(unsigned long pixel) const {
        if (!Bits) return 0;
        const unsigned long value = (pixel >> Shift) & ((1ul << Bits) - 1);
        return Bits >= 8 ? uint32_t(value >> (Bits - 8)) : uint32_t(value * 255 / ((1ul << Bits) - 1));
    }
};

std::optional<unsigned long> CardinalProperty(Display* display, Window window, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) != Success || !data)
        return std::nullopt;
    std::optional<unsigned long> value;
    if (format == 32 && count == 1) value = *reinterpret_cast<unsigned long*>(data);
    XFree(data);
    return value;
}

}  // namespace

struct TXSession::TServer {
    std::unique_ptr<TChildProcess> Xvfb;
};

TXSession& TXSession::Get() {
    static TXSession session;
    return session;
}

TXSession::TXSession() {
    XSetErrorHandler(IgnoreErrors);
    const char* display = std::getenv("DISPLAY");
    if (FindProgram("Xvfb").find('/') == std::string::npos) {
        if (!display || !*display) throw std::runtime_error("No Xvfb to start and no DISPLAY to use");
        FDisplayName = display;
    } else {
        // Xvfb picks a free display number and writes it to the descriptor it is given.
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("Cannot make a pipe for Xvfb");
        FServer = new TServer;
        try {
            FServer->Xvfb = std::make_unique<TChildProcess>(
                "Xvfb", std::vector<std::string>{"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24",
                                                 "-nolisten", "tcp"},
                "/", TEnvironment{}, "/dev/null", fds[1]);
        } catch (...) {
            ::close(fds[0]);
            ::close(fds[1]);
            throw;
        }
        ::close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (number.empty()) throw std::runtime_error("Xvfb did not start (is it installed?)");
        FDisplayName = ":" + number;
        ::setenv("DISPLAY", FDisplayName.c_str(), 1);  // for the programs the tests start
    }
    FDisplay = XOpenDisplay(FDisplayName.c_str());
    if (!FDisplay) throw std::runtime_error("Cannot open the X display " + FDisplayName);
}

TXSession::~TXSession() {
    if (FDisplay) XCloseDisplay(Dpy(FDisplay));
    delete FServer;  // stops the private Xvfb
}

void TXSession::Sync() { XSync(Dpy(FDisplay), False); }

int TXSession::ScreenWidth() const { return DisplayWidth(Dpy(FDisplay), DefaultScreen(Dpy(FDisplay))); }
int TXSession::ScreenHeight() const { return DisplayHeight(Dpy(FDisplay), DefaultScreen(Dpy(FDisplay))); }

std::vector<TWindowId> TXSession::WindowsOf(pid_t APid) {
    Display* display = Dpy(FDisplay);
    Sync();
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<TWindowId> out;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return out;
    for (unsigned i = 0; i < count; ++i) {
        const std::optional<unsigned long> pid = CardinalProperty(display, children[i], pidAtom);
        XWindowAttributes attributes;
        const bool ours = APid == 0 || (pid && *pid == static_cast<unsigned long>(APid));
        if (ours && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            out.push_back(children[i]);
    }
    if (children) XFree(children);
    return out;
}

std::optional<TWindowId> TXSession::WaitForWindow(pid_t APid, const std::string& AName,
                                                  std::chrono::milliseconds ATimeout) {
    const auto end = std::chrono::steady_clock::now() + ATimeout;
    do {
        for (const TWindowId window : WindowsOf(APid))
            if (WindowName(window) == AName) return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

std::string TXSession::WindowName(TWindowId AWindow) {
    Display* display = Dpy(FDisplay);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, AWindow, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 8) {
        name.assign(reinterpret_cast<char*>(data), count);
    } else {
        char* legacy = nullptr;
        if (XFetchName(display, AWindow, &legacy) && legacy) {
            name = legacy;
            XFree(legacy);
        }
    }
    if (data) XFree(data);
    return name;
}

std::optional<TGeometry> TXSession::Geometry(TWindowId AWindow) {
    Display* display = Dpy(FDisplay);
    Sync();
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, AWindow, &attributes)) return std::nullopt;
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, AWindow, DefaultRootWindow(display), 0, 0, &x, &y, &child)) return std::nullopt;
    return TGeometry{x, y, attributes.width, attributes.height};
}

TPicture TXSession::Capture(TWindowId AWindow) {
    Display* display = Dpy(FDisplay);
    const std::optional<TGeometry> geometry = Geometry(AWindow);
    TPicture picture;
    if (!geometry || geometry->Width <= 0 || geometry->Height <= 0) return picture;
    XImage* image = XGetImage(display, AWindow, 0, 0, unsigned(geometry->Width), unsigned(geometry->Height), AllPlanes,
                              ZPixmap);
    if (!image) return picture;
    const TChannel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
    picture.Width = geometry->Width;
    picture.Height = geometry->Height;
    picture.Pixels.reserve(size_t(picture.Width) * size_t(picture.Height));
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.Pixels.push_back(red.Read(pixel) << 16 | green.Read(pixel) << 8 | blue.Read(pixel));
        }
    XDestroyImage(image);
    return picture;
}

void TXSession::RequestClose(TWindowId AWindow) {
    Display* display = Dpy(FDisplay);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = AWindow;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, AWindow, False, NoEventMask, &event);
    Sync();
}

bool TXSession::Xdotool(const std::vector<std::string>& AArguments) { return RunProgram("xdotool", AArguments) == 0; }

std::string WindowArgument(TWindowId AWindow) { return std::to_string(AWindow); }

}  // namespace WindowTest
