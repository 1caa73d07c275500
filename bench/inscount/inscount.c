/* inscount: a plugin for qemu's user-mode emulator that counts the guest
 * instructions each thread runs and reports them at marks: calls of functions
 * of the program named on the command line.
 *   qemu-arm -plugin ./inscount.so,mark=BenchBegin,mark=BenchEnd \
 *            -d plugin -D OUT PROGRAM
 * At each call of a mark it prints one line
 *     inscount NAME THREAD_INSNS ALL_INSNS
 * with the instructions the calling thread, and all threads together, ran
 * since that thread's previous mark (or since the start). A mark must be a
 * small function without branches (one translation block), with symbols in
 * the program (not stripped). Counting is by translation block: each block
 * adds its length when it is entered, so a block left early by a fault still
 * counts whole.
 *
 * No Debian package ships qemu's plugin header, so the few entry points used
 * are declared here, as qemu's plugin interface (version 1) defines them; the
 * emulator checks that version when it loads the plugin. */
#include <inttypes.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t;
struct qemu_plugin_tb;
struct qemu_plugin_insn;
enum qemu_plugin_cb_flags { QEMU_PLUGIN_CB_NO_REGS, QEMU_PLUGIN_CB_R_REGS, QEMU_PLUGIN_CB_RW_REGS };
typedef void (*tb_trans_cb)(qemu_plugin_id_t id, struct qemu_plugin_tb *tb);
typedef void (*vcpu_udata_cb)(unsigned int vcpu, void *userdata);
void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, tb_trans_cb cb);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb *tb);
struct qemu_plugin_insn *qemu_plugin_tb_get_insn(const struct qemu_plugin_tb *tb, size_t idx);
const char *qemu_plugin_insn_symbol(const struct qemu_plugin_insn *insn);
void qemu_plugin_register_vcpu_tb_exec_cb(struct qemu_plugin_tb *tb, vcpu_udata_cb cb,
                                          enum qemu_plugin_cb_flags flags, void *userdata);
void qemu_plugin_outs(const char *text);

EXPORT int qemu_plugin_version = 1;

/* Each guest thread is one virtual CPU. Its counter is written only by that
 * thread; the sum over all is read racily, which a report can afford. */
#define MAX_THREADS 64
static uint64_t ran[MAX_THREADS];
static uint64_t threadAtMark[MAX_THREADS];
static uint64_t allAtMark[MAX_THREADS];

#define MAX_MARKS 8
static const char *marks[MAX_MARKS];
static int markCount;

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

static void OnMark(unsigned int vcpu, void *name) {
    if (vcpu >= MAX_THREADS) return;
    uint64_t all = AllThreads();
    char line[160];
    snprintf(line, sizeof line, "inscount %s %" PRIu64 " %" PRIu64 "\n", (const char *)name,
             ran[vcpu] - threadAtMark[vcpu], all - allAtMark[vcpu]);
    threadAtMark[vcpu] = ran[vcpu];
    allAtMark[vcpu] = all;
    qemu_plugin_outs(line);
}

static void OnTranslate(qemu_plugin_id_t id, struct qemu_plugin_tb *tb) {
    (void)id;
    size_t n = qemu_plugin_tb_n_insns(tb);
    if (n == 0) return;
    /* The mark reports before its own block is counted. */
    const char *symbol = qemu_plugin_insn_symbol(qemu_plugin_tb_get_insn(tb, 0));
    for (int i = 0; symbol && i < markCount; i++)
        if (strcmp(symbol, marks[i]) == 0)
            qemu_plugin_register_vcpu_tb_exec_cb(tb, OnMark, QEMU_PLUGIN_CB_NO_REGS,
                                                 (void *)marks[i]);
    qemu_plugin_register_vcpu_tb_exec_cb(tb, OnBlock, QEMU_PLUGIN_CB_NO_REGS, (void *)(uintptr_t)n);
}

EXPORT int qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t *info, int argc,
                               char **argv) {
    (void)info;
    for (int i = 0; i < argc; i++) {
        if (strncmp(argv[i], "mark=", 5) != 0 || argv[i][5] == '\0' || markCount == MAX_MARKS) {
            fprintf(stderr, "inscount: unknown or surplus argument %s\n", argv[i]);
            return -1;
        }
        marks[markCount++] = argv[i] + 5;
    }
    qemu_plugin_register_vcpu_tb_trans_cb(id, OnTranslate);
    return 0;
}
