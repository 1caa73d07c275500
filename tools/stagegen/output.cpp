#include "output.h"

#include "solver.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

const int CHECKPOINT_VERSION = 2;

void PutLayout(FILE *f, const uint8_t g[36]) {
    for (int i = 0; i < 36; i++)
        fprintf(f, " %d", g[i]);
}

void PutKey(FILE *f, const std::string &key) {
    uint8_t g[36] = {0};
    if (key.size() >= 36) memcpy(g, key.data(), 36);
    PutLayout(f, g);
}

int GetLayout(FILE *f, uint8_t g[36]) {
    for (int i = 0; i < 36; i++) {
        int v;
        if (fscanf(f, "%d", &v) != 1 || v < 0 || v > 255) return 0;
        g[i] = (uint8_t)v;
    }
    return 1;
}

// Closes a file written beside path and renames it over path; 0 (with why) when any part of
// the writing failed, in which case the partial file is removed.
int Finish(FILE *f, const std::string &tmp, const std::string &path, std::string *why) {
    bool bad = ferror(f) != 0;
    bad = fclose(f) != 0 || bad;
    if (bad) {
        *why = "cannot write " + tmp + ": " + strerror(errno);
        remove(tmp.c_str());
        return 0;
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        *why = "cannot rename " + tmp + " to " + path + ": " + strerror(errno);
        remove(tmp.c_str());
        return 0;
    }
    return 1;
}

FILE *Begin(const std::string &tmp, std::string *why) {
    FILE *f = fopen(tmp.c_str(), "w");
    if (!f) *why = "cannot create " + tmp + ": " + strerror(errno);
    return f;
}

void PutParams(FILE *f, const Options &o) {
    fprintf(f, "params %llu %ld %d %d %d %d\n", (unsigned long long)o.seed, o.poolRounds, o.elite,
            o.islands, o.minBlocks, o.maxBlocks);
}

} // namespace

int WriteCatalogue(const std::string &path, const Catalogue &cat, const std::vector<int> &order,
                   std::string *why) {
    std::string tmp = path + ".tmp";
    FILE *f = Begin(tmp, why);
    if (!f) return 0;
    for (int i : order) {
        const Stage &s = cat.stage[i];
        int moves = SolveLayout(s.layout);
        int kinds[KIND_COUNT];
        int blocks = CountBlocks(s.layout, kinds);
        if (!s.done || moves != s.moves) {
            *why = "stage " + std::to_string(i) + ": solver says " + std::to_string(moves) +
                   " moves, search said " + std::to_string(s.moves);
            fclose(f);
            remove(tmp.c_str());
            return 0;
        }
        fprintf(f, "{{");
        for (int c = 0; c < 36; c++)
            fprintf(f, c ? ", %d" : "%d", s.layout[c]);
        fprintf(f, "}}, // %d moves, %d blocks\n", moves, blocks);
    }
    return Finish(f, tmp, path, why);
}

int ReadCatalogue(const std::string &path, std::vector<std::vector<uint8_t>> *layouts,
                  std::string *why) {
    FILE *f = fopen(path.c_str(), "r");
    if (!f) {
        *why = "cannot open " + path + ": " + strerror(errno);
        return 0;
    }
    layouts->clear();
    char line[1024];
    int number = 0;
    // Every line is read once; the file ends the loop.
    while (fgets(line, sizeof line, f)) {
        number++;
        const char *p = strstr(line, "{{");
        if (!p) continue;
        p += 2;
        std::vector<uint8_t> g;
        for (int c = 0; c < 36; c++) {
            char *end;
            long v = strtol(p, &end, 10);
            if (end == p || v < 0 || v > 255) break;
            g.push_back((uint8_t)v);
            p = end;
            while (*p == ',' || *p == ' ')
                p++;
        }
        if (g.size() != 36 || strncmp(p, "}}", 2) != 0) {
            *why = path + " line " + std::to_string(number) + ": not a layout of 36 cells";
            fclose(f);
            return 0;
        }
        layouts->push_back(g);
    }
    fclose(f);
    return 1;
}

