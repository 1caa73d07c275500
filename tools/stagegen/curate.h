// What a stage is made of, measured the way the catalogue is judged: its cluster (every
// position reachable from its start), whether it starts at the farthest position of that
// cluster, its removable and idle blocks, its shortest solutions, and how far its placement
// is from another stage's. The generator's rules and the report both read these.
#ifndef TOMB_CURATE_H
#define TOMB_CURATE_H

#include "solver.h"

#include <cstdint>
#include <string>
#include <vector>

struct StageFacts {
    int moves;              // optimal length as the game counts it, -1 when unsolvable
    size_t clusterSize;     // positions reachable from the start
    int farthestMoves;      // length from the farthest position of the cluster
    int startIsFarthest;    // 1 when no position of the cluster takes longer
    int removable;          // blocks whose removal leaves the length unchanged
    int idle;               // blocks that no shortest solution moves
    int firstMoves;         // slides that begin a shortest solution
    uint64_t solutions;     // shortest solutions (saturates at UINT64_MAX)
    std::string clusterKey; // names the cluster: layout of its smallest position
    std::string coreKey;    // cluster key of the core puzzle
};

// Measures one layout. Returns 0 when the layout is not well formed.
int MeasureStage(const uint8_t layout[36], StageFacts *f);

// Blocks (by index in the layout's canonical board) whose removal keeps the length.
int RemovableBlocks(const uint8_t layout[36], int moves, std::vector<int> *which);
// The layout without block i of its canonical board.
void WithoutBlock(const uint8_t layout[36], int i, uint8_t out[36]);
// The core puzzle: removable blocks taken away one at a time (the first in canonical
// order each time) until none is left.
void CorePuzzle(const uint8_t layout[36], uint8_t out[36]);
// Key naming the cluster of a layout (empty when the layout is malformed).
std::string ClusterKeyOf(const uint8_t layout[36]);

// Blocks of a that have no block of the same kind on the same cells in b, or the other way
// round, whichever is more.
int PlacementDistance(const uint8_t a[36], const uint8_t b[36]);

// Shortest solutions from the state at index from of a cluster with its distances
// (slides to a solved position), and the slides that begin one.
uint64_t CountShortestSolutions(const SolverBoard &b, const std::vector<uint64_t> &states,
                                const std::vector<int> &dist, size_t from, int *firstMoves);
// Blocks that some shortest solution from states[from] moves, as a bit mask by index.
uint32_t MovedBlocks(const SolverBoard &b, const std::vector<uint64_t> &states,
                     const std::vector<int> &dist, size_t from);

#endif
