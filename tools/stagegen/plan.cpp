#include "plan.h"

#include "curate.h"
#include "pool.h"

#include <algorithm>
#include <cstring>

void LengthQuota(int quota[MAX_MOVES + 1]) {
    for (int m = 0; m <= MAX_MOVES; m++)
        quota[m] = 0;
    // A gentle start: the shortest lengths have few boards whose every block matters.
    const int start[5] = {2, 3, 4, 5, 6};
    int rest = STAGE_COUNT - FIXED_STAGES;
    for (int m = MIN_MOVES; m < MIN_MOVES + 5; m++) {
        quota[m] = start[m - MIN_MOVES];
        rest -= quota[m];
    }
    // Hard boards are scarce: two stages of each length in the low forties, one above.
    for (int m = SCARCE_MOVES; m <= MAX_MOVES; m++) {
        quota[m] = m < 46 ? 2 : 1;
        rest -= quota[m];
    }
    // The others evenly over the lengths between, the shorter ones taking what is left over.
    int first = MIN_MOVES + 5, lengths = SCARCE_MOVES - first;
    for (int m = first; m < SCARCE_MOVES; m++)
        quota[m] = rest / lengths + (m - first < rest % lengths);
}

int StageFromPool(const PoolEntry &e, Stage *s) {
    Cluster cl;
    if (!EvaluateLayout(e.layout, &cl)) return 0;
    int far = -1;
    for (int d : cl.dist)
        far = std::max(far, d);
    // The smallest farthest state with the target head in columns 0 to 3.
    int col = -1;
    for (int c = 0; c < 4; c++)
        if (cl.best[c] == far && (col < 0 || cl.bestState[c] < cl.bestState[col])) col = c;
    if (col < 0 || far < 0) return 0;
    WriteLayout(&cl.board, cl.bestState[col], s->layout);
    s->moves = s->want = far + 1;
    s->blocks = CountBlocks(s->layout, s->kinds);
    s->col = col;
    s->key = s->coreKey = cl.key;
    return 1;
}

namespace {

// What is left of the catalogue's totals.
struct Left {
    int blocks[15];
    int kinds[KIND_COUNT];
    int cols[4];
};

int Fits(const Left &l, const Stage &s) {
    if (s.blocks < 5 || s.blocks > 14 || l.blocks[s.blocks] == 0 || l.cols[s.col] == 0) return 0;
    for (int k = 0; k < KIND_COUNT; k++)
        if (l.kinds[k] < s.kinds[k]) return 0;
    return 1;
}

void Use(Left *l, const Stage &s) {
    l->blocks[s.blocks]--;
    l->cols[s.col]--;
    for (int k = 0; k < KIND_COUNT; k++)
        l->kinds[k] -= s.kinds[k];
}

void SetFixed(int i, Stage *s) {
    memcpy(s->layout, FIXED_STAGE[i], 36);
    s->blocks = CountBlocks(s->layout, s->kinds);
    s->col = TargetColumn(s->layout);
    StageFacts f;
    MeasureStage(s->layout, &f);
    s->moves = s->want = f.moves;
    s->solutions = f.solutions;
    s->key = f.clusterKey;
    s->coreKey = f.coreKey;
    s->planned = s->done = 1;
}

// Up to this many pairs of hard pool stages may be within CLOSE_DISTANCE of each other.
const int SCARCE_PAIRS = 10;

// Whether a pool stage differs enough from the stages taken so far (indices below next):
// clusters and cores must differ; close placements are allowed only between two stages of
// SCARCE_MOVES or more whose lengths differ by two or more, so that a stage of the length
// between keeps them apart in the order of play. Returns the number of such close pairs it
// would add, or -1 when it may not be taken.
int ScarceDiffers(const Taken &t, const Stage &s, const Catalogue *cat, int next) {
    if (t.keys.count(s.key) || t.keys.count(s.coreKey)) return -1;
    int close = 0;
    for (int i = 0; i < next; i++) {
        const Stage &o = cat->stage[i];
        if (!TooClose(s.layout, o.layout)) continue;
        if (s.moves < SCARCE_MOVES || o.moves < SCARCE_MOVES || std::abs(s.moves - o.moves) < 2)
            return -1;
        close++;
    }
    return close;
}

// Takes pool entries, hardest first, while their length still has room in the quota and
// they keep every rule. Returns the next free index.
int TakeFromPool(const Pool &pool, int quota[], Left *left, Taken *taken, Catalogue *cat) {
    // Pool stages are taken before any other, so the stages below next are all there is.
    std::vector<const std::pair<const std::string, PoolEntry> *> order;
    for (auto &p : pool.entries)
        order.push_back(&p);
    std::stable_sort(order.begin(), order.end(),
                     [](auto a, auto b) { return a->second.moves > b->second.moves; });
    int next = FIXED_STAGES, scarcePairs = 0;
    for (auto p : order) {
        Stage s;
        if (!StageFromPool(p->second, &s) || s.moves > MAX_MOVES || quota[s.moves] == 0) continue;
        if (!Fits(*left, s)) continue;
        int close = ScarceDiffers(*taken, s, cat, next);
        if (close < 0 || scarcePairs + close > SCARCE_PAIRS) continue;
        if (RemovableBlocks(s.layout, s.moves, nullptr) != 0) continue;
        StageFacts f;
        MeasureStage(s.layout, &f);
        s.solutions = f.solutions;
        s.planned = s.done = 1;
        scarcePairs += close;
        quota[s.moves]--;
        Use(left, s);
        TakeStage(taken, s);
        cat->stage[next++] = s;
    }
    return next;
}

// Splits the kinds left over the open stages so that every total comes out exactly: each
// stage takes its share of what is left, rounded by largest remainder with a little noise.
void PlanKinds(const std::vector<int> &open, int kindLeft[KIND_COUNT], Rng *r, Catalogue *cat) {
    for (size_t j = 0; j < open.size(); j++) {
        Stage &s = cat->stage[open[j]];
        int m = s.blocks - 1, rest = 0;
        for (size_t k = j; k < open.size(); k++)
            rest += cat->stage[open[k]].blocks - 1;
        double frac[KIND_COUNT];
        int sum = 0;
        s.kinds[TYPE_TARGET] = 1;
        for (int k = 1; k < KIND_COUNT; k++) {
            double q = (double)kindLeft[k] * m / rest;
            s.kinds[k] = (int)q;
            frac[k] = q - s.kinds[k] + 0.8 * RandUnit(r);
            if (kindLeft[k] == s.kinds[k]) frac[k] = -1;
            sum += s.kinds[k];
        }
        // At most four rounds: one per kind.
        for (int round = 0; round < KIND_COUNT && sum < m; round++) {
            int best = 1;
            for (int k = 2; k < KIND_COUNT; k++)
                if (frac[k] > frac[best]) best = k;
            s.kinds[best]++;
            frac[best] = -1;
            sum++;
        }
        for (int k = 1; k < KIND_COUNT; k++)
            kindLeft[k] -= s.kinds[k];
    }
}

// A stage whose target stands in column 2 or 3 keeps it there with a horizontal block left of
// it on the exit row, so its mix needs one: a pair for column 2, a triple for column 3. Swaps
// a kind with another open stage of the same size where the mix lacks it.
int GiveRowBlock(const std::vector<int> &open, Catalogue *cat) {
    for (int i : open) {
        Stage &s = cat->stage[i];
        if (s.col < 2) continue;
        int need = s.col == 2 ? TYPE_HPAIR : TYPE_HTRIPLE;
        if (s.kinds[need] > 0) continue;
        int given = 0;
        for (int j : open) {
            Stage &o = cat->stage[j];
            if (given || j == i || o.col >= 2 || o.blocks != s.blocks || o.kinds[need] == 0)
                continue;
            for (int k = 1; k < KIND_COUNT && !given; k++)
                if (k != need && s.kinds[k] > 0 && KindLength(k) == KindLength(need)) {
                    s.kinds[k]--, s.kinds[need]++;
                    o.kinds[need]--, o.kinds[k]++;
                    given = 1;
                }
        }
        if (!given) return 0;
    }
    return 1;
}

} // namespace

