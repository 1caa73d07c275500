#include "pool.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const int CHILDREN = 16;         // children per island and round of the pool search
const int ISLAND_PATIENCE = 120; // rounds without progress before an island starts afresh
const int MID_POOL_CAP = 40;     // upper-middle entries kept per length
const size_t SET_LIMIT = 150000; // most placements of a set that are enumerated

// Kind weights for added blocks, close to the catalogue's overall mix.
int RandomKind(Rng *r) {
    int v = RandBelow(r, 100);
    if (v < 38) return TYPE_VPAIR;
    if (v < 69) return TYPE_HPAIR;
    if (v < 86) return TYPE_VTRIPLE;
    return TYPE_HTRIPLE;
}

// Adds pool entries for every cluster of the set that holds a position of 40 moves or more:
// its farthest position with the target head in column 0 or 1 (key suffix 'a') and in column
// 2 or 3 (suffix 'b'), each when it takes 40 moves or more.
void CollectPool(const SetSpace &sp, std::vector<std::pair<std::string, PoolEntry>> *found) {
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

// Evaluates a set: returns the distance of its farthest placement with the target head in
// columns 0 to 3 (-1 if there is none) and writes that placement's layout to best.
} // namespace

int EvaluateSetFar(const BlockSet &set, SetSpace *sp, uint8_t best[36]) {
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

namespace {

int EvaluateLayoutSet(const uint8_t g[36], SetSpace *sp, uint8_t best[36]) {
    return EvaluateSetFar(LayoutSet(g), sp, best);
}

// One random change of a set: remove, add, re-line or re-kind a block other than the target.
void MutateSet(const Options &o, BlockSet *s, Rng *r) {
    int op = RandBelow(r, 10);
    int pick = RandBelow(r, s->n);
    if (s->type[pick] == TYPE_TARGET) pick = (pick + 1) % s->n;
    if (op < 2 && s->n > o.minBlocks) {
        for (int k = pick; k + 1 < s->n; k++) {
            s->type[k] = s->type[k + 1];
            s->line[k] = s->line[k + 1];
        }
        s->n--;
    } else if (op < 4 && s->n < o.maxBlocks) {
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

} // namespace

std::string SetKey(const BlockSet &set) {
    std::string k;
    for (int i = 0; i < set.n; i++) {
        k += (char)set.type[i];
        k += (char)set.line[i];
    }
    return k;
}

// Orders the parents: farthest first, and among equals the newest first, so that the search
// keeps walking across plateaus.
namespace {

void SortElites(const Options &o, Island *is) {
    std::stable_sort(is->elites.begin(), is->elites.end(), [](const Elite &a, const Elite &b) {
        return a.obj != b.obj ? a.obj > b.obj : a.born > b.born;
    });
    if ((int)is->elites.size() > o.elite) is->elites.resize(o.elite);
}

// Fills an island with random 13-block sets.
void SeedIsland(const Options &o, long round, int index, Island *is) {
    SetSpace sp;
    const int kinds[5] = {1, 2, 5, 2, 3};
    is->elites.clear();
    // Nearly every random set has a placement; the bound only guards against a setting that
    // makes none.
    for (int k = 0; (int)is->elites.size() < o.elite && k < 1000 * o.elite; k++) {
        Rng r = RandSeed(o.seed, 500000000ULL + (uint64_t)index * 1000000 +
                                     (uint64_t)is->restarts * 10000 + k);
        uint8_t g[36];
        if (!RandomLayout(g, 0, kinds, &r)) continue;
        Elite e;
        e.obj = EvaluateLayoutSet(g, &sp, e.far);
        e.born = round;
        if (e.obj >= 0) is->elites.push_back(e);
    }
    SortElites(o, is);
    is->best = is->elites.empty() ? -1 : is->elites.front().obj;
    is->lastGain = round;
}

struct Child {
    int obj;
    uint8_t far[36];
    std::string setKey;
    std::vector<std::pair<std::string, PoolEntry>> found;
};

// One child of the pool search: a parent of island i picked with a bias to the best, changed
// by one or two set mutations, evaluated over all its placements.
void MakeChild(const Options &o, const Pool &pool, int i, int k, SetSpace *sp, Child *c) {
    long round = pool.round;
    Rng r = RandSeed(o.seed, 1000000 + ((uint64_t)round * o.islands + i) * CHILDREN + k);
    const std::vector<Elite> &el = pool.islands[i].elites;
    int e = (int)el.size();
    c->found.clear();
    c->obj = -1;
    if (e == 0) return;
    const Elite &parent = el[std::min(RandBelow(&r, e), RandBelow(&r, e))];
    BlockSet set = LayoutSet(parent.far);
    int changes = 1 + (RandBelow(&r, 3) == 0);
    for (int m = 0; m < changes; m++)
        MutateSet(o, &set, &r);
    if (set.n < o.minBlocks || set.n > o.maxBlocks) return;
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
void PrunePool(std::map<std::string, PoolEntry> *pool) {
    int count[POOL_MOVES] = {0};
    for (auto it = pool->begin(); it != pool->end();) {
        int m = it->second.moves;
        if (it->first[36] == 'm' && m < POOL_MOVES && ++count[m] > MID_POOL_CAP)
            it = pool->erase(it);
        else
            ++it;
    }
}

// Takes one island's children into its population and their finds into the pool.
void MergeChildren(const Options &o, int i, std::vector<Child> &children, Pool *pool) {
    Island &is = pool->islands[i];
    std::set<std::string> known;
    for (const Elite &e : is.elites)
        known.insert(SetKey(LayoutSet(e.far)));
    for (int k = 0; k < CHILDREN; k++) {
        Child &c = children[i * CHILDREN + k];
        for (auto &f : c.found)
            pool->entries.insert(f);
        if (c.obj < 0 || known.count(c.setKey)) continue;
        known.insert(c.setKey);
        Elite e;
        memcpy(e.far, c.far, 36);
        e.obj = c.obj;
        e.born = pool->round + 1;
        is.elites.push_back(e);
    }
    SortElites(o, &is);
    PrunePool(&pool->entries);
    if (!is.elites.empty() && is.elites.front().obj > is.best) {
        is.best = is.elites.front().obj;
        is.lastGain = pool->round;
    } else if (pool->round - is.lastGain >= ISLAND_PATIENCE) {
        is.restarts++;
        SeedIsland(o, pool->round, i, &is);
    }
}

} // namespace

// Splits the pool's rounds between islands; every round's children are made on the threads,
// then merged island by island in a fixed order, so the outcome does not depend on timing.
void RunPool(const Options &o, Pool *pool, const std::function<void(int)> &tick) {
    if (pool->islands.empty()) {
        pool->islands.resize(o.islands);
        for (int i = 0; i < o.islands; i++) {
            pool->islands[i].restarts = 0;
            SeedIsland(o, pool->round, i, &pool->islands[i]);
        }
    }
    int jobs = o.islands * CHILDREN;
    std::vector<Child> children(jobs);
    for (; pool->round < o.poolRounds; pool->round++) {
        auto work = [&](int t) {
            SetSpace sp;
            for (int j = t; j < jobs; j += o.threads)
                MakeChild(o, *pool, j / CHILDREN, j % CHILDREN, &sp, &children[j]);
        };
        RunOnThreads(o.threads, work);
        for (int i = 0; i < o.islands; i++)
            MergeChildren(o, i, children, pool);
        tick(0);
    }
    tick(1);
}

int PoolSummary(const Pool &pool, int atLeast) {
    int n = 0;
    for (auto &p : pool.entries)
        n += p.second.moves >= atLeast;
    return n;
}
