// recovery.h - the edit journal of an open map, and the offer of its unsaved work at the next
// open.
//
// Each open map journals its steps (journal_session_*) into a file of the recovery folder
// ($XDG_STATE_HOME/ostrel/recovery/, by default ~/.local/state/ostrel/recovery/) named from
// the map's real path; the untitled map has a file of its own. The journal starts from the
// bytes loaded or last saved: a save starts it again, a clean end removes it, and a map given
// up with unsaved changes leaves it for the next open.
//
// When a map opens and its journal holds work, the journal is moved aside as offered
// ("<journal>.offered", so that the new session's journal never overwrites it) and the user is
// told; a journal this build cannot read is renamed aside, reported and never applied. The
// offered work is applied in place, as one undoable step, when the journal starts from the
// map's file exactly as it still is on disk (size, time and hash) and the map is unchanged
// since it was opened; otherwise it opens as a new untitled map, so nothing on disk is
// overwritten.
#pragma once
#include <cstdint>
#include <string>

#include "editor/recovery/journal_writer.h"
#include "map/lvl/level.h"

struct MapData;

// The recovery folder (made when missing; empty when no home is known).
std::string recovery_folder();
// The journal file of the map saved at map_path (null or "": the untitled map).
std::string recovery_journal_file(const std::string& folder, const char* map_path);

struct JournalSession;
// Starts journaling a map into file. A map unchanged since it was read from its file (map_path,
// "" for none) starts from that file's bytes, the untitled map as made from nothing; the
// journal is then written at the first step. A map with unsaved changes (recovered work)
// starts from its whole state, written at once.
[[nodiscard]] JournalSession* journal_session_start(MapEdit map, const std::string& map_path,
                                                    bool unsaved, const std::string& file,
                                                    uint64_t bound = kJournalDefaultBound);
// After a save made the map's file (map_path) durable: the journal starts again from the saved
// bytes.
void journal_session_saved(JournalSession* session, MapEdit map, const std::string& map_path);
// Ends journaling (the map stops reporting steps); remove deletes the journal.
void journal_session_end(JournalSession* session, MapEdit map, bool remove);
// Waits until every step so far is durable (without hurry: at the journal's own pace).
void journal_session_flush(JournalSession* session, bool hurry = true);
// A failure to tell the user (once per failure).
[[nodiscard]] bool journal_session_take_failure(JournalSession* session, std::string* reason);
// Steps handed to the journal so far.
uint64_t journal_session_steps(const JournalSession* session);

struct RecoveryOffer {
    std::string file;   // the journal, moved aside
    std::string when;   // local time of its last write, "2026-12-07 14:03"
    uint32_t steps = 0;
};

enum RecoveryFind {
    RECOVERY_NONE,      // nothing to offer
    RECOVERY_OFFERED,   // *offer describes unsaved work
    RECOVERY_SET_ASIDE, // a journal that cannot be read was renamed; *message says where
};
// Looks for unsaved work of the map saved at map_path (null: the untitled map).
RecoveryFind recovery_find(const std::string& folder, const char* map_path, RecoveryOffer* offer,
                           std::string* message);
// "unsaved work from 2026-12-07 14:03 (37 steps) found: ?recover restores it, ?discard drops it"
std::string recovery_offer_text(const RecoveryOffer& offer);

struct RecoveryResult {
    bool ok = false;
    MapData* new_map = nullptr; // the work as a new untitled map; null when applied in place
    LevelLosses losses;         // what the read of the new map's base could not use
    std::string message;        // what was restored, or why nothing was
};
// Applies the offered work to map (see the banner). The offered journal stays until the caller
// discards it, once the work is durable in the open map's own journal (journal_session_flush).
// A journal that fails is renamed aside and reported.
[[nodiscard]] RecoveryResult recovery_apply(const RecoveryOffer& offer, MapEdit map,
                                           const std::string& map_path, bool unsaved);
// Deletes the offered journal.
void recovery_discard(const RecoveryOffer& offer);
// The map a journal describes: its last base or whole-map step read as a level, then every
// step after it. Null, with the reason, when a record does not decode. No file holds the map:
// its opener treats it as unsaved. What the read of the base could not use goes to losses.
[[nodiscard]] MapData* recovery_build_map(const JournalContents& journal, std::string* problem,
                                          LevelLosses* losses = nullptr);