int MakePlan(const Options &o, const Pool &pool, Catalogue *cat, std::string *why) {
    Rng r = RandSeed(o.seed, 777);
    Left left;
    memcpy(left.blocks, BLOCK_TOTAL, sizeof left.blocks);
    memcpy(left.kinds, KIND_TOTAL, sizeof left.kinds);
    memcpy(left.cols, COLUMN_TOTAL, sizeof left.cols);
    Taken taken;
    for (int i = 0; i < FIXED_STAGES; i++) {
        cat->stage[i] = Stage();
        SetFixed(i, &cat->stage[i]);
        Use(&left, cat->stage[i]);
        TakeStage(&taken, cat->stage[i]);
    }
    int quota[MAX_MOVES + 1];
    LengthQuota(quota);
    int next = TakeFromPool(pool, quota, &left, &taken, cat);

    // The open stages: block counts in rising order against intended lengths in rising order.
    std::vector<int> wants, counts, open;
    for (int m = MIN_MOVES; m <= MAX_MOVES; m++)
        for (int k = 0; k < quota[m]; k++)
            wants.push_back(m);
    for (int b = 5; b <= 14; b++)
        for (int k = 0; k < left.blocks[b]; k++)
            counts.push_back(b);
    for (int i = next; i < STAGE_COUNT; i++)
        open.push_back(i);
    if (wants.size() != open.size() || counts.size() != open.size()) {
        *why = "plan: " + std::to_string(open.size()) + " open stages for " +
               std::to_string(wants.size()) + " lengths and " + std::to_string(counts.size()) +
               " block counts";
        return 0;
    }
    int n = (int)open.size();
    std::vector<int> cols(n, -1);
    // The rare columns 2 and 3 go to boards of up to ten blocks and at most ROW_BLOCK_MOVES
    // moves, spread among them.
    std::vector<int> small;
    for (int j = 0; j < n; j++)
        if (counts[j] <= 10 && wants[j] > MIN_MOVES && wants[j] <= ROW_BLOCK_MOVES)
            small.push_back(j);
    int rare = left.cols[2] + left.cols[3];
    if (rare > (int)small.size()) {
        *why = "plan: too few small boards for the target columns 2 and 3";
        return 0;
    }
    for (int k = 0; k < rare; k++)
        cols[small[(k * small.size()) / rare]] = k < left.cols[2] ? 2 : 3;
    std::vector<int> common;
    for (int c = 0; c < 2; c++)
        for (int k = 0; k < left.cols[c]; k++)
            common.push_back(c);
    for (int k = (int)common.size() - 1; k > 0; k--)
        std::swap(common[k], common[RandBelow(&r, k + 1)]);
    size_t used = 0;
    for (int j = 0; j < n; j++) {
        Stage &s = cat->stage[open[j]];
        s = Stage();
        if (cols[j] < 0) {
            if (used >= common.size()) {
                *why = "plan: the target columns do not add up";
                return 0;
            }
            cols[j] = common[used++];
        }
        s.blocks = counts[j];
        s.want = wants[j];
        s.col = cols[j];
        s.planned = 1;
    }
    PlanKinds(open, left.kinds, &r, cat);
    if (!GiveRowBlock(open, cat)) {
        *why = "plan: no horizontal block to keep a target in column 2 or 3";
        return 0;
    }
    cat->planned = 1;
    return 1;
}
