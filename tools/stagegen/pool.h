// Phase 1, the pool: an evolutionary search over block sets of 12 to 14 blocks (kinds with
// their rows and columns), on a few islands that start afresh when they stop improving. A
// set is judged by its farthest placement. Every cluster it meets whose farthest position
// takes POOL_MOVES or more goes into the pool: one entry with the target head in column 0 or
// 1, one with it in column 2 or 3. Sets whose farthest placement takes MID_POOL_MOVES to
// POOL_MOVES - 1 (target head in column 0 or 1) give entries for the upper middle.
#ifndef TOMB_POOL_H
#define TOMB_POOL_H

#include "model.h"

#include <functional>

const int POOL_MOVES = 40;
const int MID_POOL_MOVES = 26;

// Runs the pool search from wherever pool stands up to o.poolRounds rounds. tick(0) is called
// after every round (to report and to save a checkpoint), tick(1) once at the end.
void RunPool(const Options &o, Pool *pool, const std::function<void(int)> &tick);
// Entries of the pool that take atLeast moves or more.
int PoolSummary(const Pool &pool, int atLeast);

// Farthest placement of a set with the target head in columns 0 to 3: its distance in slides
// (-1 if there is none), its layout in best.
int EvaluateSetFar(const BlockSet &set, SetSpace *sp, uint8_t best[36]);
// Names a block set.
std::string SetKey(const BlockSet &set);

#endif
