// Entry point. The event loop and start-up live in their own files so that
// the tests link everything but this.
#include <cstdio>

#include "tombslide.h"

int main(int, char **) {
    puts("\nmain");
    return 0;
}
