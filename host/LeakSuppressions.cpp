// For sanitizer builds of the game: allocations that system libraries keep for the life of the
// process and never free, so LeakSanitizer does not report them (and fail the exit status) when
// the window closes. SDL's session bus keeps a buffer in libdbus; Mesa's drivers and the X
// libraries keep theirs; libglvnd's vendor loading is seen only through the sanitizer runtime.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:_dri.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libEGL_mesa.so\n"
           "leak:libglapi.so\n"
           "leak:libX11.so\n"
           "leak:libxcb.so\n"
           "leak:libubsan.so\n";
}
