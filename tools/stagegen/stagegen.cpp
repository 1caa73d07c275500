// stagegen: builds the 263-stage catalogue game/stages.inc.
//
// 1. Pool: an evolutionary search over block sets of 12 to 14 blocks (kinds with their rows
//    and columns), on a few islands that start afresh when they stop improving. A set is
//    judged by its farthest placement. Every cluster it meets whose farthest position takes
//    40 moves or more goes into a pool: one entry with the target head in column 0 or 1, one
//    with it in column 2 or 3. Sets whose farthest placement takes 26 to 39 moves (target
//    head in column 0 or 1) give entries for the upper middle of the catalogue.
// 2. Plan: the hardest pool entries become the last stages, a few entries of each length from
//    39 down to 26 the upper middle; the counts left over (blocks per stage, kinds, target
//    columns) are spread over the other stages, each given an intended length.
// 3. Search: each remaining stage is found by hill climbing with exactly its mix of blocks,
//    over layouts (sparse boards) or over block sets (dense boards), until a cluster's
//    farthest position is the intended length.
// 4. Output: the stages in order of play (by length, with small dips), one line each.
// Everything is driven by one seed; a checkpoint file records finished work so that an
// interrupted run resumes where it stopped and still ends with the same catalogue.
#include "gen.h"
#include "solver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <thread>

const int STAGE_COUNT = 263;
const int POOL_MOVES = 40;       // pool entries for the last stages
const int MID_POOL_MOVES = 26;   // pool entries for the upper middle of the catalogue
const int MID_POOL_CAP = 40;     // kept per length in the upper middle
const int MID_PER_LENGTH = 4;    // stages per length taken from the upper middle
const int CHILDREN = 16;         // children per island and round of the pool search
const int ISLAND_PATIENCE = 120; // rounds without progress before an island starts afresh

// Totals the catalogue must reach exactly.
const int BLOCK_TOTAL[15] = {0, 0, 0, 0, 0, 1, 1, 3, 42, 30, 36, 44, 46, 58, 2};
const int KIND_TOTAL[5] = {263, 435, 973, 342, 803};
const int COLUMN_TOTAL[4] = {151, 100, 6, 6};

const uint8_t FIXED_STAGE[2][36] = {{21, 22, 23, 0, 0, 31, 0, 0, 0,  0, 0, 32, 51, 52, 31, 0, 0, 33,
                                     0,  0,  32, 0, 0, 0,  0, 0, 33, 0, 0, 0,  21, 22, 23, 0, 0, 0},
                                    {11, 11, 1,  2,  0,  0,  12, 12, 11, 11, 0,  0,
                                     51, 52, 12, 12, 0,  11, 0,  0,  1,  2,  11, 12,
                                     0,  0,  0,  0,  12, 11, 0,  0,  21, 22, 23, 12}};

struct Params {
    uint64_t seed;
    long poolRounds; // rounds of the pool search
    int elite;       // block sets kept as parents on each island
    int islands;     // independent populations
    int minBlocks, maxBlocks;
    int hard; // stages taken from the pool
    int threads;
};

// A block set kept as a parent by the pool search, held as its farthest placement.
struct Elite {
    uint8_t far[36];
    int obj;   // slides from the farthest placement
    long born; // round in which it was found
};

struct PoolEntry {
    int moves;
    uint8_t layout[36];
};

struct Stage {
    int planned, done;
    int want, blocks, col;
    int kinds[5];
    int moves;
    uint8_t layout[36];
    std::string key;
};

static Params par;
// Each island is a population of its own; one that stops improving starts afresh.
struct Island {
    std::vector<Elite> elites;
    int best;      // best obj seen on the island
    long lastGain; // round of the last rise of best
    int restarts;
};
static std::vector<Island> islands;
static long poolRound = 0;
static std::map<std::string, PoolEntry> pool; // cluster key -> farthest position
static Stage stages[STAGE_COUNT];
static int planned = 0;
static std::string checkpointPath = "stagegen.ckpt";
static std::string outPath = "game/stages.inc";
static double elapsedBefore = 0; // seconds spent by earlier runs of this checkpoint

static double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// ---- checkpoint -------------------------------------------------------------------------

static void PutLayout(FILE *f, const uint8_t g[36]) {
    for (int i = 0; i < 36; i++)
        fprintf(f, " %d", g[i]);
}

static int GetLayout(FILE *f, uint8_t g[36]) {
    for (int i = 0; i < 36; i++) {
        int v;
        if (fscanf(f, "%d", &v) != 1 || v < 0 || v > 255) return 0;
        g[i] = (uint8_t)v;
    }
    return 1;
}

