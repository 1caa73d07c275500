#include "search.h"

#include "curate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

int ClusterScore(int farthest, int farthestAtCol, int want) {
    if (farthest < 0) return 1000;
    return 4 * std::abs(farthest - want) + (farthestAtCol == farthest ? 0 : 2);
}

namespace {

const size_t SET_LIMIT = 150000;
// Boards of this many blocks or more are searched over block sets.
const int SET_SEARCH_BLOCKS = 11;
const int RESTARTS = 10;   // fresh boards tried per stage and length
const int STEPS = 200;     // changes tried on each board
const int CANDIDATES = 12; // clusters of one block set checked against the rules
// Lengths tried, relative to the intended one: first close to it under the strict rules,
// then further off, where a short stage with its target held in column 2 or 3 may keep one
// more removable block.
const int OFFSETS[] = {0, -1, 1, -2, 2};
const int LAST_OFFSETS[] = {-3, 3, 0, -1, 1};
// Last of all, a board of the stage's mix and column at whatever length it has; one with its
// target held in column 2 or 3 may then keep two more removable blocks if it takes
// REMOVABLE_MOVES or fewer.
const int ANY_LENGTH = -1;

// Checks a start position against the rules; fills s when it keeps them all. Otherwise
// returns how far it is from that: the number of removable blocks, or one more than the
// blocks for a board too like one already taken.
int Accept(const uint8_t g[36], const std::string &key, int moves, int allowed, const Taken &taken,
           Stage *s) {
    if (!DiffersFromTaken(taken, key, key, g)) return SOLVER_MAX_BLOCKS + 1;
    int removable = RemovableBlocks(g, moves, nullptr);
    if (removable > allowed) return removable;
    // With no removable block the core puzzle is the stage itself.
    std::string core = key;
    if (removable) {
        uint8_t c[36];
        CorePuzzle(g, c);
        core = ClusterKeyOf(c);
        if (!DiffersFromTaken(taken, key, core, g)) return SOLVER_MAX_BLOCKS + 1;
    }
    memcpy(s->layout, g, 36);
    s->key = key;
    s->coreKey = core;
    s->moves = moves;
    return 0;
}

// A random board with the stage's mix and its target in column col. A target in column 2 or
// 3 gets a horizontal block left of it on the exit row, which keeps it from moving further
// left.
int RandomBoard(const Stage &s, Rng *r, uint8_t g[36]) {
    int kinds[KIND_COUNT];
    memcpy(kinds, s.kinds, sizeof kinds);
    int row = s.col == 2 ? TYPE_HPAIR : s.col == 3 ? TYPE_HTRIPLE : -1;
    if (row >= 0) kinds[row]--;
    // Layouts whose verticals leave the row block's cells free are common: a few dozen tries
    // find one.
    for (int attempt = 0; attempt < 60; attempt++) {
        if (!RandomLayout(g, s.col, kinds, r)) continue;
        if (row < 0) return 1;
        int free = 1;
        for (int j = 0; j < KindLength(row); j++)
            free = free && g[EXIT_ROW * 6 + j] == CELL_EMPTY;
        if (!free) continue;
        for (int j = 0; j < KindLength(row); j++)
            g[EXIT_ROW * 6 + j] = (uint8_t)(KindHead(row) + j);
        return 1;
    }
    return 0;
}

// Removes a random block other than the target and the exit row's horizontal ones, and puts
// it back elsewhere. Returns 0 when that did not work.
int MoveRandomBlock(uint8_t g[36], Rng *r) {
    int heads[36], n = 0;
    for (int i = 0; i < 36; i++) {
        int k = KindOfHeadCode(g[i]);
        if (k > TYPE_TARGET && !(KindHoriz(k) && i / 6 == EXIT_ROW)) heads[n++] = i;
    }
    if (n == 0) return 0;
    int i = heads[RandBelow(r, n)], type = KindOfHeadCode(g[i]);
    for (int j = 0; j < KindLen(type); j++)
        g[KindHoriz(type) ? i + j : i + 6 * j] = 0;
    return PlaceRandomBlock(g, type, r);
}

int Farthest(const Cluster &c) {
    int far = -1;
    for (int col = 0; col < 5; col++)
        far = std::max(far, c.best[col]);
    return far;
}

// How far a cluster is from giving the stage: its score against the wanted length and column
// first, then what Accept says of its start. 0 means s has been filled. A want of ANY_LENGTH
// takes whatever length the cluster has; then only stages of up to REMOVABLE_MOVES may keep
// removable blocks.
int LayoutScore(const Cluster &c, const Stage &plan, int want, int allowed, const Taken &taken,
                Stage *s) {
    if (want == ANY_LENGTH) {
        want = Farthest(c) + 1;
        if (want < MIN_MOVES || want > MAX_MOVES) return 32 * 4;
        if (want > REMOVABLE_MOVES) allowed = 0;
    }
    int score = ClusterScore(Farthest(c), c.best[plan.col], want - 1);
    if (score) return 32 * score;
    uint8_t g[36];
    WriteLayout(&c.board, c.bestState[plan.col], g);
    return Accept(g, c.key, want, allowed, taken, s);
}

// Hill climbing over layouts: move one block elsewhere, keep the change when the cluster is
// no further from what the stage wants (a change within the same cluster is no change).
int SearchLayouts(const Stage &plan, int want, int allowed, Rng *r, const Taken &taken, Stage *s) {
    Cluster cl, next;
    // The last resort, at any length, gets more fresh boards.
    int restarts = want == ANY_LENGTH ? 4 * RESTARTS : RESTARTS;
    for (int restart = 0; restart < restarts; restart++) {
        uint8_t cur[36], g[36];
        if (!RandomBoard(plan, r, cur) || !EvaluateLayout(cur, &cl)) continue;
        int score = LayoutScore(cl, plan, want, allowed, taken, s);
        for (int step = 0; step < STEPS && score > 0; step++) {
            memcpy(g, cur, 36);
            if (!MoveRandomBlock(g, r) || !EvaluateLayout(g, &next) || next.key == cl.key) continue;
            int ns = LayoutScore(next, plan, want, allowed, taken, s);
            if (ns > score) continue;
            score = ns;
            std::swap(cl, next);
            memcpy(cur, g, 36);
        }
        if (score == 0) return 1;
    }
    return 0;
}

// The clusters of a set's placements: a number for each placement.
int Components(const SetSpace &sp, std::vector<int> *comp) {
    comp->assign(sp.states.size(), -1);
    int count = 0;
    std::vector<uint32_t> todo;
    uint64_t next[80];
    for (size_t i = 0; i < sp.states.size(); i++) {
        if ((*comp)[i] >= 0) continue;
        (*comp)[i] = count;
        todo.assign(1, (uint32_t)i);
        for (size_t h = 0; h < todo.size(); h++) {
            int n = Neighbours(&sp.board, sp.states[todo[h]], next);
            for (int k = 0; k < n; k++) {
                uint32_t v = TableFind(&sp.index, next[k]);
                if (v == UINT32_MAX || (*comp)[v] >= 0) continue;
                (*comp)[v] = count;
                todo.push_back(v);
            }
        }
        count++;
    }
    return count;
}

struct SetClusters {
    std::vector<int> far, farAtCol;
    std::vector<uint64_t> start; // smallest farthest state with the target in the column
    int best;                    // lowest score of any cluster
};

void ScoreSet(const SetSpace &sp, int col, int d, SetClusters *c) {
    std::vector<int> comp;
    int n = Components(sp, &comp);
    c->far.assign(n, -1);
    c->farAtCol.assign(n, -1);
    c->start.assign(n, 0);
    int t = sp.board.target;
    for (size_t i = 0; i < sp.states.size(); i++) {
        int k = comp[i], dist = sp.dist[i];
        c->far[k] = std::max(c->far[k], dist);
        if (StatePos(sp.states[i], t) != col) continue;
        if (dist > c->farAtCol[k] || (dist == c->farAtCol[k] && sp.states[i] < c->start[k])) {
            c->farAtCol[k] = dist;
            c->start[k] = sp.states[i];
        }
    }
    c->best = 1000;
    for (int k = 0; k < n; k++)
        c->best = std::min(c->best, ClusterScore(c->far[k], c->farAtCol[k], d));
}

int PickFromSet(const SetSpace &sp, const SetClusters &c, int d, int allowed, const Taken &taken,
                Stage *s) {
    int tried = 0;
    for (size_t k = 0; k < c.far.size() && tried < CANDIDATES; k++) {
        if (ClusterScore(c.far[k], c.farAtCol[k], d) != 0) continue;
        tried++;
        uint8_t g[36];
        WriteLayout(&sp.board, c.start[k], g);
        if (Accept(g, ClusterKeyOf(g), d + 1, allowed, taken, s) == 0) return 1;
    }
    return 0;
}

// Hill climbing over block sets: every placement of a set is explored at once, and a change
// moves one block to another line.
int SearchSets(const Stage &plan, int want, int allowed, Rng *r, const Taken &taken, Stage *s) {
    SetSpace sp, trial;
    SetClusters cur, next;
    int d = want - 1;
    for (int restart = 0; restart < RESTARTS / 2; restart++) {
        uint8_t g[36];
        if (!RandomBoard(plan, r, g)) continue;
        BlockSet set = LayoutSet(g);
        if (!SetFits(set) || !EvaluateSet(set, &sp, SET_LIMIT)) continue;
        ScoreSet(sp, plan.col, d, &cur);
        int picked = 0;
        for (int step = 0; step < STEPS; step++) {
            if (cur.best == 0 && !picked) {
                if (PickFromSet(sp, cur, d, allowed, taken, s)) return 1;
                picked = 1;
            }
            BlockSet ns = set;
            int pick = RandBelow(r, ns.n);
            if (ns.type[pick] == TYPE_TARGET) continue;
            if (RandBelow(r, 2)) {
                ns.line[pick] = (uint8_t)RandomLine(ns.type[pick], r);
            } else {
                int line = ns.line[pick] + (RandBelow(r, 2) ? 1 : -1);
                if (line < 0 || line > 5) continue;
                ns.line[pick] = (uint8_t)line;
            }
            NormaliseSet(&ns);
            if (!SetFits(ns) || !EvaluateSet(ns, &trial, SET_LIMIT)) continue;
            ScoreSet(trial, plan.col, d, &next);
            if (next.best > cur.best) continue;
            set = ns;
            std::swap(sp, trial);
            std::swap(cur, next);
            picked = 0;
        }
    }
    return 0;
}

} // namespace

