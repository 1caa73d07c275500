// The report of a catalogue: every stage measured as curate.h measures it, and the totals
// the catalogue is judged by.
#ifndef TOMB_REPORT_H
#define TOMB_REPORT_H

#include "curate.h"

#include <cstdio>
#include <vector>

// Stages that break a rule are listed by index (0 for the first stage).
struct CatalogueReport {
    std::vector<StageFacts> facts;
    std::vector<int> nearest, nearestDistance; // nearest other stage by placement
    std::vector<int> notFarthest;   // stages (after the two given ones) not at their farthest
    std::vector<int> removableLong; // stages over 15 moves with a removable block
    int removableGiven = 0;         // removable blocks of the two given stages
    int removableOthers = 0;        // removable blocks of all other stages
    int idleTotal = 0;
    std::vector<int> missingLengths;
    std::vector<int> bigDips;     // stages more than one move shorter than the one before
    std::vector<int> orderFaults; // stages with more shortest solutions than the one before
                                  // of the same length
    int sharedClusters = 0, sharedCores = 0; // pairs of stages
    int closePairs = 0;      // pairs within CLOSE_DISTANCE, not both of SCARCE_MOVES or more
    int closeScarce = 0;     // such pairs where both take SCARCE_MOVES or more
    int closeNeighbours = 0; // close pairs on neighbouring stages
    int lastMoves = 0, longest = 0;
};

// Measures every layout; they must all be well formed.
void MeasureCatalogue(const std::vector<std::vector<uint8_t>> &layouts, CatalogueReport *r);
// Prints one line per stage (numbered as the player sees them, from 1) and the summary.
void PrintReport(const CatalogueReport &r, FILE *out);
// Prints only the summary.
void PrintSummary(const CatalogueReport &r, FILE *out);

#endif
