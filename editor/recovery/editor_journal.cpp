// editor_journal.cpp - the open map's journal session, the offer of unsaved work and its
// answers, on the console.
#include "editor/recovery/editor_journal.h"

#include <string>

#include "console/console.h"
#include "core/log.h"
#include "editor/editor_state.h"
#include "editor/recovery/recovery.h"
#include "map/model/mapdata.h"

struct EditorJournal {
    std::string folder; // empty: no home to keep journals in
    JournalSession* session = nullptr;
    std::string session_file; // the journal the session writes
    RecoveryOffer offer;      // work waiting for an answer (file empty: none)
    RecoveryOffer recovered;  // work opened as a new map, dropped once it is durable again
    bool failure_told = false;
};

namespace {

// The first failure goes to the console in red (red lines reach the log too); later ones only
// to the log.
void tell_failure(EditorJournal* j, const std::string& reason) {
    if (j->failure_told) {
        log_msg('W', "edit journal off: %s", reason.c_str());
        return;
    }
    j->failure_told = true;
    console_print(app().console, 3, "unsaved work is not journaled (%s): ?save often",
                  reason.c_str());
}

void start(EditorJournal* j, const Document& doc) {
    j->session_file = recovery_journal_file(j->folder, doc.path.c_str());
    j->session =
        journal_session_start(doc.map.edit(), doc.path, document_modified(doc), j->session_file);
}

void stop(EditorJournal* j, MapEdit map, bool remove) {
    journal_session_end(j->session, map, remove);
    j->session = nullptr;
    j->session_file.clear();
}

} // namespace

EditorJournal* editor_journal_new() {
    auto* j = new EditorJournal;
    j->folder = recovery_folder();
    return j;
}

void editor_journal_free(EditorJournal* j) {
    if (!j) return;
    stop(j, {}, false);
    delete j;
}

void editor_journal_opened(EditorJournal* j, const Document& doc) {
    MapEdit map = doc.map.edit();
    if (!j || !map) return;
    if (j->folder.empty()) {
        tell_failure(j, "no home folder to keep it in");
        return;
    }
    j->offer = RecoveryOffer{};
    bool recovered = document_modified(doc);
    if (!recovered) {
        std::string message;
        switch (recovery_find(j->folder, doc.path.c_str(), &j->offer, &message)) {
        case RECOVERY_OFFERED: {
            // In red, so the line reaches the log as well.
            console_print(app().console, 3, "%s", recovery_offer_text(j->offer).c_str());
            break;
        }
        case RECOVERY_SET_ASIDE:
            console_print(app().console, 3, "%s", message.c_str());
            break;
        case RECOVERY_NONE:
            break;
        }
    }
    start(j, doc);
    if (recovered && !j->recovered.file.empty()) {
        // The offered journal goes only once the work it held is durable in the new one.
        journal_session_flush(j->session);
        std::string reason;
        if (journal_session_take_failure(j->session, &reason))
            tell_failure(j, reason);
        else
            recovery_discard(j->recovered);
        j->recovered = RecoveryOffer{};
    }
}

void editor_journal_closing(EditorJournal* j, const Document& doc) {
    MapEdit map = doc.map.edit();
    if (!j || !j->session) return;
    stop(j, map, map && !document_modified(doc));
    j->offer = RecoveryOffer{}; // an unanswered offer stands again at the next open
}

void editor_journal_saved(EditorJournal* j, const Document& doc) {
    MapEdit map = doc.map.edit();
    if (!j || !j->session || !map || document_modified(doc)) return;
    // Saved under another name: the old name's journal is done with, the new one's begins.
    if (recovery_journal_file(j->folder, doc.path.c_str()) != j->session_file) {
        stop(j, map, true);
        start(j, doc);
        return;
    }
    journal_session_saved(j->session, map, doc.path);
}

void editor_journal_check(EditorJournal* j) {
    std::string reason;
    if (j && journal_session_take_failure(j->session, &reason)) tell_failure(j, reason);
}

MapData* editor_journal_recover(EditorJournal* j, const Document& doc, LevelLosses* losses) {
    if (!j || j->offer.file.empty()) {
        console_print(app().console, 1, "no unsaved work to recover");
        return nullptr;
    }
    RecoveryResult result =
        recovery_apply(j->offer, doc.map.edit(), doc.path, document_modified(doc));
    console_print(app().console, result.ok ? 1 : 3, "%s", result.message.c_str());
    if (result.ok) log_msg(0, "%s", result.message.c_str());
    if (!result.ok) {
        j->offer = RecoveryOffer{}; // set aside by recovery_apply
        return nullptr;
    }
    if (result.new_map) {
        j->recovered = j->offer;
        j->offer = RecoveryOffer{};
        *losses = result.losses;
        return result.new_map;
    }
    // Applied in place: the open map's journal has the work as one step.
    journal_session_flush(j->session);
    std::string reason;
    if (journal_session_take_failure(j->session, &reason))
        tell_failure(j, reason);
    else
        recovery_discard(j->offer);
    j->offer = RecoveryOffer{};
    return nullptr;
}

void editor_journal_discard(EditorJournal* j) {
    if (!j || j->offer.file.empty()) {
        console_print(app().console, 1, "no unsaved work to discard");
        return;
    }
    recovery_discard(j->offer);
    j->offer = RecoveryOffer{};
    console_print(app().console, 1, "unsaved work discarded");
}
