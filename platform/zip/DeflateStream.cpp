#include "zip/Compression.h"
#include "zip/DeflateSlices.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#include <zlib.h>

namespace pellucor::zip {
namespace {

// Slices handed over but not yet taken by a worker; beyond this write()
// compresses them itself, so that memory stays bounded.
constexpr size_t kMostWaiting = 3;

struct Slice {
    std::string input;
    bool last = false;
    SliceStream output;
    uint32_t crc = 0;
    uint64_t size = 0;
};

void compress(Slice& slice) {
    slice.crc = crcOf(slice.input);
    slice.size = slice.input.size();
    slice.output = deflateSlice(slice.input, slice.last);
    std::string().swap(slice.input);
}

// The calling thread compresses too, so one core less.
unsigned workerCount() {
    const unsigned cores = std::min(std::thread::hardware_concurrency(), 4u);
    return std::max(cores, 2u) - 1;
}

} // namespace

struct DeflateStream::Work {
    explicit Work(size_t size) : sliceSize(size) {}

    size_t sliceSize;
    std::string filling; // the slice being written
    std::deque<Slice> slices;
    std::deque<Slice*> waiting;
    size_t compressed = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable sliceDone;
    std::vector<std::thread> workers;
    bool started = false;
    bool stopping = false;
    std::exception_ptr failure;

    ~Work() { stop(); }

    void stop() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        for (auto& worker : workers)
            worker.join();
        workers.clear();
    }

    void runWorker() {
        std::unique_lock lock(mutex);
        while (true) {
            wake.wait(lock, [this] { return stopping || !waiting.empty(); });
            if (stopping)
                return;
            compressNext(lock);
        }
    }

    // The oldest waiting slice, compressed with the lock released.
    void compressNext(std::unique_lock<std::mutex>& lock) {
        Slice* slice = waiting.front();
        waiting.pop_front();
        lock.unlock();
        std::exception_ptr error;
        try {
            compress(*slice);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        ++compressed;
        if (error && !failure)
            failure = error;
        sliceDone.notify_all();
    }

    // Without threads the calling thread compresses every slice itself.
    void startWorkers() {
        started = true;
        try {
            for (unsigned i = workerCount(); i > 0; --i)
                workers.emplace_back([this] { runWorker(); });
        } catch (const std::system_error&) {
        }
    }

    void handOver(bool last) {
        std::unique_lock lock(mutex);
        Slice& slice = slices.emplace_back();
        slice.input = std::move(filling);
        slice.last = last;
        filling = std::string();
        waiting.push_back(&slice);
        if (!started)
            startWorkers();
        wake.notify_one();
        while (waiting.size() > (last ? 0 : kMostWaiting))
            compressNext(lock);
        if (last)
            sliceDone.wait(lock, [this] { return compressed == slices.size(); });
        if (failure)
            std::rethrow_exception(failure);
    }
};

DeflateStream::DeflateStream(size_t sliceSize)
    : m_work(std::make_unique<Work>(std::max<size_t>(sliceSize, 1))) {}

DeflateStream::~DeflateStream() = default;

void DeflateStream::write(std::string_view bytes) {
    Work& work = *m_work;
    while (!bytes.empty()) {
        // A full slice is handed over only when more follows: a part that
        // fits in one slice starts no thread.
        if (work.filling.size() == work.sliceSize) {
            work.handOver(false);
            work.filling.reserve(work.sliceSize);
        }
        const size_t room = work.sliceSize - work.filling.size();
        work.filling.append(bytes.substr(0, room));
        bytes.remove_prefix(std::min(room, bytes.size()));
    }
}

Deflated DeflateStream::finish() {
    Work& work = *m_work;
    Deflated result;
    if (work.slices.empty()) {
        result.data = deflateAlone(work.filling);
        result.crc = crcOf(work.filling);
        result.size = work.filling.size();
        m_work = std::make_unique<Work>(work.sliceSize);
        return result;
    }
    work.handOver(true);
    work.stop();

    size_t bytes = 0;
    for (const Slice& slice : work.slices)
        bytes += slice.output.data.size();
    result.data.reserve(bytes);
    uint64_t bits = 0;
    for (Slice& slice : work.slices) {
        appendSlice(result.data, bits, slice.output);
        std::string().swap(slice.output.data);
        result.crc = static_cast<uint32_t>(
            crc32_combine(result.crc, slice.crc, static_cast<z_off_t>(slice.size)));
        result.size += slice.size;
    }
    m_work = std::make_unique<Work>(work.sliceSize);
    return result;
}

} // namespace pellucor::zip
