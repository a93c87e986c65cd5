// Compressed size and time of a document's main part: zlib level 6 over the
// whole part against DeflateStream at several slice sizes, and the block
// walk on its own.
//   pellucor-bench-deflate [--repeat N] FILE...
// A .docx-family FILE gives its word/document.xml; any other file is taken
// as it is. Prints a Markdown table; a last row sums all files.

#include "zip/Compression.h"
#include "zip/DeflateWalker.h"
#include "zip/Package.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <libdeflate.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <zlib.h>

using namespace pellucor::zip;

namespace {

constexpr size_t kSliceSizes[] = {256 << 10, 512 << 10, 1 << 20};
constexpr size_t kColumns = std::size(kSliceSizes);

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string mainPart(const std::string& path) {
    std::string bytes = readFile(path);
    if (bytes.rfind("PK", 0) != 0)
        return bytes;
    return Package::fromBytes(std::move(bytes), path)->read("word/document.xml");
}

// The shortest wall time of `repeat` runs, in milliseconds: the run other
// processes on the machine disturbed least.
double fastestMs(int repeat, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    return *std::min_element(times.begin(), times.end());
}

size_t zlibWhole(const std::string& input) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(input.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("zlib failed");
    deflateEnd(&stream);
    return stream.total_out;
}

// Each slice compressed on its own as DeflateStream does, then only walked.
double walkMs(const std::string& input, int repeat) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::vector<std::pair<std::string, size_t>> slices;
    for (size_t at = 0; at < input.size(); at += kDeflateSliceSize) {
        const std::string_view slice = std::string_view(input).substr(at, kDeflateSliceSize);
        std::string out(libdeflate_deflate_compress_bound(compressor, slice.size()), '\0');
        out.resize(libdeflate_deflate_compress(compressor, slice.data(), slice.size(), out.data(),
                                               out.size()));
        slices.emplace_back(std::move(out), slice.size());
    }
    libdeflate_free_compressor(compressor);
    return fastestMs(repeat, [&] {
        for (const auto& [stream, size] : slices)
            if (!walkDeflateBlocks(stream, size))
                throw std::runtime_error("the walker refused a slice");
    });
}

struct Row {
    size_t size = 0;
    size_t zlibSize = 0;
    double zlibMs = 0;
    size_t streamSize[kColumns] = {};
    double streamMs[kColumns] = {};
    double walkMs = 0;
};

void print(const std::string& name, const Row& row) {
    std::printf("| %s | %zu | %zu | %.1f |", name.c_str(), row.size, row.zlibSize, row.zlibMs);
    for (size_t i = 0; i < kColumns; ++i)
        std::printf(" %zu (%+.2f%%) | %.1f |", row.streamSize[i],
                    100.0 * (static_cast<double>(row.streamSize[i]) /
                                 static_cast<double>(std::max<size_t>(row.zlibSize, 1)) -
                             1),
                    row.streamMs[i]);
    std::printf(" %.2f |\n", row.walkMs);
}

} // namespace

int main(int argc, char** argv) {
    int repeat = 5;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::stoi(argv[++i]));
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: pellucor-bench-deflate [--repeat N] FILE...\n");
        return 2;
    }
    std::printf("| file | part bytes | zlib-6 bytes | zlib-6 ms |");
    for (size_t size : kSliceSizes)
        std::printf(" stream %zu KiB bytes (vs zlib) | ms |", size >> 10);
    std::printf(" walk ms (1 MiB) |\n|---|---:|---:|---:|");
    for (size_t i = 0; i < kColumns; ++i)
        std::printf("---:|---:|");
    std::printf("---:|\n");

    Row total;
    for (const std::string& file : files) {
        std::string part;
        try {
            part = mainPart(file);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "skipped: %s\n", error.what());
            continue;
        }
        Row row;
        row.size = part.size();
        row.zlibSize = zlibWhole(part);
        row.zlibMs = fastestMs(repeat, [&] { zlibWhole(part); });
        for (size_t i = 0; i < kColumns; ++i) {
            Deflated deflated;
            row.streamMs[i] = fastestMs(repeat, [&] {
                DeflateStream stream(kSliceSizes[i]);
                stream.write(part);
                deflated = stream.finish();
            });
            std::string check;
            if (inflateRaw(deflated.data, part.size(), check) != InflateResult::Ok ||
                check != part || deflated.crc != crcOf(part))
                throw std::runtime_error("the stream of " + file + " does not inflate back");
            row.streamSize[i] = deflated.data.size();
            total.streamSize[i] += row.streamSize[i];
            total.streamMs[i] += row.streamMs[i];
        }
        row.walkMs = walkMs(part, repeat);
        total.size += row.size;
        total.zlibSize += row.zlibSize;
        total.zlibMs += row.zlibMs;
        total.walkMs += row.walkMs;
        const size_t slash = file.find_last_of('/');
        print(slash == std::string::npos ? file : file.substr(slash + 1), row);
    }
    if (files.size() > 1)
        print("all", total);
    return 0;
}
