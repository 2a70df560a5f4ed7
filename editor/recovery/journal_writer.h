// journal_writer.h - writes one map's edit journal off the painting path.
//
// A thread with a queue. The editor hands it framed records (map/edit/journal.h) as steps end
// and never waits, nor wakes it: every 20 ms the thread writes the records it finds and makes
// them durable with fdatasync before it looks again, so records are grouped and a step is
// durable well within a second of its end.
//
// Step records are laid out by the painting thread straight into a 64 KiB block that the
// thread reads as it fills: the painting thread takes no lock for them, only to start a new
// block (then it also wakes the thread, so few blocks are out at a time). Anything else
// queued ends the open block, so records reach the file in the order they were made.
//
// The file is made at the first record after a begin: header, base and that record through
// the safe save, so a journal is never seen without its header and base; later records are
// appended. A begin (a load or a save) removes the old file first: the journal then starts
// from the new base. When the file grows past its base's size plus the bound, the writer asks
// for a rewrite, which replaces the file with the header and one base holding the whole map.
//
// A failure (folder not writable, disk full) stops the journal until the next begin and is
// told once; editing and saving never wait for it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "map/edit/journal.h"

struct JournalWriter;

// Journal bytes past the base's size at which a rewrite is asked for.
inline constexpr uint64_t kJournalDefaultBound = uint64_t{64} << 20;

[[nodiscard]] JournalWriter* journal_writer_new(std::string file,
                                                uint64_t bound = kJournalDefaultBound);
// Writes what is queued and ends the thread; with remove, the journal file is deleted last.
void journal_writer_free(JournalWriter* writer, bool remove);

// Starts over from base (lvl bytes): the old file goes now; the new one is made at the first
// record. With hash_base, the header's hash is computed from base (the bytes of the file).
void journal_writer_begin(JournalWriter* writer, const JournalHeader& header,
                          std::vector<uint8_t> base, bool hash_base);
// Queues framed records to append.
void journal_writer_append(JournalWriter* writer, std::vector<uint8_t> records);
// Describes a step just made on map straight into the open block (its checksum is left to
// the thread): the least a step costs the painting thread. False, queuing nothing, when the
// step cannot be described (journal_encode_step).
[[nodiscard]] bool journal_writer_append_step(JournalWriter* writer, const MapData* map,
                                              const EditStepView& step);
// Replaces the file with the header and the whole map as its base (the answer to a rewrite
// request; the records queued before it are dropped with the old file).
void journal_writer_rewrite(JournalWriter* writer, std::vector<uint8_t> base);
// True once the file grew past its bound, until a rewrite is queued.
[[nodiscard]] bool journal_writer_wants_rewrite(const JournalWriter* writer);
// Waits until everything queued so far is written and durable; without hurry, at the thread's
// own pace (the time a step waits to be durable).
void journal_writer_flush(JournalWriter* writer, bool hurry = true);
// The reason of a failure not told yet (at most once per failure), or false.
[[nodiscard]] bool journal_writer_take_failure(JournalWriter* writer, std::string* reason);
const std::string& journal_writer_file(const JournalWriter* writer);