int SearchSlot(const Options &o, int slot, int attempt, const Taken &taken, Stage *s) {
    Stage plan = *s;
    for (int pass = 0; pass < 2; pass++)
        for (int k = 0; k < 5; k++) {
            int w = plan.want + (pass ? LAST_OFFSETS[k] : OFFSETS[k]);
            if (w < MIN_MOVES || w > MAX_MOVES) continue;
            int allowed = RemovableAllowed(plan) + (pass && w <= REMOVABLE_MOVES && plan.col >= 2);
            Rng r = RandSeed(o.seed, 100000 + (uint64_t)slot * 256 + attempt * 16 + pass * 8 + k);
            int found = plan.blocks >= SET_SEARCH_BLOCKS && plan.col < 2
                            ? SearchSets(plan, w, allowed, &r, taken, s)
                            : SearchLayouts(plan, w, allowed, &r, taken, s);
            if (found) return 1;
        }
    Rng r = RandSeed(o.seed, 100000 + (uint64_t)slot * 256 + attempt * 16 + 15);
    return SearchLayouts(plan, ANY_LENGTH, RemovableAllowed(plan) + (plan.col >= 2 ? 2 : 0), &r,
                         taken, s);
}

int RunSearch(const Options &o, Catalogue *cat, const std::function<void()> &saved) {
    Taken taken;
    std::vector<int> todo;
    for (int i = 0; i < STAGE_COUNT; i++) {
        if (cat->stage[i].done)
            TakeStage(&taken, cat->stage[i]);
        else
            todo.push_back(i);
    }
    const size_t batch = 8;
    int failed = 0;
    for (size_t b = 0; b < todo.size(); b += batch) {
        std::vector<int> slots(todo.begin() + b, todo.begin() + std::min(todo.size(), b + batch));
        std::vector<Stage> found(slots.size());
        std::vector<int> ok(slots.size(), 0);
        auto work = [&](int t) {
            for (size_t k = t; k < slots.size(); k += o.threads) {
                found[k] = cat->stage[slots[k]];
                ok[k] = SearchSlot(o, slots[k], 0, taken, &found[k]);
            }
        };
        RunOnThreads(o.threads, work);
        // Two stages of one batch may have found alike boards: the later one searches again,
        // now against the earlier.
        for (size_t k = 0; k < slots.size(); k++) {
            for (int attempt = 1;
                 attempt < 4 && ok[k] &&
                 !DiffersFromTaken(taken, found[k].key, found[k].coreKey, found[k].layout);
                 attempt++) {
                found[k] = cat->stage[slots[k]];
                ok[k] = SearchSlot(o, slots[k], attempt, taken, &found[k]);
            }
            if (!ok[k] ||
                !DiffersFromTaken(taken, found[k].key, found[k].coreKey, found[k].layout)) {
                failed++;
                printf("search: stage %d (%d blocks, column %d, %d moves wanted) not found\n",
                       slots[k], cat->stage[slots[k]].blocks, cat->stage[slots[k]].col,
                       cat->stage[slots[k]].want);
                continue;
            }
            StageFacts f;
            MeasureStage(found[k].layout, &f);
            found[k].solutions = f.solutions;
            found[k].done = 1;
            cat->stage[slots[k]] = found[k];
            TakeStage(&taken, found[k]);
        }
        saved();
    }
    return failed;
}
