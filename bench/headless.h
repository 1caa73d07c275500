// The benchmarks draw their ticks on SDL's dummy drivers, which show and play
// nothing: they are named before the static surface manager opens the
// display. Include from one file of a program only.
#ifndef BENCH_HEADLESS_H
#define BENCH_HEADLESS_H

#include <cstdlib>

__attribute__((constructor(101))) static void UseDummyDrivers() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

#endif
