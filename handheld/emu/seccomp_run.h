/* The shared end of the guest's seccomp wrappers (oldkernel, fbfixed): checks
 * the command line, installs the filter for this process and all it starts,
 * then runs the command. Returns only on failure, with the exit status. */
#ifndef SECCOMP_RUN_H
#define SECCOMP_RUN_H
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <stddef.h>
#include <unistd.h>

/* A filter's first statements: anything but an ARM EABI call ends the
 * process, and the call's number is loaded for the statements that follow. */
#define SECCOMP_ARM_CALL                                                                           \
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),                       \
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_ARM, 1, 0),                                 \
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),                                       \
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr))

static int seccomp_run(const char *name, struct sock_filter *code, unsigned short len, int argc,
                       char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s COMMAND [ARGS...]\n", name);
        return 2;
    }
    struct sock_fprog prog = {len, code};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) != 0) {
        fprintf(stderr, "%s: no seccomp filter: %s\n", name, strerror(errno));
        return 1;
    }
    execvp(argv[1], argv + 1);
    fprintf(stderr, "%s: %s: %s\n", name, argv[1], strerror(errno));
    return 127;
}
#endif
