// The marks an instruction counter measures between: a benchmark calls
// BenchBegin and BenchEnd around each measured piece of work, and the
// emulator's inscount plugin counts the instructions from one to the other.
// Kept out of line and with their argument in use, so that neither call is
// optimised away. Include from one file of a program only.
#ifndef BENCH_MARKS_H
#define BENCH_MARKS_H

extern "C" __attribute__((noinline)) void BenchBegin(const char *name) {
    __asm__ __volatile__("" : : "r"(name) : "memory");
}
extern "C" __attribute__((noinline)) void BenchEnd(const char *name) {
    __asm__ __volatile__("" : : "r"(name) : "memory");
}

#endif
