// Phase 4, the order of play: the two given stages first, then every other stage from the
// shortest to the longest, and within one length from the most shortest solutions (the most
// forgiving) to the fewest.
#ifndef TOMB_ORDER_H
#define TOMB_ORDER_H

#include "model.h"

std::vector<int> PlayOrder(const Catalogue &cat);

#endif