static void SaveCheckpoint(double elapsed) {
    std::string tmp = checkpointPath + ".tmp";
    FILE *f = fopen(tmp.c_str(), "w");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", tmp.c_str());
        return;
    }
    fprintf(f, "stagegen-checkpoint 1\n");
    fprintf(f, "params %llu %ld %d %d %d %d %d\n", (unsigned long long)par.seed, par.poolRounds,
            par.elite, par.islands, par.minBlocks, par.maxBlocks, par.hard);
    fprintf(f, "elapsed %.1f\n", elapsed);
    fprintf(f, "round %ld\n", poolRound);
    for (const Island &is : islands) {
        fprintf(f, "island %d %ld %d %zu\n", is.best, is.lastGain, is.restarts, is.elites.size());
        for (const Elite &e : is.elites) {
            fprintf(f, "elite %d %ld", e.obj, e.born);
            PutLayout(f, e.far);
            fprintf(f, "\n");
        }
    }
    for (auto &p : pool) {
        fprintf(f, "pool %d", p.second.moves);
        PutLayout(f, p.second.layout);
        PutLayout(f, (const uint8_t *)p.first.data());
        fprintf(f, " %d", p.first[36]);
        fprintf(f, "\n");
    }
    fprintf(f, "planned %d\n", planned);
    for (int i = 0; i < STAGE_COUNT && planned; i++) {
        const Stage &s = stages[i];
        fprintf(f, "stage %d %d %d %d %d %d %d %d %d %d %d", i, s.done, s.want, s.blocks, s.col,
                s.kinds[0], s.kinds[1], s.kinds[2], s.kinds[3], s.kinds[4], s.moves);
        PutLayout(f, s.layout);
        uint8_t key[36] = {0};
        if (s.done) KeyLayout(s.key, key);
        PutLayout(f, key);
        fprintf(f, "\n");
    }
    fclose(f);
    rename(tmp.c_str(), checkpointPath.c_str());
}

// Returns 1 if a checkpoint was loaded, 0 if there is none; exits on a mismatch.
static int LoadCheckpoint() {
    FILE *f = fopen(checkpointPath.c_str(), "r");
    if (!f) return 0;
    char word[32];
    int version = 0;
    if (fscanf(f, "%31s %d", word, &version) != 2 || strcmp(word, "stagegen-checkpoint") ||
        version != 1) {
        fprintf(stderr, "%s is not a stagegen checkpoint\n", checkpointPath.c_str());
        exit(2);
    }
    unsigned long long seed;
    Params p = par;
    if (fscanf(f, "%31s %llu %ld %d %d %d %d %d", word, &seed, &p.poolRounds, &p.elite, &p.islands,
               &p.minBlocks, &p.maxBlocks, &p.hard) != 8) {
        fprintf(stderr, "bad checkpoint header\n");
        exit(2);
    }
    if (seed != par.seed || p.poolRounds != par.poolRounds || p.elite != par.elite ||
        p.islands != par.islands || p.minBlocks != par.minBlocks || p.maxBlocks != par.maxBlocks ||
        p.hard != par.hard) {
        fprintf(stderr, "checkpoint %s was made with other settings (seed %llu)\n",
                checkpointPath.c_str(), seed);
        exit(2);
    }
    islands.clear();
    pool.clear();
    bool bad = false;
    while (!bad && fscanf(f, "%31s", word) == 1) {
        if (!strcmp(word, "elapsed")) {
            bad = fscanf(f, "%lf", &elapsedBefore) != 1;
        } else if (!strcmp(word, "round")) {
            bad = fscanf(f, "%ld", &poolRound) != 1;
        } else if (!strcmp(word, "island")) {
            Island is;
            size_t n;
            bad = fscanf(f, "%d %ld %d %zu", &is.best, &is.lastGain, &is.restarts, &n) != 4;
            islands.push_back(is);
        } else if (!strcmp(word, "elite")) {
            Elite e;
            bad = islands.empty() || fscanf(f, "%d %ld", &e.obj, &e.born) != 2 ||
                  !GetLayout(f, e.far);
            if (!bad) islands.back().elites.push_back(e);
        } else if (!strcmp(word, "pool")) {
            PoolEntry e;
            uint8_t key[36];
            int cls = 0;
            bad = fscanf(f, "%d", &e.moves) != 1 || !GetLayout(f, e.layout) || !GetLayout(f, key) ||
                  fscanf(f, "%d", &cls) != 1;
            pool[LayoutKey(key) + (char)cls] = e;
        } else if (!strcmp(word, "planned")) {
            bad = fscanf(f, "%d", &planned) != 1;
        } else if (!strcmp(word, "stage")) {
            int i;
            Stage s;
            uint8_t key[36];
            bad = fscanf(f, "%d %d %d %d %d %d %d %d %d %d %d", &i, &s.done, &s.want, &s.blocks,
                         &s.col, &s.kinds[0], &s.kinds[1], &s.kinds[2], &s.kinds[3], &s.kinds[4],
                         &s.moves) != 11 ||
                  i < 0 || i >= STAGE_COUNT || !GetLayout(f, s.layout) || !GetLayout(f, key);
            if (!bad) {
                s.planned = 1;
                s.key = s.done ? LayoutKey(key) : std::string();
                stages[i] = s;
            }
        } else {
            bad = true;
        }
    }
    fclose(f);
    if (bad || (!islands.empty() && (int)islands.size() != par.islands)) {
        fprintf(stderr, "checkpoint %s is damaged\n", checkpointPath.c_str());
        exit(2);
    }
    return 1;
}

// ---- phase 1: the pool of hard stages ---------------------------------------------------

// Kind weights for added blocks, close to the catalogue's overall mix.
static int RandomKind(Rng *r) {
    int v = RandBelow(r, 100);
    if (v < 38) return KIND_VPAIR;
    if (v < 69) return KIND_HPAIR;
    if (v < 86) return KIND_VTRIPLE;
    return KIND_HTRIPLE;
}

static int RandomLine(int type, Rng *r) {
    if (!KindHoriz(type)) return RandBelow(r, 6);
    int line = RandBelow(r, 5);
    return line >= SOLVER_EXIT_ROW ? line + 1 : line;
}

