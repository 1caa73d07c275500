// The little of the C++ runtime that the game's code can call for, in place of
// the cross compiler's C++ library (built for glibc, so never linked here):
// the allocation operators and the error exits of the standard containers.
// Without exceptions an error ends the program, as it would uncaught.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

void *operator new(std::size_t n) {
    void *p = malloc(n ? n : 1);
    if (!p) {
        fputs("out of memory\n", stderr);
        abort();
    }
    return p;
}
void *operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete(void *p) noexcept {
    free(p);
}
void operator delete[](void *p) noexcept {
    free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
    free(p);
}

namespace std {
[[noreturn]] static void Fail(const char *what) {
    fprintf(stderr, "%s\n", what);
    abort();
}
void __throw_bad_alloc() {
    Fail("out of memory");
}
void __throw_bad_array_new_length() {
    Fail("bad array length");
}
void __throw_length_error(const char *what) {
    Fail(what);
}
} // namespace std
