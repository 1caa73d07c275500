// A program with a known instruction count between two marks, for checking
// the inscount plugin: the first two calls of the mark stand back to back, so
// the count between them is what a mark itself costs; between the second and
// the third run that same cost, one move and a loop of exactly 2000
// instructions.
extern "C" __attribute__((noinline)) void CheckMark() {
    __asm__ volatile("" ::: "memory");
}

int main() {
    CheckMark();
    CheckMark();
    __asm__ volatile("mov r0, #1000\n"
                     "1: subs r0, r0, #1\n"
                     "bne 1b\n" ::
                         : "r0", "cc");
    CheckMark();
    return 0;
}
