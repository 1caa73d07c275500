// The generator's data, passed from phase to phase: its settings, the pool of hard stages,
// the stages of the catalogue being made, and the rules every stage is held to.
#ifndef TOMB_MODEL_H
#define TOMB_MODEL_H

#include "blockkinds.h"
#include "gen.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct Options {
    uint64_t seed = 1;
    std::string out = "game/stages.inc";
    std::string checkpoint = "stagegen.ckpt";
    std::string in = "game/stages.inc"; // catalogue read by the report
    int report = 0;                     // 1: print the report of `in` instead of generating
    int threads = 2;
    long poolRounds = 2000; // rounds of the pool search
    int islands = 4;        // independent populations of the pool search
    int elite = 24;         // parents kept on each island
    int minBlocks = 12, maxBlocks = 14;
};

// Parses the command line into o. Returns 0 and says why in *why on a bad option or value.
int ParseOptions(int argc, char **argv, Options *o, std::string *why);

// Totals the catalogue keeps exactly.
const int BLOCK_TOTAL[15] = {0, 0, 0, 0, 0, 1, 1, 3, 42, 30, 36, 44, 46, 58, 2};
const int KIND_TOTAL[KIND_COUNT] = {263, 435, 973, 342, 803};
const int COLUMN_TOTAL[4] = {151, 100, 6, 6};
const int MIN_MOVES = 5, MAX_MOVES = 51;
const int FIXED_STAGES = 2;
extern const uint8_t FIXED_STAGE[FIXED_STAGES][36];

// Stages this close in placement are too alike. The catalogue allows a few such pairs where
// both take SCARCE_MOVES or more (distinct hard boards are scarce), never side by side; the
// generator keeps every pair apart.
const int CLOSE_DISTANCE = 2;
const int SCARCE_MOVES = 40;

struct PoolEntry {
    int moves;
    uint8_t layout[36];
};

// One population of the pool search, held as the farthest placements of its block sets.
struct Elite {
    uint8_t far[36];
    int obj;   // slides from the farthest placement
    long born; // round in which it was found
};
struct Island {
    std::vector<Elite> elites;
    int best;      // best obj seen on the island
    long lastGain; // round of the last rise of best
    int restarts;
};

struct Pool {
    std::vector<Island> islands;
    long round = 0;
    std::map<std::string, PoolEntry> entries; // cluster key and class -> a far position
};

struct Stage {
    int planned = 0, done = 0;
    int want = 0;   // intended length
    int blocks = 0; // block count
    int col = 0;    // target head column at the start
    int kinds[KIND_COUNT] = {0};
    int moves = 0;
    uint64_t solutions = 0;
    uint8_t layout[36] = {0};
    std::string key;     // cluster key
    std::string coreKey; // cluster key of its core puzzle
};

struct Catalogue {
    Stage stage[STAGE_COUNT];
    int planned = 0;
};

// Removable blocks a stage may keep. A target held in column 2 or 3 needs a horizontal block
// left of it on the exit row, and that block hardly ever shortens the solution when taken
// away; such stages may keep one removable block, and are planned at 15 moves or fewer.
const int ROW_BLOCK_MOVES = 15;
// Longer stages may have no removable block at all.
const int REMOVABLE_MOVES = 15;
inline int RemovableAllowed(const Stage &s) {
    return s.col >= 2 ? 1 : 0;
}

// What a new stage must differ from: the clusters and core puzzles already used, and the
// placements already taken.
struct Taken {
    std::set<std::string> keys;
    std::vector<std::vector<uint8_t>> layouts;
};
void TakeStage(Taken *t, const Stage &s);
// 1 when two layouts are within CLOSE_DISTANCE of each other in placement.
int TooClose(const uint8_t a[36], const uint8_t b[36]);
// 1 when a candidate (its cluster and core keys, layout and length) differs enough from
// everything taken.
int DiffersFromTaken(const Taken &t, const std::string &key, const std::string &coreKey,
                     const uint8_t layout[36]);

// Runs work(t) for t = 0 .. threads - 1, each on a thread of its own (t = 0 on this one), and
// waits for all of them.
template <class Work> void RunOnThreads(int threads, const Work &work) {
    std::vector<std::thread> th;
    for (int t = 1; t < threads; t++)
        th.emplace_back(work, t);
    work(0);
    for (auto &x : th)
        x.join();
}

#endif
