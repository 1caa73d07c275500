/* inscount: a plugin for qemu's user-mode emulator (qemu-arm -plugin) that
 * counts the guest instructions each thread runs, and reports them at marks
 * the program under test sets with a system call no kernel has
 * (INSCOUNT_MARK, see mark.h). At each mark it prints one line
 *     inscount LABEL THREAD_INSNS ALL_INSNS
 * with the instructions the marking thread, and all threads together, ran
 * since that thread's previous mark (or since the start).
 *   qemu-arm -plugin ./inscount.so -d plugin -D OUT PROGRAM
 * Counting is by translation block: each block adds its length when it is
 * entered, so a block left early by a fault still counts whole.
 *
 * No Debian package ships qemu's plugin header, so the few entry points used
 * are declared here, as qemu's plugin interface (version 1) defines them; the
 * emulator checks the version when it loads the plugin. */
#include <inttypes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "mark.h"

#define EXPORT __attribute__((visibility("default")))

typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t;
struct qemu_plugin_tb;
enum qemu_plugin_cb_flags { QEMU_PLUGIN_CB_NO_REGS, QEMU_PLUGIN_CB_R_REGS, QEMU_PLUGIN_CB_RW_REGS };
typedef void (*tb_trans_cb)(qemu_plugin_id_t id, struct qemu_plugin_tb *tb);
typedef void (*vcpu_udata_cb)(unsigned int vcpu, void *userdata);
typedef void (*syscall_cb)(qemu_plugin_id_t id, unsigned int vcpu, int64_t num, uint64_t a1,
                           uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6,
                           uint64_t a7, uint64_t a8);
void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, tb_trans_cb cb);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb *tb);
void qemu_plugin_register_vcpu_tb_exec_cb(struct qemu_plugin_tb *tb, vcpu_udata_cb cb,
                                          enum qemu_plugin_cb_flags flags, void *userdata);
void qemu_plugin_register_vcpu_syscall_cb(qemu_plugin_id_t id, syscall_cb cb);
void qemu_plugin_outs(const char *text);

EXPORT int qemu_plugin_version = 1;

/* Each guest thread is one virtual CPU. Its counter is written only by that
 * thread; the sum over all is read racily, which a report can afford. */
#define MAX_THREADS 64
static uint64_t ran[MAX_THREADS];
static uint64_t threadAtMark[MAX_THREADS];
static uint64_t allAtMark[MAX_THREADS];

static uint64_t AllThreads(void) {
    uint64_t sum = 0;
    for (int i = 0; i < MAX_THREADS; i++)
        sum += __atomic_load_n(&ran[i], __ATOMIC_RELAXED);
    return sum;
}

static void OnBlock(unsigned int vcpu, void *length) {
    if (vcpu < MAX_THREADS)
        __atomic_store_n(&ran[vcpu], ran[vcpu] + (uintptr_t)length, __ATOMIC_RELAXED);
}

static void OnTranslate(qemu_plugin_id_t id, struct qemu_plugin_tb *tb) {
    (void)id;
    qemu_plugin_register_vcpu_tb_exec_cb(tb, OnBlock, QEMU_PLUGIN_CB_NO_REGS,
                                         (void *)(uintptr_t)qemu_plugin_tb_n_insns(tb));
}

static void OnSyscall(qemu_plugin_id_t id, unsigned int vcpu, int64_t num, uint64_t label,
                      uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6, uint64_t a7,
                      uint64_t a8) {
    (void)id, (void)a2, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8;
    if (num != INSCOUNT_MARK || vcpu >= MAX_THREADS) return;
    uint64_t all = AllThreads();
    char line[128];
    snprintf(line, sizeof line, "inscount %" PRIu64 " %" PRIu64 " %" PRIu64 "\n", label,
             ran[vcpu] - threadAtMark[vcpu], all - allAtMark[vcpu]);
    threadAtMark[vcpu] = ran[vcpu];
    allAtMark[vcpu] = all;
    qemu_plugin_outs(line);
}

EXPORT int qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t *info, int argc,
                               char **argv) {
    (void)info, (void)argc, (void)argv;
    qemu_plugin_register_vcpu_tb_trans_cb(id, OnTranslate);
    qemu_plugin_register_vcpu_syscall_cb(id, OnSyscall);
    return 0;
}