// A set is usable when no line holds more than six cells of blocks.
static int SetFits(const BlockSet &s) {
    int used[2][6] = {{0}};
    for (int k = 0; k < s.n; k++) {
        int h = KindHoriz(s.type[k]);
        if (h && s.type[k] != KIND_TARGET && s.line[k] == SOLVER_EXIT_ROW) return 0;
        used[h][s.line[k]] += KindLen(s.type[k]);
        if (used[h][s.line[k]] > 6) return 0;
    }
    return 1;
}

const size_t SET_LIMIT = 150000;
// Stages of this many blocks or more are searched over block sets.
const int SET_SEARCH_BLOCKS = 11;

// Adds pool entries for every cluster of the set that holds a position of 40 moves or more:
// its farthest position with the target head in column 0 or 1 (key suffix 'a') and in column
// 2 or 3 (suffix 'b'), each when it takes 40 moves or more.
static void CollectPool(const SetSpace &sp, std::vector<std::pair<std::string, PoolEntry>> *found) {
    std::vector<uint32_t> cand;
    int t = sp.board.target;
    for (size_t i = 0; i < sp.states.size(); i++)
        if (StatePos(sp.states[i], t) < 4 && sp.dist[i] + 1 >= POOL_MOVES)
            cand.push_back((uint32_t)i);
    if (cand.empty()) return;
    std::sort(cand.begin(), cand.end(), [&sp](uint32_t a, uint32_t b) {
        return sp.dist[a] != sp.dist[b] ? sp.dist[a] > sp.dist[b] : sp.states[a] < sp.states[b];
    });
    std::vector<char> seen(sp.states.size(), 0);
    Cluster cl;
    for (uint32_t i : cand) {
        if (seen[i]) continue;
        uint8_t g[36];
        WriteLayout(&sp.board, sp.states[i], g);
        if (!EvaluateLayout(g, &cl)) continue;
        seen[i] = 1;
        for (uint64_t s : cl.states) {
            uint32_t v = TableFind(&sp.index, s);
            if (v != UINT32_MAX) seen[v] = 1;
        }
        for (int cls = 0; cls < 2; cls++) {
            int a = 2 * cls, b = 2 * cls + 1;
            int far = std::max(cl.best[a], cl.best[b]);
            if (far + 1 < POOL_MOVES) continue;
            uint64_t st = cl.best[a] > cl.best[b]   ? cl.bestState[a]
                          : cl.best[b] > cl.best[a] ? cl.bestState[b]
                                                    : std::min(cl.bestState[a], cl.bestState[b]);
            PoolEntry e;
            e.moves = far + 1;
            WriteLayout(&cl.board, st, e.layout);
            found->push_back(std::make_pair(cl.key + (char)('a' + cls), e));
        }
    }
}

// The block set of a layout (empty if the layout is malformed).
static BlockSet LayoutSet(const uint8_t g[36]) {
    SolverBoard b;
    uint64_t s;
    BlockSet set;
    set.n = 0;
    if (!ReadLayout(g, &b, &s, nullptr)) return set;
    set.n = b.count;
    for (int i = 0; i < b.count; i++) {
        set.type[i] = b.block[i].type;
        set.line[i] = b.block[i].line;
    }
    return set;
}

// Evaluates a set: returns the distance of its farthest placement with the target head in
// columns 0 to 3 (-1 if there is none) and writes that placement's layout to best.
static int EvaluateSetFar(const BlockSet &set, SetSpace *sp, uint8_t best[36]) {
    if (set.n == 0 || !SetFits(set) || !EvaluateSet(set, sp, SET_LIMIT)) return -1;
    int obj = -1, t = sp->board.target;
    uint64_t far = 0;
    for (size_t i = 0; i < sp->states.size(); i++) {
        uint64_t st = sp->states[i];
        if (StatePos(st, t) >= 4) continue;
        if (sp->dist[i] > obj || (sp->dist[i] == obj && st < far)) {
            obj = sp->dist[i];
            far = st;
        }
    }
    if (obj >= 0) WriteLayout(&sp->board, far, best);
    return obj;
}

static int EvaluateLayoutSet(const uint8_t g[36], SetSpace *sp, uint8_t best[36]) {
    return EvaluateSetFar(LayoutSet(g), sp, best);
}

// One random change of a set: remove, add, re-line or re-kind a block other than the target.
static void MutateSet(BlockSet *s, Rng *r) {
    int op = RandBelow(r, 10);
    int pick = RandBelow(r, s->n);
    if (s->type[pick] == KIND_TARGET) pick = (pick + 1) % s->n;
    if (op < 2 && s->n > par.minBlocks) {
        for (int k = pick; k + 1 < s->n; k++) {
            s->type[k] = s->type[k + 1];
            s->line[k] = s->line[k + 1];
        }
        s->n--;
    } else if (op < 4 && s->n < par.maxBlocks) {
        int at = RandBelow(r, s->n + 1), type = RandomKind(r);
        for (int k = s->n; k > at; k--) {
            s->type[k] = s->type[k - 1];
            s->line[k] = s->line[k - 1];
        }
        s->type[at] = (uint8_t)type;
        s->line[at] = (uint8_t)RandomLine(type, r);
        s->n++;
    } else if (op < 8) {
        if (RandBelow(r, 2)) {
            s->line[pick] = (uint8_t)RandomLine(s->type[pick], r);
        } else {
            int line = s->line[pick] + (RandBelow(r, 2) ? 1 : -1);
            if (line >= 0 && line < 6) s->line[pick] = (uint8_t)line;
        }
    } else {
        int type = RandomKind(r);
        if (KindHoriz(type) != KindHoriz(s->type[pick]))
            s->line[pick] = (uint8_t)RandomLine(type, r);
        s->type[pick] = (uint8_t)type;
    }
    NormaliseSet(s);
}

