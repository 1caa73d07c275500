// solveall: times the optimal solution of every stage of the catalogue compiled into the game.
// Usage: solveall [repeats]   (prints one line per stage with -v as the second argument)
#include "solver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct CatalogueStage {
    uint8_t data[36];
};

static const CatalogueStage CATALOGUE[] = {
#include "stages.inc"
};

const int CATALOGUE_SIZE = sizeof CATALOGUE / sizeof CATALOGUE[0];

int main(int argc, char **argv) {
    int repeats = argc > 1 ? atoi(argv[1]) : 5;
    bool verbose = argc > 2 && !strcmp(argv[2], "-v");
    if (repeats < 1) repeats = 1;
    int moves[CATALOGUE_SIZE];
    double best = 1e9;
    for (int r = 0; r < repeats; r++) {
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < CATALOGUE_SIZE; i++)
            moves[i] = SolveLayout(CATALOGUE[i].data);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best) best = s;
    }
    int lo = 1000, hi = -1, bad = 0;
    long total = 0;
    for (int i = 0; i < CATALOGUE_SIZE; i++) {
        if (verbose) printf("stage %d: %d moves\n", i, moves[i]);
        if (moves[i] < 0) bad++;
        if (moves[i] < lo) lo = moves[i];
        if (moves[i] > hi) hi = moves[i];
        total += moves[i];
    }
    printf("%d stages solved optimally in %.3f s (best of %d runs, one core)\n", CATALOGUE_SIZE,
           best, repeats);
    printf("moves: min %d, max %d, sum %ld, unsolvable %d\n", lo, hi, total, bad);
    return bad ? 1 : 0;
}
