// journal_writer.cpp - the journal's thread: a queue of begins, records and rewrites, written
// in order, each batch made durable before the next is taken.
#include "editor/recovery/journal_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "core/platform.h"
#include "core/safe_save.h"

namespace {

// Step records the painting thread lays out without a lock: it tells how far it filled the
// block through `filled`, and the thread writes what was told. Blocks come back for reuse.
constexpr size_t kChunkBytes = size_t{64} << 10;
constexpr size_t kSpareChunks = 8;
struct Chunk {
    std::unique_ptr<uint8_t[]> bytes{new uint8_t[kChunkBytes]};
    std::atomic<size_t> filled{0};
    size_t written = 0;  // the thread's own
    bool closed = false; // guarded by the lock: no more records come into it
};

struct Item {
    enum Kind { BEGIN, APPEND, REWRITE, CHUNK } kind;
    JournalHeader header;
    std::vector<uint8_t> bytes;
    bool hash_base = false;
    std::unique_ptr<Chunk> chunk;
};

} // namespace

struct JournalWriter {
    std::string file;
    uint64_t bound;
    std::mutex lock;
    std::condition_variable wake, done;
    std::deque<Item> queue;
    uint64_t queued = 0, finished = 0;
    bool stop = false;
    bool urgent = false; // a begin, rewrite, flush or stop waits to be seen
    std::string failure; // guarded by lock
    bool failure_new = false;
    std::atomic<bool> wants_rewrite{false};
    std::vector<std::unique_ptr<Chunk>> spare; // guarded by lock
    // The painting thread's own: the block it fills now (queued as the last item) and how far.
    Chunk* open = nullptr;
    size_t open_used = 0;
    std::thread thread;
    // The thread's own state.
    int fd = -1;
    JournalHeader header;
    std::vector<uint8_t> base; // the base while the file is not made yet
    uint64_t size = 0, base_size = 0;
    bool broken = false;
};