static std::string SetKey(const BlockSet &set) {
    std::string k;
    for (int i = 0; i < set.n; i++) {
        k += (char)set.type[i];
        k += (char)set.line[i];
    }
    return k;
}

// Orders the parents: farthest first, and among equals the newest first, so that the search
// keeps walking across plateaus.
static void SortElites(Island *is) {
    std::stable_sort(is->elites.begin(), is->elites.end(), [](const Elite &a, const Elite &b) {
        return a.obj != b.obj ? a.obj > b.obj : a.born > b.born;
    });
    if ((int)is->elites.size() > par.elite) is->elites.resize(par.elite);
}

// Fills an island with random 13-block sets.
static void SeedIsland(int index, Island *is) {
    SetSpace sp;
    const int kinds[5] = {1, 2, 5, 2, 3};
    is->elites.clear();
    for (int k = 0; (int)is->elites.size() < par.elite; k++) {
        Rng r = RandSeed(par.seed, 500000000ULL + (uint64_t)index * 1000000 +
                                       (uint64_t)is->restarts * 10000 + k);
        uint8_t g[36];
        if (!RandomLayout(g, 0, kinds, &r)) continue;
        Elite e;
        e.obj = EvaluateLayoutSet(g, &sp, e.far);
        e.born = poolRound;
        if (e.obj >= 0) is->elites.push_back(e);
    }
    SortElites(is);
    is->best = is->elites.front().obj;
    is->lastGain = poolRound;
}

struct Child {
    int obj;
    uint8_t far[36];
    std::string setKey;
    std::vector<std::pair<std::string, PoolEntry>> found;
};

// One child of the pool search: a parent of island i picked with a bias to the best, changed
// by one or two set mutations, evaluated over all its placements.
static void MakeChild(long round, int i, int k, SetSpace *sp, Child *c) {
    Rng r = RandSeed(par.seed, 1000000 + ((uint64_t)round * par.islands + i) * CHILDREN + k);
    const std::vector<Elite> &el = islands[i].elites;
    int e = (int)el.size();
    const Elite &parent = el[std::min(RandBelow(&r, e), RandBelow(&r, e))];
    BlockSet set = LayoutSet(parent.far);
    int changes = 1 + (RandBelow(&r, 3) == 0);
    for (int m = 0; m < changes; m++)
        MutateSet(&set, &r);
    c->found.clear();
    c->obj = -1;
    if (set.n < par.minBlocks || set.n > par.maxBlocks) return;
    c->obj = EvaluateSetFar(set, sp, c->far);
    if (c->obj < 0) return;
    c->setKey = SetKey(set);
    CollectPool(*sp, &c->found);
    // The set's farthest placement also serves the upper middle of the catalogue.
    int moves = c->obj + 1;
    int col = TargetColumn(c->far);
    if (moves >= MID_POOL_MOVES && moves < POOL_MOVES && col < 2) {
        Cluster cl;
        if (EvaluateLayout(c->far, &cl)) {
            PoolEntry e;
            e.moves = moves;
            memcpy(e.layout, c->far, 36);
            c->found.push_back(std::make_pair(cl.key + 'm', e));
        }
    }
}

// Keeps at most MID_POOL_CAP upper-middle entries per length, those of the smallest keys.
static void PrunePool() {
    int count[POOL_MOVES] = {0};
    for (auto it = pool.begin(); it != pool.end();) {
        int m = it->second.moves;
        if (it->first[36] == 'm' && m < POOL_MOVES && ++count[m] > MID_POOL_CAP)
            it = pool.erase(it);
        else
            ++it;
    }
}

// Runs work(t) for t = 0 .. par.threads - 1, each on a thread of its own
// (t = 0 on this one), and waits for all of them.
template <class Work> static void RunOnThreads(const Work &work) {
    std::vector<std::thread> th;
    for (int t = 1; t < par.threads; t++)
        th.emplace_back(work, t);
    work(0);
    for (auto &x : th)
        x.join();
}

