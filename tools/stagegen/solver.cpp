#include "solver.h"

#include <algorithm>
#include <cstring>

void PrepareBoard(SolverBoard *b) {
    b->target = -1;
    for (int i = 0; i < b->count; i++) {
        const SolverBlock &k = b->block[i];
        if (k.type == TYPE_TARGET) b->target = i;
        for (int j = 0; j < 6; j++)
            b->cell[i][j] = k.horiz ? (uint8_t)(k.line * 6 + j) : (uint8_t)(j * 6 + k.line);
        for (int p = 0; p < 5; p++) {
            uint64_t m = 0;
            if (p + k.len <= 6)
                for (int j = 0; j < k.len; j++)
                    m |= 1ULL << b->cell[i][p + j];
            b->mask[i][p] = m;
        }
    }
    for (int x = 0; x < 5; x++) {
        uint64_t m = 0;
        for (int c = x + 2; c < 6; c++)
            m |= 1ULL << (EXIT_ROW * 6 + c);
        b->goal[x] = m;
    }
}

void CanonicalOrder(SolverBoard *b, uint64_t *s) {
    int idx[SOLVER_MAX_BLOCKS];
    for (int i = 0; i < b->count; i++)
        idx[i] = i;
    const SolverBoard *c = b;
    uint64_t st = *s;
    std::sort(idx, idx + b->count, [c, st](int a, int d) {
        const SolverBlock &x = c->block[a], &y = c->block[d];
        if (x.horiz != y.horiz) return x.horiz > y.horiz;
        if (x.line != y.line) return x.line < y.line;
        return StatePos(st, a) < StatePos(st, d);
    });
    SolverBoard old = *b;
    uint64_t ns = 0;
    for (int i = 0; i < b->count; i++) {
        b->block[i] = old.block[idx[i]];
        ns = StateSet(ns, i, StatePos(st, idx[i]));
    }
    *s = ns;
    PrepareBoard(b);
}

static int Fail(std::string *why, const std::string &text) {
    if (why) *why = text;
    return 0;
}

int ReadLayout(const uint8_t data[36], SolverBoard *b, uint64_t *s, std::string *why) {
    uint8_t owner[36];
    memset(owner, 0, sizeof owner);
    b->count = 0;
    uint64_t st = 0;
    int targets = 0;
    for (int i = 0; i < 36; i++) {
        int type = KindOfHeadCode(data[i]);
        if (type < 0) continue;
        if (b->count == SOLVER_MAX_BLOCKS) return Fail(why, "too many blocks");
        int x = i % 6, y = i / 6, len = KindLen(type), horiz = KindHoriz(type);
        if ((horiz ? x : y) + len > 6)
            return Fail(why, "block at cell " + std::to_string(i) + " runs off the board");
        for (int j = 0; j < len; j++) {
            int c = horiz ? i + j : i + 6 * j;
            if (data[c] != KindHead(type) + j)
                return Fail(why, "block at cell " + std::to_string(i) + " is broken");
            if (owner[c]) return Fail(why, "cell " + std::to_string(c) + " used twice");
            owner[c] = 1;
        }
        SolverBlock &k = b->block[b->count];
        k.type = (uint8_t)type;
        k.horiz = (uint8_t)horiz;
        k.line = (uint8_t)(horiz ? y : x);
        k.len = (uint8_t)len;
        st = StateSet(st, b->count, horiz ? x : y);
        b->count++;
        if (type == TYPE_TARGET) targets++;
    }
    for (int i = 0; i < 36; i++) {
        if (owner[i]) continue;
        if (data[i] != 0)
            return Fail(why, "cell " + std::to_string(i) + " holds stray code " +
                                 std::to_string(data[i]));
    }
    if (targets != 1) return Fail(why, std::to_string(targets) + " target blocks");
    CanonicalOrder(b, &st);
    *s = st;
    return 1;
}

void WriteLayout(const SolverBoard *b, uint64_t s, uint8_t out[36]) {
    memset(out, 0, 36);
    for (int i = 0; i < b->count; i++) {
        int p = StatePos(s, i);
        for (int j = 0; j < b->block[i].len; j++)
            out[b->cell[i][p + j]] = (uint8_t)(KindHead(b->block[i].type) + j);
    }
}

uint64_t Occupancy(const SolverBoard *b, uint64_t s) {
    uint64_t occ = 0;
    for (int i = 0; i < b->count; i++)
        occ |= b->mask[i][StatePos(s, i)];
    return occ;
}

int IsSolved(const SolverBoard *b, uint64_t s) {
    return (Occupancy(b, s) & b->goal[StatePos(s, b->target)]) == 0;
}

