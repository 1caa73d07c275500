#include "gen.h"

#include <algorithm>
#include <cstring>

uint64_t RandNext(Rng *r) {
    uint64_t z = (r->s += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int RandBelow(Rng *r, int n) {
    return (int)(RandNext(r) % (uint64_t)n);
}

double RandUnit(Rng *r) {
    return (double)(RandNext(r) >> 11) * (1.0 / 9007199254740992.0);
}

Rng RandSeed(uint64_t seed, uint64_t stream) {
    Rng r;
    // Two rounds of mixing, so that neighbouring streams do not share a sequence.
    r.s = seed;
    uint64_t a = RandNext(&r);
    r.s = stream ^ 0x5851f42d4c957f2dULL;
    uint64_t b = RandNext(&r);
    r.s = a ^ (b * 0xd1342543de82ef95ULL);
    return r;
}

std::string LayoutKey(const uint8_t g[36]) {
    return std::string((const char *)g, 36);
}

void KeyLayout(const std::string &key, uint8_t g[36]) {
    memcpy(g, key.data(), 36);
}

int EvaluateLayout(const uint8_t g[36], Cluster *c) {
    uint64_t start;
    if (!ReadLayout(g, &c->board, &start, nullptr)) return 0;
    ExploreCluster(&c->board, start, &c->states);
    ClusterDistances(&c->board, c->states, &c->dist);
    uint64_t least = start;
    for (int col = 0; col < 5; col++) {
        c->best[col] = -1;
        c->bestState[col] = 0;
    }
    int t = c->board.target;
    for (size_t i = 0; i < c->states.size(); i++) {
        uint64_t s = c->states[i];
        if (s < least) least = s;
        int col = StatePos(s, t), d = c->dist[i];
        if (d > c->best[col] || (d == c->best[col] && s < c->bestState[col])) {
            c->best[col] = d;
            c->bestState[col] = s;
        }
    }
    uint8_t lg[36];
    WriteLayout(&c->board, least, lg);
    c->key = LayoutKey(lg);
    return 1;
}

int CountBlocks(const uint8_t g[36], int kinds[5]) {
    int n = 0;
    for (int k = 0; k < KIND_COUNT; k++)
        kinds[k] = 0;
    for (int i = 0; i < 36; i++) {
        int k = KindOfHeadCode(g[i]);
        if (k < 0) continue;
        kinds[k]++;
        n++;
    }
    return n;
}

int TargetColumn(const uint8_t g[36]) {
    for (int x = 0; x < 6; x++)
        if (g[EXIT_ROW * 6 + x] == CELL_TARGET) return x;
    return -1;
}

static int Fits(const uint8_t g[36], int type, int x, int y) {
    int len = KindLen(type), horiz = KindHoriz(type);
    for (int j = 0; j < len; j++) {
        int c = horiz ? y * 6 + x + j : (y + j) * 6 + x;
        if (g[c]) return 0;
    }
    return 1;
}

static void Put(uint8_t g[36], int type, int x, int y) {
    int len = KindLen(type), horiz = KindHoriz(type);
    for (int j = 0; j < len; j++) {
        int c = horiz ? y * 6 + x + j : (y + j) * 6 + x;
        g[c] = (uint8_t)(KindHead(type) + j);
    }
}

int PlaceRandomBlock(uint8_t g[36], int type, Rng *r) {
    int len = KindLen(type), horiz = KindHoriz(type);
    for (int tries = 0; tries < 60; tries++) {
        int along = RandBelow(r, 7 - len), across = RandBelow(r, 6);
        int x = horiz ? along : across, y = horiz ? across : along;
        if (horiz && y == EXIT_ROW) continue;
        if (!Fits(g, type, x, y)) continue;
        Put(g, type, x, y);
        return 1;
    }
    return 0;
}

int RandomLayout(uint8_t g[36], int col, const int kinds[5], Rng *r) {
    for (int attempt = 0; attempt < 200; attempt++) {
        memset(g, 0, 36);
        Put(g, TYPE_TARGET, col, EXIT_ROW);
        // Long blocks first: they are the hardest to fit.
        static const int order[4] = {TYPE_HTRIPLE, TYPE_VTRIPLE, TYPE_HPAIR, TYPE_VPAIR};
        int ok = 1;
        for (int o = 0; o < 4 && ok; o++)
            for (int k = 0; k < kinds[order[o]] && ok; k++)
                ok = PlaceRandomBlock(g, order[o], r);
        if (ok) return 1;
    }
    return 0;
}

void NormaliseSet(BlockSet *set) {
    int idx[SOLVER_MAX_BLOCKS];
    for (int i = 0; i < set->n; i++)
        idx[i] = i;
    const BlockSet *s = set;
    std::stable_sort(idx, idx + set->n, [s](int a, int b) {
        int ha = KindHoriz(s->type[a]), hb = KindHoriz(s->type[b]);
        if (ha != hb) return ha > hb;
        return s->line[a] < s->line[b];
    });
    BlockSet old = *set;
    for (int i = 0; i < set->n; i++) {
        set->type[i] = old.type[idx[i]];
        set->line[i] = old.line[idx[i]];
    }
}

static int Enumerate(const SolverBoard *b, int i, uint64_t occ, uint64_t st,
                     std::vector<uint64_t> *out, size_t limit) {
    if (i == b->count) {
        out->push_back(st);
        return out->size() <= limit;
    }
    const SolverBlock &k = b->block[i];
    int lo = 0;
    if (i > 0 && b->block[i - 1].horiz == k.horiz && b->block[i - 1].line == k.line)
        lo = StatePos(st, i - 1) + b->block[i - 1].len;
    for (int p = lo; p + k.len <= 6; p++) {
        if (b->mask[i][p] & occ) continue;
        if (!Enumerate(b, i + 1, occ | b->mask[i][p], st | ((uint64_t)p << (3 * i)), out, limit))
            return 0;
    }
    return 1;
}

int EvaluateSet(const BlockSet &set, SetSpace *sp, size_t limit) {
    SolverBoard *b = &sp->board;
    b->count = set.n;
    for (int i = 0; i < set.n; i++) {
        SolverBlock &k = b->block[i];
        k.type = set.type[i];
        k.horiz = (uint8_t)KindHoriz(set.type[i]);
        k.line = set.line[i];
        k.len = (uint8_t)KindLen(set.type[i]);
    }
    PrepareBoard(b);
    if (b->target < 0) return 0;
    sp->states.clear();
    if (!Enumerate(b, 0, 0, 0, &sp->states, limit) || sp->states.empty()) return 0;
    TableInit(&sp->index, sp->states.size());
    for (size_t i = 0; i < sp->states.size(); i++)
        TableInsert(&sp->index, sp->states[i], (uint32_t)i);
    sp->dist.assign(sp->states.size(), -1);
    std::vector<uint32_t> queue;
    for (size_t i = 0; i < sp->states.size(); i++)
        if (IsSolved(b, sp->states[i])) {
            sp->dist[i] = 0;
            queue.push_back((uint32_t)i);
        }
    uint64_t next[80];
    for (size_t head = 0; head < queue.size(); head++) {
        uint32_t u = queue[head];
        int n = Neighbours(b, sp->states[u], next);
        for (int k = 0; k < n; k++) {
            uint32_t v = TableFind(&sp->index, next[k]);
            if (sp->dist[v] >= 0) continue;
            sp->dist[v] = sp->dist[u] + 1;
            queue.push_back(v);
        }
    }
    return 1;
}
int RandomLine(int type, Rng *r) {
    if (!KindHoriz(type)) return RandBelow(r, 6);
    int line = RandBelow(r, 5);
    return line >= EXIT_ROW ? line + 1 : line;
}

// A set is usable when no line holds more than six cells of blocks.
int SetFits(const BlockSet &s) {
    int used[2][6] = {{0}};
    for (int k = 0; k < s.n; k++) {
        int h = KindHoriz(s.type[k]);
        if (h && s.type[k] != TYPE_TARGET && s.line[k] == EXIT_ROW) return 0;
        used[h][s.line[k]] += KindLen(s.type[k]);
        if (used[h][s.line[k]] > 6) return 0;
    }
    return 1;
}

// The block set of a layout (empty if the layout is malformed).
BlockSet LayoutSet(const uint8_t g[36]) {
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