static void RunPool(double start) {
    if (islands.empty()) {
        islands.resize(par.islands);
        for (int i = 0; i < par.islands; i++) {
            islands[i].restarts = 0;
            SeedIsland(i, &islands[i]);
        }
    }
    double lastSave = Now(), lastReport = 0;
    int jobs = par.islands * CHILDREN;
    std::vector<Child> children(jobs);
    for (; poolRound < par.poolRounds; poolRound++) {
        auto work = [&](int t) {
            SetSpace sp;
            for (int j = t; j < jobs; j += par.threads)
                MakeChild(poolRound, j / CHILDREN, j % CHILDREN, &sp, &children[j]);
        };
        RunOnThreads(work);
        for (int i = 0; i < par.islands; i++) {
            Island &is = islands[i];
            std::set<std::string> known;
            for (const Elite &e : is.elites)
                known.insert(SetKey(LayoutSet(e.far)));
            for (int k = 0; k < CHILDREN; k++) {
                Child &c = children[i * CHILDREN + k];
                for (auto &f : c.found)
                    pool.insert(f);
                if (c.obj < 0 || known.count(c.setKey)) continue;
                known.insert(c.setKey);
                Elite e;
                memcpy(e.far, c.far, 36);
                e.obj = c.obj;
                e.born = poolRound + 1;
                is.elites.push_back(e);
            }
            SortElites(&is);
            PrunePool();
            if (is.elites.front().obj > is.best) {
                is.best = is.elites.front().obj;
                is.lastGain = poolRound;
            } else if (poolRound - is.lastGain >= ISLAND_PATIENCE) {
                is.restarts++;
                SeedIsland(i, &is);
            }
        }
        double now = Now();
        if (now - lastReport > 10 || poolRound + 1 == par.poolRounds) {
            int top = 0, hard = 0, top48 = 0;
            for (auto &p : pool) {
                top = std::max(top, p.second.moves);
                hard += p.second.moves >= POOL_MOVES;
                top48 += p.second.moves >= 48;
            }
            printf("pool: round %ld/%ld, %zu entries, %d of 40+ moves, %d of 48+, best %d, islands",
                   poolRound + 1, par.poolRounds, pool.size(), hard, top48, top);
            for (auto &is : islands)
                printf(" %d", is.elites.front().obj + 1);
            printf(", %.0f s\n", elapsedBefore + now - start);
            fflush(stdout);
            lastReport = now;
        }
        if (now - lastSave > 20) {
            SaveCheckpoint(elapsedBefore + now - start);
            lastSave = now;
        }
    }
}

// ---- phase 2: the plan ------------------------------------------------------------------

static void SetFixed(int i) {
    Stage &s = stages[i];
    memcpy(s.layout, FIXED_STAGE[i], 36);
    s.blocks = CountBlocks(s.layout, s.kinds);
    s.col = TargetColumn(s.layout);
    s.moves = s.want = SolveLayout(s.layout);
    Cluster cl;
    EvaluateLayout(s.layout, &cl);
    s.key = cl.key;
    s.planned = s.done = 1;
}

// Splits the remaining kinds over the open stages so that every total comes out exactly:
// each stage takes its share of what is left, rounded by largest remainder.
static void PlanKinds(const std::vector<int> &open, int kindLeft[5], Rng *r) {
    for (size_t j = 0; j < open.size(); j++) {
        Stage &s = stages[open[j]];
        int m = s.blocks - 1, rest = 0;
        for (size_t k = j; k < open.size(); k++)
            rest += stages[open[k]].blocks - 1;
        double frac[5];
        int sum = 0;
        s.kinds[KIND_TARGET] = 1;
        for (int k = 1; k < 5; k++) {
            double q = (double)kindLeft[k] * m / rest;
            s.kinds[k] = (int)q;
            frac[k] = q - s.kinds[k] + 0.8 * RandUnit(r);
            if (kindLeft[k] == s.kinds[k]) frac[k] = -1;
            sum += s.kinds[k];
        }
        while (sum < m) {
            int best = 1;
            for (int k = 2; k < 5; k++)
                if (frac[k] > frac[best]) best = k;
            s.kinds[best]++;
            frac[best] = -1;
            sum++;
        }
        for (int k = 1; k < 5; k++)
            kindLeft[k] -= s.kinds[k];
    }
}

