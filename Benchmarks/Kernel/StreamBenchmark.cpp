// Streams against the C library and zlib on the same files:
//   CGZipStream decompressing 64 MiB   vs  zlib's gzread       (target >= 0.9)
//   1-byte reads through CBufferedStream vs fgetc               (target >= 1.0)
// The ratio is the baseline's time over ours.
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CBufferedStream.h"
#include "Engine/IKernel/Resources/CFileStream.h"
#include "Engine/IKernel/Resources/Zip/CGZipStream.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

const size_t C_GZIP_PLAIN_SIZE = 64u << 20;
const size_t C_BYTE_FILE_SIZE = 16u << 20;

// Text-like data: words with numbers, compressing about 3:1 as real data does.
std::vector<char> sampleData(size_t size)
{
    static const char* const words[] = {"engine ", "stream ", "buffer ", "window ", "joystick ", "axis ", "button ",
                                        "keyboard ", "mouse ", "wheel ", "\n", "texture ", "mesh "};
    std::vector<char> data;
    data.reserve(size);
    uint32_t state = 12345;
    while (data.size() < size)
    {
        state = state * 1103515245u + 12345u;
        const char* word = words[(state >> 16) % 13];
        data.insert(data.end(), word, word + strlen(word));
        if ((state >> 8) % 5 == 0)
        {
            char number[16];
            int length = snprintf(number, sizeof(number), "%u ", state % 100000);
            data.insert(data.end(), number, number + length);
        }
    }
    data.resize(size);
    return data;
}

// The benchmark files, made once in the temporary folder and removed at exit.
struct SFiles
{
    std::string gzipAlias;
    std::string gzipNative;
    std::string bytesAlias;
    std::string bytesNative;

    SFiles()
    {
        if (!CFileUtils::hasAliasArray())
            CFileUtils::createAliasArray();
        std::string stem = "$Temp/tavrin_stream_benchmark_" + std::to_string(CSystemServices::getCurrentProcessId());
        gzipAlias = stem + ".gz";
        bytesAlias = stem + ".bin";
        gzipNative = CFileSystem::toNativePath(CFileUtils::resolveAliases(gzipAlias.c_str())).c_str();
        bytesNative = CFileSystem::toNativePath(CFileUtils::resolveAliases(bytesAlias.c_str())).c_str();

        std::vector<char> data = sampleData(C_GZIP_PLAIN_SIZE);
        gzFile out = gzopen(gzipNative.c_str(), "wb6");
        if (!out || gzwrite(out, data.data(), static_cast<unsigned>(data.size())) != static_cast<int>(data.size()))
            abort();
        gzclose(out);
        FILE* file = fopen(bytesNative.c_str(), "wb");
        if (!file || fwrite(data.data(), 1, C_BYTE_FILE_SIZE, file) != C_BYTE_FILE_SIZE)
            abort();
        fclose(file);
    }
    ~SFiles()
    {
        remove(gzipNative.c_str());
        remove(bytesNative.c_str());
    }
};

const SFiles& files()
{
    static SFiles instance;
    return instance;
}

void BM_GZipStreamDecompress64MiB(benchmark::State& state)
{
    const SFiles& f = files();
    std::vector<unsigned char> buffer(65536);
    for (auto _ : state)
    {
        CManagedPtr<CFileStream> file =
            CManagedPtr<CFileStream>::adopt(new CFileStream(CStream::C_ACCESS_READ, f.gzipAlias.c_str()));
        CManagedPtr<CGZipStream> unzip = CManagedPtr<CGZipStream>::adopt(new CGZipStream(file.get()));
        uint64_t total = 0;
        for (uint64_t got; (got = unzip->read(buffer.data(), buffer.size())) > 0;)
            total += got;
        if (total != C_GZIP_PLAIN_SIZE)
            state.SkipWithError("CGZipStream lost data");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * C_GZIP_PLAIN_SIZE);
}
BENCHMARK(BM_GZipStreamDecompress64MiB)->Unit(benchmark::kMillisecond);

void BM_ZlibGzread64MiB(benchmark::State& state)
{
    const SFiles& f = files();
    std::vector<unsigned char> buffer(65536);
    for (auto _ : state)
    {
        gzFile in = gzopen(f.gzipNative.c_str(), "rb");
        uint64_t total = 0;
        for (int got; (got = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0;)
            total += static_cast<uint64_t>(got);
        gzclose(in);
        if (total != C_GZIP_PLAIN_SIZE)
            state.SkipWithError("gzread lost data");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * C_GZIP_PLAIN_SIZE);
}
BENCHMARK(BM_ZlibGzread64MiB)->Unit(benchmark::kMillisecond);

void BM_BufferedStreamByteReads(benchmark::State& state)
{
    const SFiles& f = files();
    for (auto _ : state)
    {
        CManagedPtr<CFileStream> file =
            CManagedPtr<CFileStream>::adopt(new CFileStream(CStream::C_ACCESS_READ, f.bytesAlias.c_str()));
        CManagedPtr<CBufferedStream> stream = CManagedPtr<CBufferedStream>::adopt(new CBufferedStream(file.get()));
        uint64_t sum = 0;
        unsigned char byte;
        while (stream->read(&byte, 1) == 1)
            sum += byte;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * C_BYTE_FILE_SIZE);
}
BENCHMARK(BM_BufferedStreamByteReads)->Unit(benchmark::kMillisecond);

void BM_FgetcByteReads(benchmark::State& state)
{
    const SFiles& f = files();
    for (auto _ : state)
    {
        FILE* file = fopen(f.bytesNative.c_str(), "rb");
        uint64_t sum = 0;
        for (int c; (c = fgetc(file)) != EOF;)
            sum += static_cast<unsigned char>(c);
        fclose(file);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * C_BYTE_FILE_SIZE);
}
BENCHMARK(BM_FgetcByteReads)->Unit(benchmark::kMillisecond);

} // namespace
