/* A mark for the inscount plugin: a system call with a number no Linux
 * kernel has, so that on a real machine, or under callgrind, it does nothing
 * but fail with ENOSYS. LABEL tells the marks apart in the report. */
#ifndef INSCOUNT_MARK_H
#define INSCOUNT_MARK_H

#define INSCOUNT_MARK 0x7a5e

#ifndef INSCOUNT_PLUGIN
#include <sys/syscall.h>
#include <unistd.h>
static inline void InsMark(long label) {
    syscall(INSCOUNT_MARK, label);
}
#endif

#endif
