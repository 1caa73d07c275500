/* oldkernel: runs a command as on a kernel that knows no system call newer
 * than 2.6.24's last one, fallocate (352 in the ARM EABI table).
 *
 *   oldkernel COMMAND [ARGS...]
 *
 * A seccomp filter answers ENOSYS for every number above 352, as the old
 * kernel would, except ARM's private calls from 0xf0000 (cacheflush, set_tls
 * and the like), which that kernel has. The filter holds for the command and
 * everything it starts. */
#include <errno.h>
#include <stddef.h>

#include "seccomp_run.h"

#define LAST_OLD_CALL 352
#define ARM_PRIVATE 0xf0000

int main(int argc, char **argv) {
    struct sock_filter code[] = {
        SECCOMP_ARM_CALL,
        BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, ARM_PRIVATE, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JGT | BPF_K, LAST_OLD_CALL, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    return seccomp_run("oldkernel", code, sizeof code / sizeof code[0], argc, argv);
}