namespace {

// How often the thread looks for new records; with the write and the fdatasync after it, the
// time a finished step may wait before it is durable.
constexpr int kPollMs = 20;

void close_file(JournalWriter* w) {
    if (w->fd >= 0) ::close(w->fd);
    w->fd = -1;
}

void fail(JournalWriter* w, const char* what, int error) {
    close_file(w);
    w->broken = true;
    std::lock_guard<std::mutex> hold(w->lock);
    w->failure = std::string(what) + " " + w->file + ": " + file_error_text(error);
    w->failure_new = true;
}

// The file from nothing: header, base and the first records, complete or not there at all.
bool make_file(JournalWriter* w, std::span<const uint8_t> records) {
    std::vector<uint8_t> bytes;
    journal_encode_header(w->header, &bytes);
    journal_encode_map(JOURNAL_BASE, w->base, &bytes);
    w->base_size = bytes.size();
    bytes.insert(bytes.end(), records.begin(), records.end());
    SafeSaveOptions options;
    options.refuse_links = true;
    if (int error = safe_save_file(w->file.c_str(), bytes, options)) {
        fail(w, "cannot write the edit journal", error);
        return false;
    }
    w->fd = ::open(w->file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (w->fd < 0) {
        fail(w, "cannot open the edit journal", errno);
        return false;
    }
    w->size = bytes.size();
    w->base.clear();
    w->base.shrink_to_fit();
    return true;
}

bool append(JournalWriter* w, std::span<const uint8_t> records) {
    if (w->fd < 0) return make_file(w, records);
    for (size_t done = 0; done < records.size();) {
        ssize_t n = ::write(w->fd, records.data() + done, records.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(w, "cannot append to the edit journal", n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    w->size += records.size();
    return true;
}

// Returns true when the item left bytes that still need an fdatasync.
bool run(JournalWriter* w, Item& item) {
    switch (item.kind) {
    case Item::BEGIN:
        close_file(w);
        w->broken = false;
        w->wants_rewrite = false;
        w->header = item.header;
        if (item.hash_base) journal_hash(item.bytes, w->header.hash);
        w->base = std::move(item.bytes);
        if (::unlink(w->file.c_str()) != 0 && errno != ENOENT)
            fail(w, "cannot remove the old edit journal", errno);
        return false;
    case Item::APPEND:
        journal_seal(item.bytes);
        if (w->broken || !append(w, item.bytes)) return false;
        if (w->size > w->base_size + w->bound) w->wants_rewrite = true;
        return true;
    case Item::CHUNK: {
        Chunk& c = *item.chunk;
        size_t filled = c.filled.load(std::memory_order_acquire);
        std::span<uint8_t> records(c.bytes.get() + c.written, filled - c.written);
        c.written = filled;
        if (records.empty()) return false;
        journal_seal(records);
        if (w->broken || !append(w, records)) return false;
        if (w->size > w->base_size + w->bound) w->wants_rewrite = true;
        return true;
    }
    case Item::REWRITE:
        if (w->broken) return false;
        close_file(w);
        w->header.base = JOURNAL_BASE_WORK;
        w->base = std::move(item.bytes);
        make_file(w, {});
        w->wants_rewrite = false;
        return false;
    }
    return false;
}

void thread_main(JournalWriter* w) {
    std::unique_lock<std::mutex> hold(w->lock);
    for (;;) {
        // Records are not announced (a wake-up per step would cost the painting thread a
        // system call): the thread looks for them every kPollMs.
        w->wake.wait_for(hold, std::chrono::milliseconds(kPollMs),
                         [&] { return w->stop || w->urgent; });
        w->urgent = false;
        if (w->queue.empty() && !w->stop) continue;
        if (w->queue.empty()) break;
        std::deque<Item> batch;
        batch.swap(w->queue);
        hold.unlock();
        bool dirty = false;
        for (Item& item : batch)
            dirty = run(w, item) || dirty;
        hold.lock();
        // The block the painting thread still fills stays first in the queue; one it left
        // meanwhile is written to its end before anything queued after it.
        Item* last = batch.empty() || batch.back().kind != Item::CHUNK ? nullptr : &batch.back();
        bool still_open = last && !last->chunk->closed;
        if (last && !still_open) {
            hold.unlock();
            dirty = run(w, *last) || dirty;
            hold.lock();
        }
        hold.unlock();
        if (dirty && w->fd >= 0 && ::fdatasync(w->fd) != 0 && errno != EINVAL)
            fail(w, "cannot make the edit journal durable", errno);
        hold.lock();
        if (still_open) {
            w->queue.push_front(std::move(*last));
            batch.pop_back();
        }
        for (Item& item : batch)
            if (item.chunk && w->spare.size() < kSpareChunks) {
                item.chunk->filled.store(0, std::memory_order_relaxed);
                item.chunk->written = 0;
                item.chunk->closed = false;
                w->spare.push_back(std::move(item.chunk));
            }
        w->finished += batch.size();
        w->done.notify_all();
    }
}

// Under the lock: the painting thread's block takes no more records (later ones go after
// the item queued next).
void close_open(JournalWriter* w) {
    if (w->open) w->open->closed = true;
    w->open = nullptr;
}

void push(JournalWriter* w, Item item, bool urgent) {
    std::lock_guard<std::mutex> hold(w->lock);
    close_open(w);
    w->queue.push_back(std::move(item));
    ++w->queued;
    if (urgent) {
        w->urgent = true;
        w->wake.notify_one();
    }
}

// The painting thread's place for a record of length bytes in its block, opening a new block
// when the open one is full; null for a record larger than a block.
uint8_t* room_in_open(JournalWriter* w, size_t length) {
    if (length > kChunkBytes) return nullptr;
    if (w->open && w->open_used + length <= kChunkBytes) return w->open->bytes.get() + w->open_used;
    std::lock_guard<std::mutex> hold(w->lock);
    // A full block is written at once rather than at the next look: its bytes are then
    // still in the caches, and few blocks are out at a time.
    if (w->open) {
        w->urgent = true;
        w->wake.notify_one();
    }
    close_open(w);
    std::unique_ptr<Chunk> chunk;
    if (!w->spare.empty()) {
        chunk = std::move(w->spare.back());
        w->spare.pop_back();
    } else {
        chunk = std::make_unique<Chunk>();
    }
    w->open = chunk.get();
    w->open_used = 0;
    w->queue.push_back(Item{Item::CHUNK, {}, {}, false, std::move(chunk)});
    ++w->queued;
    return w->open->bytes.get();
}

// Tells the thread that a record of length bytes is laid out at the open block's end.
void publish(JournalWriter* w, size_t length) {
    w->open_used += length;
    w->open->filled.store(w->open_used, std::memory_order_release);
}

} // namespace

JournalWriter* journal_writer_new(std::string file, uint64_t bound) {
    auto* w = new JournalWriter;
    w->file = std::move(file);
    w->bound = bound;
    w->thread = std::thread(thread_main, w);
    return w;
}

void journal_writer_free(JournalWriter* w, bool remove) {
    if (!w) return;
    {
        std::lock_guard<std::mutex> hold(w->lock);
        close_open(w);
        w->stop = true;
        w->urgent = true;
        w->wake.notify_one();
    }
    w->thread.join();
    close_file(w);
    if (remove) ::unlink(w->file.c_str());
    delete w;
}

void journal_writer_begin(JournalWriter* w, const JournalHeader& header, std::vector<uint8_t> base,
                          bool hash_base) {
    push(w, Item{Item::BEGIN, header, std::move(base), hash_base, {}}, true);
}

void journal_writer_append(JournalWriter* w, std::vector<uint8_t> records) {
    push(w, Item{Item::APPEND, {}, std::move(records), false, {}}, false);
}

void journal_writer_rewrite(JournalWriter* w, std::vector<uint8_t> base) {
    w->wants_rewrite = false;
    push(w, Item{Item::REWRITE, {}, std::move(base), false, {}}, true);
}

bool journal_writer_append_step(JournalWriter* w, const MapData* map, const EditStepView& step) {
    // A step of tiles and objects is laid out in the open block: no lock, no copy.
    if (uint8_t* at = room_in_open(w, journal_plain_step_room(step)))
        if (size_t length = journal_encode_plain_step(map, step, at)) {
            publish(w, length);
            return true;
        }
    std::vector<uint8_t> record;
    if (!journal_encode_step(map, step, &record, false)) return false;
    if (uint8_t* at = room_in_open(w, record.size())) {
        std::memcpy(at, record.data(), record.size());
        publish(w, record.size());
        return true;
    }
    push(w, Item{Item::APPEND, {}, std::move(record), false, {}}, false);
    return true;
}

bool journal_writer_wants_rewrite(const JournalWriter* w) {
    return w->wants_rewrite;
}

void journal_writer_flush(JournalWriter* w, bool hurry) {
    std::unique_lock<std::mutex> hold(w->lock);
    close_open(w);
    uint64_t target = w->queued;
    if (hurry) {
        w->urgent = true;
        w->wake.notify_one();
    }
    w->done.wait(hold, [&] { return w->finished >= target; });
}

bool journal_writer_take_failure(JournalWriter* w, std::string* reason) {
    std::lock_guard<std::mutex> hold(w->lock);
    if (!w->failure_new) return false;
    w->failure_new = false;
    *reason = w->failure;
    return true;
}

const std::string& journal_writer_file(const JournalWriter* w) {
    return w->file;
}
