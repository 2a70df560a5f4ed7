// test_journal.cpp - the edit journal's records rebuild the map exactly after every step, a
// file cut or damaged anywhere gives back a whole prefix of its steps, and bad records are
// refused.
#include <gtest/gtest.h>

#include <random>

#include "core/log.h"
#include "journal_steps.h"
#include "map/edit/journal.h"

namespace {

using journaltest::save_bytes;

// A journal file written as the change path reports steps, with the map's state after each.
struct Recorder {
    std::vector<uint8_t> file;
    std::vector<size_t> ends; // file length after each step's record
    std::vector<std::vector<uint8_t>> states;
};

void record(void* user, MapData* map, const EditStepView& step) {
    auto* r = static_cast<Recorder*>(user);
    EXPECT_TRUE(journal_encode_step(map, step, &r->file));
    r->ends.push_back(r->file.size());
    r->states.push_back(save_bytes(map));
}

Recorder run(uint32_t seed, int steps, std::vector<uint8_t>* base) {
    *base = journaltest::base_level();
    Recorder r;
    JournalHeader header;
    header.path = "/maps/a.lvl";
    journal_encode_header(header, &r.file);
    journal_encode_map(JOURNAL_BASE, *base, &r.file);
    r.ends.push_back(r.file.size());
    EditedMap map(journaltest::load_level(*base));
    r.states.push_back(save_bytes(map));
    edit_set_observer(map, record, &r);
    std::mt19937 rng(seed);
    for (int i = 0; i < steps; ++i)
        journaltest::random_step(map, rng);
    return r;
}

std::vector<uint8_t> rebuilt(std::span<const uint8_t> file, size_t* steps) {
    JournalContents journal = journal_parse(file);
    EXPECT_EQ(journal.status, JOURNAL_OK) << journal.problem;
    *steps = journal.steps();
    EditedMap map(journaltest::load_level(journal.records.at(journal_rebuild_start(journal)).body));
    std::string problem;
    for (size_t i = journal_rebuild_start(journal) + 1; i < journal.records.size(); ++i)
        EXPECT_TRUE(journal_apply_step(map, journal.records[i].body, &problem, journaltest::tileset_ok)) << problem;
    std::vector<uint8_t> bytes = save_bytes(map);
    return bytes;
}

TEST(Journal, ReplayRebuildsTheMapAfterEveryStepAsOneUndoableStep) {
    std::vector<uint8_t> base;
    Recorder r = run(7, 600, &base);
    ASSERT_GT(r.states.size(), 300u);
    size_t steps = 0;
    EXPECT_EQ(rebuilt(std::span(r.file).first(r.ends[200]), &steps), r.states[200]);
    EXPECT_EQ(steps, 200u);
    // On the map loaded from the same bytes, inside one step: the state after every record.
    JournalContents journal = journal_parse(r.file);
    EditedMap map(journaltest::load_level(base));
    edit_begin(map, "recover");
    std::string problem;
    for (size_t i = 1; i < journal.records.size(); ++i) {
        ASSERT_TRUE(journal_apply_step(map, journal.records[i].body, &problem, journaltest::tileset_ok)) << problem;
        ASSERT_EQ(save_bytes(map), r.states[i]) << "step " << i;
    }
    edit_end(map);
    EXPECT_TRUE(edit_undo(map, nullptr));
    EXPECT_EQ(save_bytes(map), base);
}

TEST(Journal, ACutOrDamagedFileGivesAWholePrefixOfItsSteps) {
    std::vector<uint8_t> base;
    Recorder r = run(11, 40, &base);
    size_t whole = 0; // steps in the longest prefix seen so far
    std::vector<uint8_t> state;
    for (size_t cut = r.ends[0]; cut <= r.file.size(); ++cut) {
        JournalContents journal = journal_parse(std::span(r.file).first(cut));
        ASSERT_EQ(journal.status, JOURNAL_OK);
        size_t expected = 0;
        while (expected + 1 < r.ends.size() && r.ends[expected + 1] <= cut)
            ++expected;
        ASSERT_EQ(journal.steps(), expected) << "cut at " << cut;
        ASSERT_EQ(journal.dropped_bytes, cut - r.ends[expected]);
        if (expected != whole || cut == r.ends[0]) {
            whole = expected;
            size_t steps = 0;
            ASSERT_EQ(rebuilt(std::span(r.file).first(cut), &steps), r.states[expected]);
        }
    }
    // A flipped bit anywhere in a record drops it and everything after it.
    size_t k = r.ends.size() / 2;
    for (size_t at = r.ends[k - 1]; at < r.ends[k]; ++at) {
        std::vector<uint8_t> bad = r.file;
        bad[at] ^= 0x10;
        ASSERT_EQ(journal_parse(bad).steps(), k - 1) << at;
    }
    // Not a journal, or a newer one: never read as records.
    std::vector<uint8_t> newer = r.file;
    newer[8] = 2;
    EXPECT_EQ(journal_parse(newer).status, JOURNAL_UNKNOWN_FORMAT);
    newer[0] = 'X';
    EXPECT_EQ(journal_parse(newer).status, JOURNAL_DAMAGED);
}

TEST(Journal, RecordsThatDoNotFitTheMapAreRefused) {
    std::vector<uint8_t> base = journaltest::base_level();
    EditedMap map(journaltest::load_level(base));
    std::string problem;
    const std::vector<std::vector<uint8_t>> bad = {
        {},                                    // nothing
        {1, 0, 0, 0, 2, 9, 0, 0, 0},           // removes object 9 of none
        {1, 0, 0, 0, 4, 5, 0, 0, 0, 1, 0, 0, 0, 'x'}, // renames region 5 of one
        {0, 0, 0, 0, 1, 0, 0, 0, 0},           // one cell announced, none there
        {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0},  // a region list announced, none there
    };
    for (const auto& body : bad)
        EXPECT_FALSE(journal_apply_step(map, body, &problem, journaltest::tileset_ok));
}

} // namespace