int Neighbours(const SolverBoard *b, uint64_t s, uint64_t *out) {
    uint64_t occ = Occupancy(b, s);
    int n = 0;
    for (int i = 0; i < b->count; i++) {
        int p = StatePos(s, i), len = b->block[i].len;
        const uint8_t *cell = b->cell[i];
        uint64_t clear = s & ~(7ULL << (3 * i));
        for (int q = p - 1; q >= 0 && !(occ >> cell[q] & 1); q--)
            out[n++] = clear | ((uint64_t)q << (3 * i));
        for (int q = p + 1; q + len <= 6 && !(occ >> cell[q + len - 1] & 1); q++)
            out[n++] = clear | ((uint64_t)q << (3 * i));
    }
    return n;
}

static uint64_t HashState(uint64_t s) {
    s ^= s >> 29;
    s *= 0xbf58476d1ce4e5b9ULL;
    s ^= s >> 32;
    return s;
}

void TableInit(StateTable *t, size_t expected) {
    size_t cap = 1024;
    while (cap < expected * 2)
        cap <<= 1;
    t->key.assign(cap, UINT64_MAX);
    t->val.assign(cap, 0);
    t->mask = cap - 1;
    t->used = 0;
}

static void TableGrow(StateTable *t) {
    std::vector<uint64_t> key;
    std::vector<uint32_t> val;
    key.swap(t->key);
    val.swap(t->val);
    size_t cap = key.size() * 2;
    t->key.assign(cap, UINT64_MAX);
    t->val.assign(cap, 0);
    t->mask = cap - 1;
    for (size_t i = 0; i < key.size(); i++) {
        if (key[i] == UINT64_MAX) continue;
        uint64_t h = HashState(key[i]) & t->mask;
        while (t->key[h] != UINT64_MAX)
            h = (h + 1) & t->mask;
        t->key[h] = key[i];
        t->val[h] = val[i];
    }
}

uint32_t TableInsert(StateTable *t, uint64_t s, uint32_t v) {
    if ((t->used + 1) * 2 > t->key.size()) TableGrow(t);
    uint64_t h = HashState(s) & t->mask;
    while (t->key[h] != UINT64_MAX) {
        if (t->key[h] == s) return t->val[h];
        h = (h + 1) & t->mask;
    }
    t->key[h] = s;
    t->val[h] = v;
    t->used++;
    return v;
}

uint32_t TableFind(const StateTable *t, uint64_t s) {
    uint64_t h = HashState(s) & t->mask;
    while (t->key[h] != UINT64_MAX) {
        if (t->key[h] == s) return t->val[h];
        h = (h + 1) & t->mask;
    }
    return UINT32_MAX;
}

int SolveState(const SolverBoard *b, uint64_t s) {
    if (IsSolved(b, s)) return 1;
    StateTable seen;
    TableInit(&seen, 4096);
    std::vector<uint64_t> queue;
    queue.push_back(s);
    TableInsert(&seen, s, 0);
    uint64_t next[80];
    size_t head = 0;
    int depth = 0;
    while (head < queue.size()) {
        size_t end = queue.size();
        depth++;
        for (; head < end; head++) {
            int n = Neighbours(b, queue[head], next);
            for (int k = 0; k < n; k++) {
                size_t before = seen.used;
                TableInsert(&seen, next[k], 0);
                if (seen.used == before) continue;
                if (IsSolved(b, next[k])) return depth + 1;
                queue.push_back(next[k]);
            }
        }
    }
    return -1;
}

int SolveLayout(const uint8_t data[36]) {
    SolverBoard b;
    uint64_t s;
    if (!ReadLayout(data, &b, &s, nullptr)) return -1;
    return SolveState(&b, s);
}

void ExploreCluster(const SolverBoard *b, uint64_t start, std::vector<uint64_t> *states) {
    StateTable seen;
    TableInit(&seen, 4096);
    states->clear();
    states->push_back(start);
    TableInsert(&seen, start, 0);
    uint64_t next[80];
    for (size_t head = 0; head < states->size(); head++) {
        int n = Neighbours(b, (*states)[head], next);
        for (int k = 0; k < n; k++) {
            size_t before = seen.used;
            TableInsert(&seen, next[k], 0);
            if (seen.used != before) states->push_back(next[k]);
        }
    }
}

void ClusterDistances(const SolverBoard *b, const std::vector<uint64_t> &states,
                      std::vector<int> *dist) {
    StateTable index;
    TableInit(&index, states.size());
    for (size_t i = 0; i < states.size(); i++)
        TableInsert(&index, states[i], (uint32_t)i);
    dist->assign(states.size(), -1);
    std::vector<uint32_t> queue;
    for (size_t i = 0; i < states.size(); i++)
        if (IsSolved(b, states[i])) {
            (*dist)[i] = 0;
            queue.push_back((uint32_t)i);
        }
    uint64_t next[80];
    for (size_t head = 0; head < queue.size(); head++) {
        uint32_t u = queue[head];
        int n = Neighbours(b, states[u], next);
        for (int k = 0; k < n; k++) {
            uint32_t v = TableFind(&index, next[k]);
            if ((*dist)[v] >= 0) continue;
            (*dist)[v] = (*dist)[u] + 1;
            queue.push_back(v);
        }
    }
}
