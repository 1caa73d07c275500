/* fbfixed: runs a command on a framebuffer whose mode must not be set.
 *
 *   fbfixed COMMAND [ARGS...]
 *
 * The handheld's framebuffer driver takes any mode it is given but goes on
 * scanning the picture out as before, so a program that sets another depth
 * garbles its own screen. The emulated board's driver keeps its depth too
 * and reports success, so the depth alone does not show such a request: here
 * a seccomp filter ends the command (SIGSYS) at the first FBIOPUT_VSCREENINFO.
 * The filter holds for the command and everything it starts. */
#include <errno.h>
#include <linux/audit.h>
#include <linux/fb.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: fbfixed COMMAND [ARGS...]\n");
        return 2;
    }
    /* The request is the low word of the second argument (little-endian). */
    struct sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_ARM, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_ioctl, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[1])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, FBIOPUT_VSCREENINFO, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog prog = {sizeof code / sizeof code[0], code};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) != 0) {
        fprintf(stderr, "fbfixed: no seccomp filter: %s\n", strerror(errno));
        return 1;
    }
    execvp(argv[1], argv + 1);
    fprintf(stderr, "fbfixed: %s: %s\n", argv[1], strerror(errno));
    return 127;
}