static void Plan() {
    Rng r = RandSeed(par.seed, 777);
    int blockLeft[15], kindLeft[5], colLeft[4];
    memcpy(blockLeft, BLOCK_TOTAL, sizeof blockLeft);
    memcpy(kindLeft, KIND_TOTAL, sizeof kindLeft);
    memcpy(colLeft, COLUMN_TOTAL, sizeof colLeft);
    for (int i = 0; i < 2; i++) {
        SetFixed(i);
        blockLeft[stages[i].blocks]--;
        for (int k = 0; k < 5; k++)
            kindLeft[k] -= stages[i].kinds[k];
        colLeft[stages[i].col]--;
    }
    std::set<std::string> usedKeys = {stages[0].key, stages[1].key};

    // Plans a pool entry as a stage when the totals still have room for its
    // block count, target column and kinds and its cluster is not used yet.
    auto take = [&](const auto &c, Stage &s) {
        memcpy(s.layout, c.second.layout, 36);
        s.blocks = CountBlocks(s.layout, s.kinds);
        s.col = TargetColumn(s.layout);
        std::string cluster = c.first.substr(0, 36);
        bool fits = blockLeft[s.blocks] > 0 && colLeft[s.col] > 0 && !usedKeys.count(cluster);
        for (int k = 0; k < 5; k++)
            fits = fits && kindLeft[k] >= s.kinds[k];
        if (!fits) return false;
        blockLeft[s.blocks]--;
        colLeft[s.col]--;
        for (int k = 0; k < 5; k++)
            kindLeft[k] -= s.kinds[k];
        s.moves = s.want = c.second.moves;
        s.key = cluster;
        s.planned = s.done = 1;
        usedKeys.insert(cluster);
        return true;
    };
    // Hardest pool entries first, within what the totals allow.
    std::vector<std::pair<std::string, PoolEntry>> cand(pool.begin(), pool.end());
    std::stable_sort(
        cand.begin(), cand.end(),
        [](const std::pair<std::string, PoolEntry> &a, const std::pair<std::string, PoolEntry> &b) {
            return a.second.moves > b.second.moves;
        });
    std::vector<Stage> hard;
    for (auto &c : cand) {
        if ((int)hard.size() == par.hard || c.second.moves < POOL_MOVES) break;
        Stage s;
        if (!take(c, s)) continue;
        hard.push_back(s);
    }
    // Rising with a small dip every few stages; the hardest stays last.
    std::stable_sort(hard.begin(), hard.end(),
                     [](const Stage &a, const Stage &b) { return a.moves < b.moves; });
    for (size_t k = 3; k + 2 < hard.size(); k += 4)
        if (hard[k].moves != hard[k + 1].moves) std::swap(hard[k], hard[k + 1]);
    int firstHard = STAGE_COUNT - (int)hard.size();
    for (size_t k = 0; k < hard.size(); k++)
        stages[firstHard + k] = hard[k];
    int midTop = POOL_MOVES - 1;
    for (auto &h : hard)
        midTop = std::min(midTop, h.moves - 1);

    // The upper middle: a few pool entries of each length below the hard stages.
    std::vector<Stage> upper;
    int searchTop = midTop;
    for (int len = midTop; len >= MID_POOL_MOVES; len--) {
        int taken = 0;
        for (auto &c : pool) {
            if (taken == MID_PER_LENGTH) break;
            if (c.second.moves != len) continue;
            Stage s;
            if (!take(c, s)) continue;
            upper.push_back(s);
            taken++;
        }
        if (taken == MID_PER_LENGTH) searchTop = len - 1;
    }
    int firstUpper = firstHard - (int)upper.size();
    for (size_t k = 0; k < upper.size(); k++)
        stages[firstUpper + k] = upper[k];
    midTop = searchTop;

    // The other stages: block counts in rising order, each count with a range of intended
    // lengths that such boards reach readily; the stages are put in order of length only when
    // the catalogue is written.
    std::vector<int> open;
    for (int i = 2; i < firstUpper; i++)
        open.push_back(i);
    int n = (int)open.size();
    std::vector<int> counts;
    for (int b = 5; b <= 14; b++)
        for (int k = 0; k < blockLeft[b]; k++)
            counts.push_back(b);
    if ((int)counts.size() != n) {
        fprintf(stderr, "plan: %zu block counts for %d stages\n", counts.size(), n);
        exit(3);
    }
    static const int lowest[15] = {0, 0, 0, 0, 0, 5, 5, 5, 6, 10, 14, 17, 19, 21, 22};
    static const int highest[15] = {0, 0, 0, 0, 0, 9, 9, 9, 14, 16, 20, 24, 27, 32, 30};
    for (int j = 0; j < n; j++) {
        Stage &s = stages[open[j]];
        int b = counts[j], first = j, last = j;
        while (first > 0 && counts[first - 1] == b)
            first--;
        while (last + 1 < n && counts[last + 1] == b)
            last++;
        double t = last > first ? (double)(j - first) / (last - first) : 0.5;
        int want = (int)lround(lowest[b] + t * (highest[b] - lowest[b]));
        s.blocks = b;
        s.want = std::max(5, std::min(midTop, want));
        s.planned = 1;
        s.done = 0;
    }
    // Target columns: the rare columns 2 and 3 among the gentler stages, the rest shuffled.
    std::vector<int> cols(n, -1);
    int rare = colLeft[2] + colLeft[3];
    for (int k = 0; k < rare; k++) {
        int j = 6 + k * (n / 2 - 6) / std::max(1, rare);
        cols[j] = k < colLeft[2] ? 2 : 3;
    }
    std::vector<int> common;
    for (int k = 0; k < colLeft[0]; k++)
        common.push_back(0);
    for (int k = 0; k < colLeft[1]; k++)
        common.push_back(1);
    for (int k = (int)common.size() - 1; k > 0; k--)
        std::swap(common[k], common[RandBelow(&r, k + 1)]);
    size_t next = 0;
    for (int j = 0; j < n; j++)
        if (cols[j] < 0) {
            if (next >= common.size()) {
                fprintf(stderr, "plan: target columns do not add up\n");
                exit(3);
            }
            cols[j] = common[next++];
        }
    for (int j = 0; j < n; j++)
        stages[open[j]].col = cols[j];
    PlanKinds(open, kindLeft, &r);
    planned = 1;
}

// ---- phase 3: search for each planned stage ---------------------------------------------

static int Gap(int best, int want) {
    return best < 0 ? 1000 : std::abs(best - want);
}

// Hill climbing over layouts with the stage's mix, aiming at a cluster whose farthest
// position (target head in the stage's column) is the intended length. A cluster that goes
// further is kept as a fallback, using its position at exactly the intended length.
static int SearchStage(Stage *s, int slot, int attempt, const std::set<std::string> &used) {
    Rng r = RandSeed(par.seed, 100000 + (uint64_t)slot * 64 + attempt);
    Cluster cl;
    int want = s->want - 1;
    for (int restart = 0;; restart++) {
        if (restart > 0 && restart % 6 == 0 && want > 4) want--;
        uint8_t cur[36], g[36];
        if (!RandomLayout(cur, s->col, s->kinds, &r)) continue;
        if (!EvaluateLayout(cur, &cl)) continue;
        int gap = Gap(cl.best[s->col], want);
        bool haveFallback = false;
        uint8_t fallback[36];
        std::string fallbackKey;
        for (int it = 0; it < 250; it++) {
            int best = cl.best[s->col];
            if (best == want && !used.count(cl.key)) {
                WriteLayout(&cl.board, cl.bestState[s->col], s->layout);
                s->key = cl.key;
                s->moves = want + 1;
                return 1;
            }
            uint64_t st;
            if (best > want && !haveFallback && !used.count(cl.key) &&
                StateAtDistance(cl, s->col, want, &st)) {
                WriteLayout(&cl.board, st, fallback);
                fallbackKey = cl.key;
                haveFallback = true;
            }
            if (haveFallback && it >= 40) {
                memcpy(s->layout, fallback, 36);
                s->key = fallbackKey;
                s->moves = want + 1;
                return 1;
            }
            memcpy(g, cur, 36);
            int type = RemoveRandomBlock(g, &r);
            if (type < 0 || !PlaceRandomBlock(g, type, &r)) continue;
            Cluster next;
            if (!EvaluateLayout(g, &next)) continue;
            int ngap = Gap(next.best[s->col], want);
            if (ngap <= gap) {
                gap = ngap;
                std::swap(cl, next);
                if (cl.best[s->col] >= 0)
                    WriteLayout(&cl.board, cl.bestState[s->col], cur);
                else
                    memcpy(cur, g, 36);
            }
        }
    }
}

