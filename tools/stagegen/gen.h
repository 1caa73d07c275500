// Building blocks of the stage generator: seeded random numbers, layouts on a grid of cell
// codes, cluster evaluation, and the text checkpoint.
#ifndef TOMB_GEN_H
#define TOMB_GEN_H

#include "solver.h"

#include <cstdint>
#include <string>
#include <vector>

struct Rng {
    uint64_t s;
};
uint64_t RandNext(Rng *r);
int RandBelow(Rng *r, int n);
double RandUnit(Rng *r);
Rng RandSeed(uint64_t seed, uint64_t stream);

// One cluster: every position reachable from a layout, with its distances.
struct Cluster {
    std::string key; // layout of the cluster's smallest state; names the cluster
    SolverBoard board;
    std::vector<uint64_t> states;
    std::vector<int> dist;
    int best[5]; // farthest distance (slides) with the target head in column c, or -1
    uint64_t bestState[5];
};

std::string LayoutKey(const uint8_t g[36]);
void KeyLayout(const std::string &key, uint8_t g[36]);
// Explores the cluster of a well-formed layout. Returns 0 for a malformed layout.
int EvaluateLayout(const uint8_t g[36], Cluster *c);

// Grid editing. Horizontal blocks other than the target never go on the exit row.
int CountBlocks(const uint8_t g[36], int kinds[5]);
int TargetColumn(const uint8_t g[36]);
int PlaceRandomBlock(uint8_t g[36], int type, Rng *r);
// A random layout: the target at (col, exit row) and the given numbers of each kind.
// Returns 0 when the blocks did not fit after many tries.
int RandomLayout(uint8_t g[36], int col, const int kinds[5], Rng *r);

// A block set: kinds with their fixed lines, in canonical order (horizontal blocks first, by
// line; blocks sharing a line in their order along it). Block 0 need not be the target.
struct BlockSet {
    int n;
    uint8_t type[SOLVER_MAX_BLOCKS];
    uint8_t line[SOLVER_MAX_BLOCKS];
};

// Every placement of a block set, with each one's distance to a solved position.
struct SetSpace {
    SolverBoard board;
    std::vector<uint64_t> states;
    std::vector<int> dist;
    StateTable index;
};

// Sorts a set into canonical order (stable, so blocks sharing a line keep their order).
void NormaliseSet(BlockSet *set);
// A random line for a block of this kind: any column, or any row but the exit row.
int RandomLine(int type, Rng *r);
// 1 when no line holds more than six cells of blocks and no horizontal block but the target
// lies on the exit row.
int SetFits(const BlockSet &s);
// The block set of a layout (empty if the layout is malformed).
BlockSet LayoutSet(const uint8_t g[36]);
// Enumerates and solves every placement of the set; returns 0 if there are none or more
// than limit. On success the farthest distances are in space->dist.
int EvaluateSet(const BlockSet &set, SetSpace *space, size_t limit);
#endif
