// recovery.cpp - journal sessions of open maps, and finding, applying and discarding the
// unsaved work a journal holds.
#include "editor/recovery/recovery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "core/log.h"
#include "core/platform.h"
#include "map/edit/edit.h"
#include "map/exchange/exchange.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

struct JournalSession {
    JournalWriter* writer;
    uint64_t steps = 0;
};

namespace {

// A tileset in a journal is taken only when a level file's could be.
bool tileset_ok(std::span<const uint8_t> bmp) {
    char reason[8];
    return tileset_file_check(bmp, reason, sizeof reason);
}

std::string real_path(const char* path) {
    char resolved[PATH_MAX];
    if (::realpath(path, resolved)) return resolved;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? std::string(path) : absolute.lexically_normal().string();
}

// The whole file behind path with its size and time; false when it cannot be read.
bool read_file(const std::string& path, std::vector<uint8_t>* bytes, JournalHeader* header) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        bytes->resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (ok && done < bytes->size()) {
            ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            done += ok ? static_cast<size_t>(n) : 0;
        }
        header->size = static_cast<uint64_t>(st.st_size);
        header->mtime_ns = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    }
    ::close(fd);
    return ok;
}

void observe(void* user, MapData* map, const EditStepView& step) {
    auto* s = static_cast<JournalSession*>(user);
    ++s->steps;
    // A map with a placeholder tileset saves without its regions and attributes: such a
    // snapshot would not hold the map, so the journal grows on until a real tileset is in.
    if (journal_writer_wants_rewrite(s->writer) && !map->tileset_placeholder) {
        std::vector<uint8_t> whole;
        mapdata_save_bytes(map, &whole);
        journal_writer_rewrite(s->writer, std::move(whole));
        return;
    }
    if (journal_writer_append_step(s->writer, map, step)) return;
    std::vector<uint8_t> whole, record;
    mapdata_save_bytes(map, &whole);
    journal_encode_map(JOURNAL_STEP_MAP, whole, &record);
    journal_writer_append(s->writer, std::move(record));
}

// The header and base the journal of map, saved at path ("": nowhere), starts from now.
void begin(JournalSession* s, MapData* map, const std::string& path, bool unsaved) {
    JournalHeader header;
    std::vector<uint8_t> base;
    bool file = !path.empty();
    if (file) header.path = real_path(path.c_str());
    if (!unsaved && file && read_file(header.path, &base, &header)) {
        header.base = JOURNAL_BASE_FILE;
        // A level file is its own base; a Tiled map's base is the level it reads as.
        if (!exchange_is_tiled(path.c_str())) {
            journal_writer_begin(s->writer, header, std::move(base), true);
            return;
        }
        journal_hash(base, header.hash);
        base.clear();
        mapdata_save_bytes(map, &base);
        journal_writer_begin(s->writer, header, std::move(base), false);
        return;
    }
    header.size = 0;
    header.mtime_ns = 0;
    mapdata_save_bytes(map, &base);
    bool work = unsaved || file;
    header.base = work ? JOURNAL_BASE_WORK : JOURNAL_BASE_EMPTY;
    journal_writer_begin(s->writer, header, std::move(base), false);
    // Work that no file holds is written at once, not at the next step.
    if (work) journal_writer_append(s->writer, {});
}

void set_aside(const std::string& file, const char* why, std::string* message) {
    std::string aside = file + ".unreadable-" + std::to_string(std::time(nullptr));
    if (std::rename(file.c_str(), aside.c_str()) != 0) aside = file + " (could not be renamed)";
    *message = std::string("an edit journal was set aside, not applied (") + why + "): " + aside;
    log_msg('W', "%s", message->c_str());
}

} // namespace