// Farthest placement of a set with the target head in column col, or -1.
static int SetFarthest(const SetSpace &sp, int col) {
    int best = -1, t = sp.board.target;
    for (size_t i = 0; i < sp.states.size(); i++)
        if (StatePos(sp.states[i], t) == col && sp.dist[i] > best) best = sp.dist[i];
    return best;
}

// Picks a stage from a set whose placements reach distance d with the target head in column
// col: the first such placement (in order of state) whose cluster is still unused, preferring
// a cluster whose farthest position is exactly d.
static int PickFromSet(const SetSpace &sp, int col, int d, const std::set<std::string> &used,
                       Stage *s) {
    std::vector<uint64_t> cand;
    int t = sp.board.target;
    for (size_t i = 0; i < sp.states.size(); i++)
        if (StatePos(sp.states[i], t) == col && sp.dist[i] == d) cand.push_back(sp.states[i]);
    std::sort(cand.begin(), cand.end());
    Cluster cl;
    bool haveFallback = false;
    for (size_t k = 0; k < cand.size() && k < 24; k++) {
        uint8_t g[36];
        WriteLayout(&sp.board, cand[k], g);
        if (!EvaluateLayout(g, &cl) || used.count(cl.key)) continue;
        if (cl.best[col] == d) {
            WriteLayout(&cl.board, cl.bestState[col], s->layout);
            s->key = cl.key;
            s->moves = d + 1;
            return 1;
        }
        if (!haveFallback) {
            memcpy(s->layout, g, 36);
            s->key = cl.key;
            s->moves = d + 1;
            haveFallback = true;
        }
    }
    return haveFallback;
}

// The search for the denser stages works on block sets with the stage's mix: every
// placement of a set is explored at once, and a mutation moves one block to another line.
static int SearchStageBySet(Stage *s, int slot, int attempt, const std::set<std::string> &used) {
    Rng r = RandSeed(par.seed, 200000 + (uint64_t)slot * 64 + attempt);
    SetSpace sp, trial;
    int want = s->want - 1;
    for (int restart = 0;; restart++) {
        if (restart > 0 && restart % 4 == 0 && want > 4) want--;
        uint8_t g[36];
        if (!RandomLayout(g, s->col, s->kinds, &r)) continue;
        BlockSet cur = LayoutSet(g);
        if (!SetFits(cur) || !EvaluateSet(cur, &sp, SET_LIMIT)) continue;
        int best = SetFarthest(sp, s->col), gap = Gap(best, want);
        int tried = 0;
        for (int it = 0; it < 200; it++) {
            if (best >= want && !tried) {
                tried++;
                if (PickFromSet(sp, s->col, want, used, s)) return 1;
            }
            BlockSet next = cur;
            int pick = RandBelow(&r, next.n);
            if (next.type[pick] == KIND_TARGET) continue;
            if (RandBelow(&r, 2)) {
                next.line[pick] = (uint8_t)RandomLine(next.type[pick], &r);
            } else {
                int line = next.line[pick] + (RandBelow(&r, 2) ? 1 : -1);
                if (line < 0 || line > 5) continue;
                next.line[pick] = (uint8_t)line;
            }
            NormaliseSet(&next);
            if (!SetFits(next) || !EvaluateSet(next, &trial, SET_LIMIT)) continue;
            int nb = SetFarthest(trial, s->col), ngap = Gap(nb, want);
            // Overshooting is as good as hitting: the set then holds positions at every
            // distance up to its farthest.
            if (nb >= want) ngap = 0;
            if (ngap <= gap) {
                cur = next;
                std::swap(sp, trial);
                best = nb;
                gap = ngap;
                tried = 0;
            }
        }
    }
}

static int SearchOne(Stage *s, int slot, int attempt, const std::set<std::string> &used) {
    if (s->blocks >= SET_SEARCH_BLOCKS) return SearchStageBySet(s, slot, attempt, used);
    return SearchStage(s, slot, attempt, used);
}

