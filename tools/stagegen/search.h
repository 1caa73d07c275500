// Phase 3, the search: every planned stage that is not yet done is found with exactly its mix
// of blocks and its target column, as the farthest position of a cluster of its intended
// length with no removable block, distinct from every stage found before it.
#ifndef TOMB_SEARCH_H
#define TOMB_SEARCH_H

#include "model.h"

#include <functional>

// Tries to find stage slot. Returns 1 and fills s when it succeeds within its bounded number
// of restarts; attempt selects another random stream for a second try.
int SearchSlot(const Options &o, int slot, int attempt, const Taken &taken, Stage *s);

// Searches every open stage in batches; after each batch calls saved() (for a checkpoint).
// Returns the number of stages that could not be found.
int RunSearch(const Options &o, Catalogue *cat, const std::function<void()> &saved);

// Scores how far a cluster is from what a stage wants: 0 when its farthest position takes
// exactly want moves and one such position has the target head in column col.
int ClusterScore(int farthest, int farthestAtCol, int want);

#endif
