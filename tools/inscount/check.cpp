// A program with a known instruction count between two marks, for checking
// the inscount plugin: mark 1 and mark 2 stand back to back, so the count
// between them is what a mark itself costs; between marks 2 and 3 run that
// same cost, one move and a loop of exactly 2000 instructions.
#include "mark.h"

int main() {
    InsMark(1);
    InsMark(2);
    __asm__ volatile("mov r0, #1000\n"
                     "1: subs r0, r0, #1\n"
                     "bne 1b\n" ::
                         : "r0", "cc");
    InsMark(3);
    return 0;
}