static void RunSearch(double start) {
    std::set<std::string> used;
    for (int i = 0; i < STAGE_COUNT; i++)
        if (stages[i].done) used.insert(stages[i].key);
    std::vector<int> todo;
    for (int i = 0; i < STAGE_COUNT; i++)
        if (!stages[i].done) todo.push_back(i);
    const int batch = 8;
    for (size_t b = 0; b < todo.size(); b += batch) {
        std::vector<int> slots(todo.begin() + b, todo.begin() + std::min(todo.size(), b + batch));
        std::vector<Stage> found(slots.size());
        auto work = [&](int t) {
            for (size_t k = t; k < slots.size(); k += par.threads) {
                found[k] = stages[slots[k]];
                SearchOne(&found[k], slots[k], 0, used);
            }
        };
        RunOnThreads(work);
        // Two stages of one batch may have found the same cluster: the later one searches again.
        for (size_t k = 0; k < slots.size(); k++) {
            int attempt = 1;
            while (used.count(found[k].key)) {
                found[k] = stages[slots[k]];
                SearchOne(&found[k], slots[k], attempt++, used);
            }
            found[k].done = 1;
            stages[slots[k]] = found[k];
            used.insert(found[k].key);
        }
        int done = 0;
        for (int i = 0; i < STAGE_COUNT; i++)
            done += stages[i].done;
        printf("search: %d/%d stages, last %d: %d moves (wanted %d), %.0f s\n", done, STAGE_COUNT,
               slots.back(), stages[slots.back()].moves, stages[slots.back()].want,
               elapsedBefore + Now() - start);
        fflush(stdout);
        SaveCheckpoint(elapsedBefore + Now() - start);
    }
}

// ---- output -----------------------------------------------------------------------------

// Order of play: the two given stages, then the searched stages by length with a small dip
// every few stages (the first twenty stay in plain order), then the pool's stages, whose
// order the plan fixed.
static std::vector<int> PlayOrder() {
    std::vector<int> mid, order = {0, 1};
    int firstHard = STAGE_COUNT;
    while (firstHard > 2 && stages[firstHard - 1].want >= POOL_MOVES)
        firstHard--;
    for (int i = 2; i < firstHard; i++)
        mid.push_back(i);
    std::stable_sort(mid.begin(), mid.end(),
                     [](int a, int b) { return stages[a].moves < stages[b].moves; });
    for (size_t k = 18; k + 2 < mid.size(); k += 5)
        if (stages[mid[k]].moves < stages[mid[k + 2]].moves) std::swap(mid[k], mid[k + 2]);
    order.insert(order.end(), mid.begin(), mid.end());
    for (int i = firstHard; i < STAGE_COUNT; i++)
        order.push_back(i);
    return order;
}

static int WriteCatalogue() {
    FILE *f = fopen((outPath + ".tmp").c_str(), "w");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", outPath.c_str());
        return 0;
    }
    std::vector<int> order = PlayOrder();
    for (int i : order) {
        const Stage &s = stages[i];
        int moves = SolveLayout(s.layout);
        int kinds[5];
        int blocks = CountBlocks(s.layout, kinds);
        if (moves != s.moves) {
            fprintf(stderr, "stage %d: solver says %d moves, search said %d\n", i, moves, s.moves);
            fclose(f);
            return 0;
        }
        fprintf(f, "{{");
        for (int c = 0; c < 36; c++)
            fprintf(f, c ? ", %d" : "%d", s.layout[c]);
        fprintf(f, "}}, // %d moves, %d blocks\n", moves, blocks);
    }
    fclose(f);
    rename((outPath + ".tmp").c_str(), outPath.c_str());
    return 1;
}

static void Usage() {
    fprintf(stderr,
            "usage: stagegen [--seed N] [--out FILE] [--checkpoint FILE] [--pool-rounds N]\n"
            "                [--elite N] [--islands N] [--threads N] [--hard N] [--min-blocks N] "
            "[--max-blocks N]\n");
    exit(1);
}

int main(int argc, char **argv) {
    par.seed = 1;
    par.poolRounds = 2000;
    par.elite = 24;
    par.islands = 4;
    par.minBlocks = 12;
    par.maxBlocks = 14;
    par.hard = 30;
    par.threads = 2;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (i + 1 >= argc) Usage();
        const char *v = argv[++i];
        if (a == "--seed")
            par.seed = strtoull(v, nullptr, 10);
        else if (a == "--out")
            outPath = v;
        else if (a == "--checkpoint")
            checkpointPath = v;
        else if (a == "--pool-rounds")
            par.poolRounds = atol(v);
        else if (a == "--elite")
            par.elite = atoi(v);
        else if (a == "--islands")
            par.islands = std::max(1, atoi(v));
        else if (a == "--threads")
            par.threads = std::max(1, atoi(v));
        else if (a == "--hard")
            par.hard = atoi(v);
        else if (a == "--min-blocks")
            par.minBlocks = atoi(v);
        else if (a == "--max-blocks")
            par.maxBlocks = atoi(v);
        else
            Usage();
    }
    if (par.minBlocks < 5 || par.maxBlocks > 14 || par.minBlocks > par.maxBlocks || par.hard < 0 ||
        par.hard > STAGE_COUNT - 2 || par.elite < 1 || par.poolRounds < 0) {
        fprintf(stderr, "stagegen: settings out of range\n");
        return 1;
    }
    double start = Now();
    if (LoadCheckpoint()) printf("resuming from %s\n", checkpointPath.c_str());
    if (!planned) {
        RunPool(start);
        Plan();
        SaveCheckpoint(elapsedBefore + Now() - start);
        printf("plan made from %zu pool entries\n", pool.size());
    }
    RunSearch(start);
    if (!WriteCatalogue()) return 1;
    double total = elapsedBefore + Now() - start;
    SaveCheckpoint(total);
    printf("wrote %s: %d stages, hardest %d moves, %.0f s in all\n", outPath.c_str(), STAGE_COUNT,
           stages[STAGE_COUNT - 1].moves, total);
    return 0;
}
