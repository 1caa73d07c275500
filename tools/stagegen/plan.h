// Phase 2, the plan: what every stage of the catalogue is to be. The two given first stages
// keep their places; the hardest pool entries that meet the rules become stages as they are;
// every other stage gets a block count, a mix of kinds, a target column and an intended
// length, so that the totals of the catalogue come out exactly and every length from
// MIN_MOVES to MAX_MOVES has its share.
#ifndef TOMB_PLAN_H
#define TOMB_PLAN_H

#include "model.h"

// Stages wanted of each length, MIN_MOVES to MAX_MOVES, for the whole catalogue.
void LengthQuota(int quota[MAX_MOVES + 1]);

// A pool entry as a stage: the farthest position of its cluster (target head in columns 0
// to 3). Returns 0 when the cluster's farthest position has the target further right.
int StageFromPool(const PoolEntry &e, Stage *s);

// Fills the catalogue's plan. Returns 0 and says why when the totals cannot be met.
int MakePlan(const Options &o, const Pool &pool, Catalogue *cat, std::string *why);

#endif
