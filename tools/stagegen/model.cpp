#include "model.h"

#include "curate.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const uint8_t FIXED_STAGE[FIXED_STAGES][36] = {
    {21, 22, 23, 0, 0, 31, 0, 0, 0,  0, 0, 32, 51, 52, 31, 0, 0, 33,
     0,  0,  32, 0, 0, 0,  0, 0, 33, 0, 0, 0,  21, 22, 23, 0, 0, 0},
    {11, 11, 1, 2, 0,  0,  12, 12, 11, 11, 0,  0,  51, 52, 12, 12, 0,  11,
     0,  0,  1, 2, 11, 12, 0,  0,  0,  0,  12, 11, 0,  0,  21, 22, 23, 12}};

void TakeStage(Taken *t, const Stage &s) {
    t->keys.insert(s.key);
    t->keys.insert(s.coreKey);
    t->layouts.push_back(std::vector<uint8_t>(s.layout, s.layout + 36));
}

int TooClose(const uint8_t a[36], const uint8_t b[36]) {
    return PlacementDistance(a, b) <= CLOSE_DISTANCE;
}

int DiffersFromTaken(const Taken &t, const std::string &key, const std::string &coreKey,
                     const uint8_t layout[36]) {
    if (t.keys.count(key) || t.keys.count(coreKey)) return 0;
    for (const std::vector<uint8_t> &l : t.layouts)
        if (TooClose(layout, l.data())) return 0;
    return 1;
}

namespace {

// A whole decimal number from lo to hi.
int ParseNumber(const char *text, long long lo, long long hi, long long *out) {
    if (!*text) return 0;
    errno = 0;
    char *end = nullptr;
    long long v = strtoll(text, &end, 10);
    if (errno || *end || v < lo || v > hi) return 0;
    *out = v;
    return 1;
}

struct NumberOption {
    const char *name;
    long long lo, hi;
};

const NumberOption NUMBER_OPTIONS[] = {
    {"--seed", 0, 1LL << 62}, {"--threads", 1, 64}, {"--pool-rounds", 0, 1000000},
    {"--islands", 1, 64},     {"--elite", 1, 1000}, {"--min-blocks", 5, 14},
    {"--max-blocks", 5, 14},
};

void StoreNumber(Options *o, const char *name, long long v) {
    if (!strcmp(name, "--seed")) o->seed = (uint64_t)v;
    if (!strcmp(name, "--threads")) o->threads = (int)v;
    if (!strcmp(name, "--pool-rounds")) o->poolRounds = (long)v;
    if (!strcmp(name, "--islands")) o->islands = (int)v;
    if (!strcmp(name, "--elite")) o->elite = (int)v;
    if (!strcmp(name, "--min-blocks")) o->minBlocks = (int)v;
    if (!strcmp(name, "--max-blocks")) o->maxBlocks = (int)v;
}

} // namespace

int ParseOptions(int argc, char **argv, Options *o, std::string *why) {
    int first = 1;
    if (argc > 1 && !strcmp(argv[1], "report")) {
        o->report = 1;
        first = 2;
    }
    for (int i = first; i < argc; i++) {
        const char *name = argv[i];
        if (i + 1 >= argc) {
            *why = std::string(name) + " needs a value";
            return 0;
        }
        const char *value = argv[++i];
        if (!strcmp(name, "--out") || !strcmp(name, "--checkpoint") || !strcmp(name, "--in")) {
            if (!*value) {
                *why = std::string(name) + " needs a file name";
                return 0;
            }
            std::string &slot = name[2] == 'o' ? o->out : name[2] == 'c' ? o->checkpoint : o->in;
            slot = value;
            continue;
        }
        const NumberOption *opt = nullptr;
        for (const NumberOption &n : NUMBER_OPTIONS)
            if (!strcmp(n.name, name)) opt = &n;
        if (!opt) {
            *why = std::string("unknown option ") + name;
            return 0;
        }
        long long v;
        if (!ParseNumber(value, opt->lo, opt->hi, &v)) {
            *why = std::string(name) + " takes a whole number from " + std::to_string(opt->lo) +
                   " to " + std::to_string(opt->hi) + ", not \"" + value + "\"";
            return 0;
        }
        StoreNumber(o, name, v);
    }
    if (o->minBlocks > o->maxBlocks) {
        *why = "--min-blocks is more than --max-blocks";
        return 0;
    }
    return 1;
}