int SaveCheckpoint(const std::string &path, const Options &o, const Pool &pool,
                   const Catalogue &cat, double elapsed, std::string *why) {
    std::string tmp = path + ".tmp";
    FILE *f = Begin(tmp, why);
    if (!f) return 0;
    fprintf(f, "stagegen-checkpoint %d\n", CHECKPOINT_VERSION);
    PutParams(f, o);
    fprintf(f, "elapsed %.1f\n", elapsed);
    fprintf(f, "round %ld\n", pool.round);
    for (const Island &is : pool.islands) {
        fprintf(f, "island %d %ld %d %zu\n", is.best, is.lastGain, is.restarts, is.elites.size());
        for (const Elite &e : is.elites) {
            fprintf(f, "elite %d %ld", e.obj, e.born);
            PutLayout(f, e.far);
            fprintf(f, "\n");
        }
    }
    for (auto &p : pool.entries) {
        fprintf(f, "pool %d", p.second.moves);
        PutLayout(f, p.second.layout);
        PutKey(f, p.first);
        fprintf(f, " %d\n", p.first[36]);
    }
    fprintf(f, "planned %d\n", cat.planned);
    for (int i = 0; i < STAGE_COUNT && cat.planned; i++) {
        const Stage &s = cat.stage[i];
        fprintf(f, "stage %d %d %d %d %d %d %d %d %d %d %d %llu", i, s.done, s.want, s.blocks,
                s.col, s.kinds[0], s.kinds[1], s.kinds[2], s.kinds[3], s.kinds[4], s.moves,
                (unsigned long long)s.solutions);
        PutLayout(f, s.layout);
        PutKey(f, s.done ? s.key : std::string());
        PutKey(f, s.done ? s.coreKey : std::string());
        fprintf(f, "\n");
    }
    return Finish(f, tmp, path, why);
}

namespace {

int ReadStage(FILE *f, Catalogue *cat) {
    int i;
    Stage s;
    unsigned long long solutions;
    uint8_t key[36], core[36];
    if (fscanf(f, "%d %d %d %d %d %d %d %d %d %d %d %llu", &i, &s.done, &s.want, &s.blocks, &s.col,
               &s.kinds[0], &s.kinds[1], &s.kinds[2], &s.kinds[3], &s.kinds[4], &s.moves,
               &solutions) != 12)
        return 0;
    if (i < 0 || i >= STAGE_COUNT || s.col < 0 || s.col > 3 || !GetLayout(f, s.layout) ||
        !GetLayout(f, key) || !GetLayout(f, core))
        return 0;
    s.solutions = solutions;
    s.planned = 1;
    if (s.done) {
        s.key = std::string((const char *)key, 36);
        s.coreKey = std::string((const char *)core, 36);
    }
    cat->stage[i] = s;
    return 1;
}

} // namespace

int LoadCheckpoint(const std::string &path, const Options &o, Pool *pool, Catalogue *cat,
                   double *elapsed, std::string *why) {
    FILE *f = fopen(path.c_str(), "r");
    if (!f) return 0;
    char word[32];
    int version = 0;
    unsigned long long seed;
    Options p = o;
    bool bad = fscanf(f, "%31s %d", word, &version) != 2 || strcmp(word, "stagegen-checkpoint") ||
               version != CHECKPOINT_VERSION;
    bad = bad || fscanf(f, "%31s %llu %ld %d %d %d %d", word, &seed, &p.poolRounds, &p.elite,
                        &p.islands, &p.minBlocks, &p.maxBlocks) != 7;
    if (bad) {
        *why = path + " is not a checkpoint of this generator";
        fclose(f);
        return -1;
    }
    if (seed != o.seed || p.poolRounds != o.poolRounds || p.elite != o.elite ||
        p.islands != o.islands || p.minBlocks != o.minBlocks || p.maxBlocks != o.maxBlocks) {
        *why = path + " was made with other settings (seed " + std::to_string(seed) + ")";
        fclose(f);
        return -1;
    }
    pool->islands.clear();
    pool->entries.clear();
    // Each pass reads one record; the file ends the loop.
    while (!bad && fscanf(f, "%31s", word) == 1) {
        if (!strcmp(word, "elapsed")) {
            bad = fscanf(f, "%lf", elapsed) != 1;
        } else if (!strcmp(word, "round")) {
            bad = fscanf(f, "%ld", &pool->round) != 1;
        } else if (!strcmp(word, "island")) {
            Island is;
            size_t n;
            bad = fscanf(f, "%d %ld %d %zu", &is.best, &is.lastGain, &is.restarts, &n) != 4;
            pool->islands.push_back(is);
        } else if (!strcmp(word, "elite")) {
            Elite e;
            bad = pool->islands.empty() || fscanf(f, "%d %ld", &e.obj, &e.born) != 2 ||
                  !GetLayout(f, e.far);
            if (!bad) pool->islands.back().elites.push_back(e);
        } else if (!strcmp(word, "pool")) {
            PoolEntry e;
            uint8_t key[36];
            int cls = 0;
            bad = fscanf(f, "%d", &e.moves) != 1 || !GetLayout(f, e.layout) || !GetLayout(f, key) ||
                  fscanf(f, "%d", &cls) != 1 || cls < 0 || cls > 255;
            if (!bad) pool->entries[std::string((const char *)key, 36) + (char)cls] = e;
        } else if (!strcmp(word, "planned")) {
            bad = fscanf(f, "%d", &cat->planned) != 1;
        } else if (!strcmp(word, "stage")) {
            bad = !ReadStage(f, cat);
        } else {
            bad = true;
        }
    }
    fclose(f);
    if (bad || (!pool->islands.empty() && (int)pool->islands.size() != o.islands)) {
        *why = "checkpoint " + path + " is damaged";
        return -1;
    }
    return 1;
}
