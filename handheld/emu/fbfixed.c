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
#include <linux/fb.h>
#include <stddef.h>

#include "seccomp_run.h"
#include <sys/syscall.h>

int main(int argc, char **argv) {
    /* The request is the low word of the second argument (little-endian). */
    struct sock_filter code[] = {
        SECCOMP_ARM_CALL,
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_ioctl, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[1])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, FBIOPUT_VSCREENINFO, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    return seccomp_run("fbfixed", code, sizeof code / sizeof code[0], argc, argv);
}