std::string recovery_folder() {
    std::string folder;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        folder = state;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::string(home) + "/.local/state";
    else
        return {};
    folder += "/ostrel/recovery";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

std::string recovery_journal_file(const std::string& folder, const char* map_path) {
    if (!map_path || !*map_path) return folder + "/untitled.journal";
    std::string real = real_path(map_path);
    uint8_t hash[kJournalHashBytes];
    journal_hash(std::span(reinterpret_cast<const uint8_t*>(real.data()), real.size()), hash);
    std::string name = std::filesystem::path(real).filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    char hex[17];
    for (int i = 0; i < 8; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", hash[i]);
    return folder + "/" + name.substr(0, 64) + "-" + hex + ".journal";
}

JournalSession* journal_session_start(MapEdit map, const std::string& map_path, bool unsaved,
                                      const std::string& file, uint64_t bound) {
    auto* s = new JournalSession{journal_writer_new(file, bound)};
    begin(s, map, map_path, unsaved);
    edit_set_observer(map, observe, s);
    return s;
}

void journal_session_saved(JournalSession* s, MapEdit map, const std::string& map_path) {
    if (s) begin(s, map, map_path, false);
}

void journal_session_end(JournalSession* s, MapEdit map, bool remove) {
    if (!s) return;
    if (map) edit_set_observer(map, nullptr, nullptr);
    journal_writer_free(s->writer, remove);
    delete s;
}

void journal_session_flush(JournalSession* s, bool hurry) {
    if (s) journal_writer_flush(s->writer, hurry);
}

bool journal_session_take_failure(JournalSession* s, std::string* reason) {
    return s && journal_writer_take_failure(s->writer, reason);
}

uint64_t journal_session_steps(const JournalSession* s) {
    return s ? s->steps : 0;
}

RecoveryFind recovery_find(const std::string& folder, const char* map_path, RecoveryOffer* offer,
                           std::string* message) {
    if (folder.empty()) return RECOVERY_NONE;
    std::string file = recovery_journal_file(folder, map_path);
    std::string offered = file + ".offered";
    // New work replaces an offer that was never answered; else that offer stands again.
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        if (std::rename(file.c_str(), offered.c_str()) != 0) return RECOVERY_NONE;
    } else if (::stat(offered.c_str(), &st) != 0) {
        return RECOVERY_NONE;
    }
    int error = 0;
    MappedFile* mapped = mapped_file_open(offered.c_str(), &error);
    JournalContents journal =
        mapped ? journal_parse(std::span(mapped->data, mapped->length)) : JournalContents{};
    if (mapped) mapped_file_close(mapped);
    if (journal.status != JOURNAL_OK) {
        set_aside(offered, journal.problem.c_str(), message);
        return RECOVERY_SET_ASIDE;
    }
    if (!journal.holds_work()) {
        ::unlink(offered.c_str());
        return RECOVERY_NONE;
    }
    offer->file = offered;
    offer->steps = journal.steps();
    char when[32] = "?";
    if (::stat(offered.c_str(), &st) == 0) {
        struct tm local {};
        localtime_r(&st.st_mtim.tv_sec, &local);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    }
    offer->when = when;
    if (journal.dropped_bytes) log_msg('W', "edit journal %s: a torn end of %zu bytes was left out",
                                       offered.c_str(), journal.dropped_bytes);
    return RECOVERY_OFFERED;
}

std::string recovery_offer_text(const RecoveryOffer& offer) {
    return "unsaved work from " + offer.when + " (" + std::to_string(offer.steps) +
           (offer.steps == 1 ? " step" : " steps") +
           ") found: ?recover restores it, ?discard drops it";
}

RecoveryResult recovery_apply(const RecoveryOffer& offer, MapEdit map,
                              const std::string& map_path, bool unsaved) {
    RecoveryResult result;
    std::vector<uint8_t> bytes;
    JournalHeader ignored;
    if (!read_file(offer.file, &bytes, &ignored)) {
        result.message = "the offered work is gone: " + offer.file;
        return result;
    }
    JournalContents journal = journal_parse(bytes);
    std::string problem = journal.problem;
    if (journal.status == JOURNAL_OK && journal.replays_on_file() && map && !map_path.empty() &&
        !unsaved && real_path(map_path.c_str()) == journal.header.path) {
        // The file must still be the one the journal began on.
        JournalHeader now;
        std::vector<uint8_t> file;
        uint8_t hash[kJournalHashBytes];
        bool same = read_file(journal.header.path, &file, &now) &&
                    now.size == journal.header.size && now.mtime_ns == journal.header.mtime_ns;
        if (same) journal_hash(file, hash);
        if (same && std::memcmp(hash, journal.header.hash, kJournalHashBytes) == 0) {
            edit_begin(map, "recover");
            edit_label(map, "recover %u steps", journal.steps());
            bool ok = true;
            for (size_t i = 1; ok && i < journal.records.size(); ++i)
                ok = journal_apply_step(map, journal.records[i].body, &problem, tileset_ok);
            edit_end(map);
            if (ok) {
                result.ok = true;
                result.message = "restored " + std::to_string(journal.steps()) +
                                 " steps of unsaved work (one step: ?undo takes it back)";
                return result;
            }
            edit_undo(map, nullptr);
        }
    }
    if (journal.status == JOURNAL_OK &&
        (result.new_map = recovery_build_map(journal, &problem, &result.losses))) {
        result.ok = true;
        result.message = "restored " + std::to_string(journal.steps()) +
                         " steps of unsaved work as a new untitled map: " +
                         (journal.header.path.empty() ? std::string("it had no file")
                                                      : journal.header.path + " changed since");
        return result;
    }
    set_aside(offer.file, problem.c_str(), &result.message);
    return result;
}

void recovery_discard(const RecoveryOffer& offer) {
    if (!offer.file.empty()) ::unlink(offer.file.c_str());
}

MapData* recovery_build_map(const JournalContents& journal, std::string* problem,
                            LevelLosses* losses) {
    size_t start = journal_rebuild_start(journal);
    if (start >= journal.records.size()) {
        *problem = "the journal holds no map";
        return nullptr;
    }
    // The steps replay through a history of their own, which goes when the map is built.
    EditedMap map(mapdata_new());
    LevelReadOptions options{false};
    options.losses = losses;
    mapdata_read_bytes(map.get(), journal.records[start].body, options);
    for (size_t i = start + 1; i < journal.records.size(); ++i)
        if (!journal_apply_step(map, journal.records[i].body, problem, tileset_ok)) return nullptr;
    map.history.reset();
    return map.map.release();
}
