// Optimal solver for Tomb Slide layouts, shared by the stage generator and the tests.
//
// A layout is 36 cell codes in row-major order. A board is the list of its blocks (kind,
// sliding axis, the row or column it lives on, length); a state is the position of every
// block along its axis, three bits per block, packed into one 64-bit word. Blocks are kept
// in a canonical order (axis, line, position along the line): blocks on one line can never
// pass each other, so the order stays valid for every state reachable from a layout.
#ifndef TOMB_SOLVER_H
#define TOMB_SOLVER_H

#include "blockkinds.h"

#include <cstdint>
#include <string>
#include <vector>

const int SOLVER_MAX_BLOCKS = 20;

struct SolverBlock {
    uint8_t type;  // kind, 0 to 4
    uint8_t horiz; // 1 when the block slides along x
    uint8_t line;  // its row (horizontal) or column (vertical)
    uint8_t len;   // 2 or 3 cells
};

struct SolverBoard {
    int count;
    int target; // index of the target block
    SolverBlock block[SOLVER_MAX_BLOCKS];
    uint64_t mask[SOLVER_MAX_BLOCKS][5]; // cells covered by block i at position p
    uint8_t cell[SOLVER_MAX_BLOCKS][6];  // bit index of the k-th cell of block i's line
    uint64_t goal[5];                    // cells of the exit row right of a target at x
};

// Head code, axis and length of a kind.
inline uint8_t KindHead(int type) {
    return BLOCK_KINDS[type].head;
}
inline int KindHoriz(int type) {
    return BLOCK_KINDS[type].axis == AXIS_HORIZONTAL;
}
inline int KindLen(int type) {
    return KindLength(type);
}

inline int StatePos(uint64_t s, int i) {
    return (int)((s >> (3 * i)) & 7);
}
inline uint64_t StateSet(uint64_t s, int i, int p) {
    return (s & ~(7ULL << (3 * i))) | ((uint64_t)p << (3 * i));
}

// Fills the derived tables of a board whose count and blocks are set.
void PrepareBoard(SolverBoard *b);
// Sorts the blocks into canonical order, permuting the state with them.
void CanonicalOrder(SolverBoard *b, uint64_t *s);
// Reads a layout. Returns 1 and fills board and state (canonical order) when the layout is
// well formed: known codes only, every block complete, no overlaps, no stray continuation
// cells, exactly one target. Otherwise returns 0 and says why in *why (if not null).
int ReadLayout(const uint8_t data[36], SolverBoard *b, uint64_t *s, std::string *why);
void WriteLayout(const SolverBoard *b, uint64_t s, uint8_t out[36]);
uint64_t Occupancy(const SolverBoard *b, uint64_t s);
int IsSolved(const SolverBoard *b, uint64_t s);
// All states one slide away; returns how many were written to out (room for 80).
int Neighbours(const SolverBoard *b, uint64_t s, uint64_t *out);

// Optimal move count as the game counts it (slides to a free exit row, plus the drag out),
// or -1 when the position cannot be solved.
int SolveState(const SolverBoard *b, uint64_t s);
// Same for a layout; -1 also when the layout is not well formed.
int SolveLayout(const uint8_t data[36]);

// Every state reachable from start, start first.
void ExploreCluster(const SolverBoard *b, uint64_t start, std::vector<uint64_t> *states);
// Slides from each state of a cluster to the nearest solved state (-1: none reachable).
void ClusterDistances(const SolverBoard *b, const std::vector<uint64_t> &states,
                      std::vector<int> *dist);

// Open-addressing set of states mapping each to an index.
struct StateTable {
    std::vector<uint64_t> key;
    std::vector<uint32_t> val;
    uint64_t mask;
    size_t used;
};
void TableInit(StateTable *t, size_t expected);
// Returns the index stored for s, inserting s with index v if absent.
uint32_t TableInsert(StateTable *t, uint64_t s, uint32_t v);
// Returns the index of s, or UINT32_MAX.
uint32_t TableFind(const StateTable *t, uint64_t s);

#endif
