// editor_journal.h - the open map's edit journal as the editor runs it: the journal follows the
// map from its open through its saves to its close, unsaved work found at an open is offered on
// the console, and "?recover" or "?discard" answer the offer.
//
// The editor holds one EditorJournal and calls it at the few moments a map's life changes;
// everything else (records, the writer thread, finding and applying work) is recovery.h's.
#pragma once

struct Document;
struct EditorJournal;
struct LevelLosses;
struct MapData;

// Journals into the recovery folder of the environment ($XDG_STATE_HOME/ostrel/recovery/).
[[nodiscard]] EditorJournal* editor_journal_new();
void editor_journal_free(EditorJournal* journal);

// After map became the open map (at start, "?go", "?new", "?recent", recovered work): says in
// red (and in the log) when unsaved work of it was found, then starts its journal. A map that
// opens with unsaved changes is recovered work: nothing is looked for, and the offer it came
// from is dropped once the work is durable in the map's own journal.
void editor_journal_opened(EditorJournal* journal, const Document& doc);
// Before the open map is left or the editor ends: without unsaved changes its journal goes;
// with them (a discarded map) the journal stays for the next open.
void editor_journal_closing(EditorJournal* journal, const Document& doc);
// After a save of the map: once it counts as saved, its journal starts again from the saved
// file (doc.path).
void editor_journal_saved(EditorJournal* journal, const Document& doc);
// Each pass of the loop: a journal that cannot be written is said once in red (later failures
// only in the log); editing and saving go on without it.
void editor_journal_check(EditorJournal* journal);

// "?recover": applies the offered work to the open map in place, or returns it as a new untitled map for
// the caller to open (the map's file changed since the work began); null otherwise. Says what
// was restored or why nothing was.
// What the read of the new map's base could not use goes to losses.
[[nodiscard]] MapData* editor_journal_recover(EditorJournal* journal, const Document& doc,
                                              LevelLosses* losses);
// "?discard": deletes the offered work.
void editor_journal_discard(EditorJournal* journal);
