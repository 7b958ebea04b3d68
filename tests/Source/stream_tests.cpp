#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "Skia/API.h"
#include "Skia/Stream.h"

using namespace Skia;

namespace {

// Reads the whole stream the way the engine does: length, then reads until it is all there.
std::string ReadThroughCallbacks(Ui::TStream& stream) {
    const auto& procs = TSkStreamAdapter::Procs();
    std::string text(procs.get_length(&stream), '\0');
    size_t got = 0;
    while (got < text.size()) {
        const size_t n = procs.read(&stream, text.data() + got, 3);  // small reads on purpose
        if (n == 0) break;
        got += n;
    }
    text.resize(got);
    return text;
}

TEST(StreamAdapter, TheEngineReadsAMemoryStream) {
    const std::string bytes = "\x89PNG\r\n\x1a\n and more";
    Ui::TMemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(ReadThroughCallbacks(stream), bytes);

    const auto& procs = TSkStreamAdapter::Procs();
    EXPECT_EQ(procs.get_position(&stream), bytes.size());
    EXPECT_TRUE(procs.seek(&stream, 4));
    EXPECT_EQ(procs.get_position(&stream), 4u);
}

TEST(StreamAdapter, TheEngineReadsAFileStream) {
    const auto path = std::filesystem::temp_directory_path() / "tilefall_stream_test.bin";
    {
        Ui::TFileStream out(path.string(), Ui::TFileMode::Create);
        out.WriteBuffer("file contents", 13);
    }
    Ui::TFileStream in(path.string(), Ui::TFileMode::OpenRead);
    EXPECT_EQ(ReadThroughCallbacks(in), "file contents");
    std::filesystem::remove(path);
}

TEST(StreamAdapter, TheEngineWritesIntoAStream) {
    Ui::TMemoryStream stream;
    const auto& procs = TSkWStreamAdapter::Procs();
    EXPECT_TRUE(procs.write(&stream, "ab", 2));
    EXPECT_TRUE(procs.write(&stream, "c", 1));
    EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "abc");
}

TEST(StreamAdapter, AdaptersCarryTheStreamAsTheirContext) {
    static void* seen = nullptr;
    const auto saved = API::plix_streamadapter_create;
    API::plix_streamadapter_create = [](void* context) -> plix_handle {
        seen = context;
        return 0x7000;
    };
    const auto savedDestroy = API::plix_streamadapter_destroy;
    static plix_handle destroyed = 0;
    API::plix_streamadapter_destroy = [](plix_handle h) { destroyed = h; };
    {
        Ui::TMemoryStream stream;
        Ref<ISkStream> adapter = TSkStreamAdapter::Create(stream);
        EXPECT_EQ(seen, &stream);
        EXPECT_EQ(adapter->GetHandle(), 0x7000u);
    }
    EXPECT_EQ(destroyed, 0x7000u);
    API::plix_streamadapter_create = saved;
    API::plix_streamadapter_destroy = savedDestroy;
}

TEST(StreamAdapter, RealAdaptersAreMadeAndDestroyedByTheEngine) {
    Ui::TMemoryStream stream;
    Ref<ISkStream> in = TSkStreamAdapter::Create(stream);
    Ref<ISkWStream> out = TSkWStreamAdapter::Create(stream);
    EXPECT_NE(in->GetHandle(), 0u);
    EXPECT_NE(out->GetHandle(), 0u);
}

}  // namespace
