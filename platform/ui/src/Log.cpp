#include "ui/Log.h"

#include <cstdio>
#include <mutex>

namespace Ui::Log {

namespace {

std::mutex gLock;
TSink gSink;

}  // namespace

void d(const std::string& message) {
    TSink sink;
    {
        std::lock_guard guard(gLock);
        sink = gSink;
    }
    if (sink)
        sink(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

TSink SetSink(TSink sink) {
    std::lock_guard guard(gLock);
    std::swap(gSink, sink);
    return sink;
}

}  // namespace Ui::Log
