#include "curate.h"

#include <algorithm>
#include <cstring>

void WithoutBlock(const uint8_t layout[36], int i, uint8_t out[36]) {
    SolverBoard b;
    uint64_t s;
    memcpy(out, layout, 36);
    if (!ReadLayout(layout, &b, &s, nullptr) || i < 0 || i >= b.count) return;
    int p = StatePos(s, i);
    for (int j = 0; j < b.block[i].len; j++)
        out[b.cell[i][p + j]] = CELL_EMPTY;
}

int RemovableBlocks(const uint8_t layout[36], int moves, std::vector<int> *which) {
    SolverBoard b;
    uint64_t s;
    if (which) which->clear();
    if (!ReadLayout(layout, &b, &s, nullptr)) return 0;
    int n = 0;
    for (int i = 0; i < b.count; i++) {
        if (i == b.target) continue;
        uint8_t less[36];
        WithoutBlock(layout, i, less);
        if (SolveLayout(less) != moves) continue;
        n++;
        if (which) which->push_back(i);
    }
    return n;
}

void CorePuzzle(const uint8_t layout[36], uint8_t out[36]) {
    memcpy(out, layout, 36);
    // Each round takes one block away, so there are at most as many rounds as blocks.
    for (int round = 0; round < SOLVER_MAX_BLOCKS; round++) {
        int moves = SolveLayout(out);
        std::vector<int> which;
        if (moves < 0 || RemovableBlocks(out, moves, &which) == 0) return;
        uint8_t less[36];
        WithoutBlock(out, which[0], less);
        memcpy(out, less, 36);
    }
}

std::string ClusterKeyOf(const uint8_t layout[36]) {
    SolverBoard b;
    uint64_t s;
    if (!ReadLayout(layout, &b, &s, nullptr)) return std::string();
    std::vector<uint64_t> states;
    ExploreCluster(&b, s, &states);
    uint64_t least = *std::min_element(states.begin(), states.end());
    uint8_t g[36];
    WriteLayout(&b, least, g);
    return std::string((const char *)g, 36);
}

int PlacementDistance(const uint8_t a[36], const uint8_t b[36]) {
    // A block of one kind on the same cells has the same head code on the same head cell.
    int onlyA = 0, onlyB = 0;
    for (int c = 0; c < 36; c++) {
        int ka = KindOfHeadCode(a[c]), kb = KindOfHeadCode(b[c]);
        if (ka >= 0 && a[c] != b[c]) onlyA++;
        if (kb >= 0 && a[c] != b[c]) onlyB++;
    }
    return std::max(onlyA, onlyB);
}

namespace {

// Index of every state of a cluster.
void IndexStates(const std::vector<uint64_t> &states, StateTable *t) {
    TableInit(t, states.size());
    for (size_t i = 0; i < states.size(); i++)
        TableInsert(t, states[i], (uint32_t)i);
}

uint64_t AddSaturating(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// Shortest solutions from state u; memo holds 0 for states not yet counted.
uint64_t CountFrom(const SolverBoard &b, const std::vector<uint64_t> &states,
                   const std::vector<int> &dist, const StateTable &index, uint32_t u,
                   std::vector<uint64_t> *memo) {
    if (dist[u] == 0) return 1;
    if ((*memo)[u]) return (*memo)[u];
    uint64_t next[80], total = 0;
    int n = Neighbours(&b, states[u], next);
    for (int k = 0; k < n; k++) {
        uint32_t v = TableFind(&index, next[k]);
        if (v != UINT32_MAX && dist[v] == dist[u] - 1)
            total = AddSaturating(total, CountFrom(b, states, dist, index, v, memo));
    }
    (*memo)[u] = total;
    return total;
}

} // namespace

uint64_t CountShortestSolutions(const SolverBoard &b, const std::vector<uint64_t> &states,
                                const std::vector<int> &dist, size_t from, int *firstMoves) {
    StateTable index;
    IndexStates(states, &index);
    if (firstMoves) {
        *firstMoves = 0;
        uint64_t next[80];
        int n = Neighbours(&b, states[from], next);
        for (int k = 0; k < n; k++) {
            uint32_t v = TableFind(&index, next[k]);
            if (v != UINT32_MAX && dist[v] == dist[from] - 1) ++*firstMoves;
        }
        // From a solved position the only first move is the drag out.
        if (dist[from] == 0) *firstMoves = 1;
    }
    if (dist[from] < 0) return 0;
    std::vector<uint64_t> memo(states.size(), 0);
    return CountFrom(b, states, dist, index, (uint32_t)from, &memo);
}

uint32_t MovedBlocks(const SolverBoard &b, const std::vector<uint64_t> &states,
                     const std::vector<int> &dist, size_t from) {
    // The drag out moves the target in every solution.
    uint32_t moved = 1u << b.target;
    if (dist[from] < 0) return 0;
    StateTable index;
    IndexStates(states, &index);
    std::vector<char> seen(states.size(), 0);
    std::vector<uint32_t> todo = {(uint32_t)from};
    seen[from] = 1;
    uint64_t next[80];
    // Each state enters the list once, so the walk ends after at most states.size() steps.
    for (size_t head = 0; head < todo.size(); head++) {
        uint32_t u = todo[head];
        int n = Neighbours(&b, states[u], next);
        for (int k = 0; k < n; k++) {
            uint32_t v = TableFind(&index, next[k]);
            if (v == UINT32_MAX || dist[v] != dist[u] - 1) continue;
            moved |= 1u << (__builtin_ctzll(states[u] ^ next[k]) / 3);
            if (!seen[v]) {
                seen[v] = 1;
                todo.push_back(v);
            }
        }
    }
    return moved;
}

int MeasureStage(const uint8_t layout[36], StageFacts *f) {
    SolverBoard b;
    uint64_t start;
    if (!ReadLayout(layout, &b, &start, nullptr)) return 0;
    std::vector<uint64_t> states;
    std::vector<int> dist;
    ExploreCluster(&b, start, &states);
    ClusterDistances(&b, states, &dist);
    f->clusterSize = states.size();
    f->moves = dist[0] < 0 ? -1 : dist[0] + 1;
    int far = *std::max_element(dist.begin(), dist.end());
    f->farthestMoves = far < 0 ? -1 : far + 1;
    f->startIsFarthest = dist[0] == far;
    f->removable = f->moves < 0 ? 0 : RemovableBlocks(layout, f->moves, nullptr);
    uint32_t moved = MovedBlocks(b, states, dist, 0);
    f->idle = 0;
    for (int i = 0; i < b.count; i++)
        f->idle += f->moves > 0 && !(moved >> i & 1);
    f->solutions = CountShortestSolutions(b, states, dist, 0, &f->firstMoves);
    uint64_t least = *std::min_element(states.begin(), states.end());
    uint8_t g[36];
    WriteLayout(&b, least, g);
    f->clusterKey = std::string((const char *)g, 36);
    if (f->removable == 0) {
        f->coreKey = f->clusterKey;
    } else {
        uint8_t core[36];
        CorePuzzle(layout, core);
        f->coreKey = ClusterKeyOf(core);
    }
    return 1;
}
