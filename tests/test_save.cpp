// save.dat: the layout byte for byte, the extension record for values that do
// not fit it, damaged files, and a save that fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tombslide.h"

namespace {

typedef std::vector<Uint8> Bytes;

Bytes ReadFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const char *path, const Bytes &b) {
    std::ofstream out(path, std::ios::binary);
    out.write((const char *)b.data(), (std::streamsize)b.size());
}

bool Exists(const char *path) {
    struct stat st;
    return lstat(path, &st) == 0;
}

struct Block {
    int x, y, w, h, type;
};

// Stage 0 as laid out: the records in table order.
const std::vector<Block> STAGE0 = {
    {0, 0, 3, 1, 3}, {5, 0, 1, 3, 1}, {0, 2, 2, 1, 0}, {2, 2, 1, 3, 1}, {0, 5, 3, 1, 3}};

// A file in the plain layout; clear and best are the 262 table entries.
Bytes Plain(int stage, int moves, const char *score, const std::vector<Block> &blocks,
            const Bytes &clear, const Bytes &best) {
    Bytes f = {(Uint8)stage, (Uint8)moves, (Uint8)blocks.size()};
    for (const char *c = score; *c; c++)
        f.push_back((Uint8)*c);
    for (const Block &b : blocks) {
        Bytes r = {(Uint8)b.x, (Uint8)b.y, (Uint8)b.w, (Uint8)b.h, (Uint8)b.type};
        f.insert(f.end(), r.begin(), r.end());
    }
    f.insert(f.end(), clear.begin(), clear.end());
    f.insert(f.end(), best.begin(), best.end());
    return f;
}

Bytes Table(Uint8 fill) {
    return Bytes(SAVED_STAGES, fill);
}

class SaveFile : public ::testing::Test {
  protected:
    std::string dir, home;

    // Tests that take several fresh directories call SetUp again: the one
    // before is removed first, as is the last one by TearDown.
    void SetUp() override {
        TearDown();
        char buf[] = "/tmp/tombslide-save-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(buf));
        dir = buf;
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        home = cwd;
        ASSERT_EQ(0, chdir(dir.c_str()));
        // The game as a fresh first start leaves it.
        GAME = GAME_PLAYING;
        currStage = 0;
        movePoint = 0;
        score = 0;
        memset(isClear, 0, sizeof isClear);
        memset(bestMove, 99, sizeof bestMove);
        InitStage();
    }
    void TearDown() override {
        if (dir.empty()) return;
        ASSERT_EQ(0, chdir(home.c_str()));
        std::string cmd = "rm -rf '" + dir + "'";
        dir.clear();
        ASSERT_EQ(0, system(cmd.c_str()));
    }
    // Loads save.dat, returning LoadGame's result and what it printed.
    Uint8 Load(std::string &out) {
        testing::internal::CaptureStdout();
        Uint8 r = LoadGame();
        fflush(stdout);
        out = testing::internal::GetCapturedStdout();
        return r;
    }
    Uint8 Save(std::string &out) {
        testing::internal::CaptureStdout();
        Uint8 r = SaveGame();
        fflush(stdout);
        out = testing::internal::GetCapturedStdout();
        return r;
    }
};

TEST_F(SaveFile, FreshFirstStartWritesTheExact559Bytes) {
    std::string out;
    ASSERT_EQ(1, Save(out));
    EXPECT_EQ("", out);
    Bytes f = ReadFile("save.dat");
    ASSERT_EQ(559u, f.size());
    EXPECT_EQ(Plain(0, 0, "0000000", STAGE0, Table(0), Table(99)), f);
    EXPECT_FALSE(Exists("save.dat.tmp"));
}

TEST_F(SaveFile, ScoreAndLowBytesRoundTrip) {
    Bytes clear = Table(0), best = Table(99);
    clear[0] = clear[261] = 1;
    best[0] = 7;
    best[261] = 250;
    Bytes f = Plain(200, 255, "0001234", STAGE0, clear, best);
    WriteFile("save.dat", f);
    std::string out;
    ASSERT_EQ(1, Load(out));
    EXPECT_EQ("\nLoadGame", out);
    EXPECT_EQ(1234u, score);
    EXPECT_EQ(200, currStage);
    EXPECT_EQ(255, movePoint);
    EXPECT_EQ(GAME_RESUMING, GAME);
    EXPECT_EQ(1, isClear[261]);
    EXPECT_EQ(250, bestMove[261]);
    // Nothing beyond the plain tables: the last stage keeps its defaults.
    EXPECT_EQ(0, isClear[262]);
    EXPECT_EQ(99, bestMove[262]);
    ASSERT_EQ(1, Save(out));
    EXPECT_EQ(f, ReadFile("save.dat"));
}

TEST_F(SaveFile, BlocksKeepTheirTableOrder) {
    // Stage 0's blocks in another order, one of them moved.
    std::vector<Block> shuffled = {
        {0, 5, 3, 1, 3}, {0, 2, 2, 1, 0}, {5, 1, 1, 3, 1}, {2, 2, 1, 3, 1}, {0, 0, 3, 1, 3}};
    WriteFile("save.dat", Plain(3, 2, "0000000", shuffled, Table(0), Table(99)));
    std::string out;
    ASSERT_EQ(1, Load(out));
    ASSERT_EQ(5, mxPH);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(shuffled[i].x, BL[i].x) << i;
        EXPECT_EQ(shuffled[i].y, BL[i].y) << i;
        EXPECT_EQ(shuffled[i].type, BL[i].type) << i;
    }
}

TEST_F(SaveFile, NoBlocksPutsTheTablesAtOffset10) {
    Bytes clear = Table(0), best = Table(99);
    clear[4] = 1;
    best[4] = 12;
    Bytes f = Plain(4, 0, "0000000", {}, clear, best);
    ASSERT_EQ(534u, f.size());
    WriteFile("save.dat", f);
    std::string out;
    ASSERT_EQ(1, Load(out));
    EXPECT_EQ(0, mxPH);
    EXPECT_EQ(1, isClear[4]);
    EXPECT_EQ(12, bestMove[4]);
    ASSERT_EQ(1, Save(out));
    EXPECT_EQ(f, ReadFile("save.dat"));
}

TEST_F(SaveFile, ValuesBeyondTheLayoutGoInTheExtension) {
    currStage = 262;
    movePoint = 300;
    isClear[262] = 1;
    bestMove[262] = 40;
    std::string out;
    ASSERT_EQ(1, Save(out));
    Bytes f = ReadFile("save.dat");
    ASSERT_EQ(569u, f.size());
    // A reader of the plain layout finds the low bytes and the tables.
    Bytes plain = Plain(262 & 255, 300 & 255, "0000000", STAGE0, Table(0), Table(99));
    EXPECT_EQ(plain, Bytes(f.begin(), f.begin() + 559));
    Bytes ext = {'T', 'S', 'X', '1', 262 & 255, 262 >> 8, 300 & 255, 300 >> 8, 1, 40};
    EXPECT_EQ(ext, Bytes(f.begin() + 559, f.end()));

    currStage = movePoint = 0;
    isClear[262] = 0;
    bestMove[262] = 99;
    ASSERT_EQ(1, Load(out));
    EXPECT_EQ(262, currStage);
    EXPECT_EQ(300, movePoint);
    EXPECT_EQ(1, isClear[262]);
    EXPECT_EQ(40, bestMove[262]);
    EXPECT_EQ(GAME_RESUMING, GAME);
}

TEST_F(SaveFile, EachValueThatDoesNotFitAloneCallsForTheExtension) {
    std::string out;
    for (int which = 0; which < 4; which++) {
        currStage = which == 0 ? 256 : 5;
        movePoint = which == 1 ? 256 : 5;
        isClear[262] = which == 2 ? 1 : 0;
        bestMove[262] = which == 3 ? 50 : 99;
        ASSERT_EQ(1, Save(out));
        EXPECT_EQ(569u, ReadFile("save.dat").size()) << which;
    }
}

TEST_F(SaveFile, MissingFileChangesNothing) {
    std::string out;
    EXPECT_EQ(0, Load(out));
    EXPECT_EQ("\nLoadGame", out);
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(99, bestMove[0]);
    EXPECT_FALSE(Exists("save.dat.bad"));
}

// A damaged file and what survives of it.
struct Damage {
    const char *name;
    Bytes file;
    bool keepsProgress; // the tables are sound, only the board or stage is not
    int stage;          // the stage to start afresh when the progress is kept
};

Bytes WithByte(Bytes f, size_t at, Uint8 v) {
    f[at] = v;
    return f;
}

std::vector<Damage> Damages() {
    Bytes clear = Table(0), best = Table(99);
    clear[1] = 1;
    best[1] = 9;
    Bytes good = Plain(7, 3, "0000042", STAGE0, clear, best);
    std::vector<Block> many(21, Block{0, 0, 2, 1, 4});
    std::vector<Damage> d = {
        {"empty", {}, false, 0},
        {"one byte short", Bytes(good.begin(), good.end() - 1), false, 0},
        {"one byte over", WithByte(Bytes(good.begin(), good.end()), 0, 7), false, 0},
        {"score not digits", WithByte(good, 5, 'a'), false, 0},
        {"cleared flag 2", WithByte(good, 10 + 25 + 3, 2), false, 0},
        {"21 blocks", Plain(7, 3, "0000042", many, clear, best), true, 7},
        {"unknown kind", WithByte(good, 10 + 5 * 1 + 4, 5), true, 7},
        {"kind with the wrong size", WithByte(good, 10 + 5 * 4 + 2, 2), true, 7},
        {"outside the board", WithByte(good, 10 + 5 * 4 + 0, 4), true, 7},
        {"negative position", WithByte(good, 10 + 5 * 1 + 1, 0xFF), true, 7},
        {"overlap", WithByte(good, 10 + 5 * 3 + 1, 0), true, 7},
        {"target off the board on row 3", Plain(7, 3, "0000042", {{7, 3, 2, 1, 0}}, clear, best),
         true, 7},
        {"target beyond column 9", Plain(7, 3, "0000042", {{10, 2, 2, 1, 0}}, clear, best), true,
         7},
    };
    d[2].file.push_back(0);
    // Extension records: a stage index beyond the catalogue keeps the
    // progress and starts the first stage; a bad tag or flag spoils it all.
    Bytes ext = good;
    Bytes rec = {'T', 'S', 'X', '1', 300 & 255, 300 >> 8, 3, 0, 1, 20};
    ext[0] = 300 & 255;
    ext.insert(ext.end(), rec.begin(), rec.end());
    d.push_back({"stage index 300", ext, true, 0});
    Bytes huge = good;
    huge.resize(100000, 7);
    d.push_back({"far too long", huge, false, 0});
    d.push_back({"bad extension tag", WithByte(ext, 559, 'X'), false, 0});
    Bytes flag = ext;
    flag[0] = 7;
    flag[559 + 4] = 7;
    flag[559 + 5] = 0;
    d.push_back({"extension flag 2", WithByte(flag, 559 + 8, 2), false, 0});
    return d;
}

TEST_F(SaveFile, DamagedFilesAreKeptAsideAndNeverLoadedAsTheyStand) {
    for (const Damage &d : Damages()) {
        SCOPED_TRACE(d.name);
        SetUp(); // fresh state and directory for each file
        WriteFile("save.dat", d.file);
        currStage = 11;
        std::string out;
        EXPECT_EQ(0, Load(out));
        EXPECT_NE(std::string::npos, out.find("\nLoadGameUnable to load save.dat: ")) << out;
        EXPECT_EQ(d.file, ReadFile("save.dat.bad"));
        EXPECT_EQ(GAME_PLAYING, GAME);
        EXPECT_EQ(d.keepsProgress ? 1 : 0, isClear[1]);
        EXPECT_EQ(d.keepsProgress ? 9 : 99, bestMove[1]);
        EXPECT_EQ(d.keepsProgress ? d.stage : 11, currStage);
        // The board in memory was not touched: stage 0 as laid out.
        ASSERT_EQ(5, mxPH);
        EXPECT_EQ(3, BL[1].h);
        EXPECT_EQ(5, BL[1].x);
        TearDown();
    }
}

TEST_F(SaveFile, TargetBeyondTheExitIsAccepted) {
    // A cleared board resumed and dragged on leaves the target up to column 9.
    for (int x = 5; x <= 9; x++) {
        SetUp();
        WriteFile("save.dat", Plain(0, 7, "0000000", {{x, 2, 2, 1, 0}}, Table(0), Table(99)));
        std::string out;
        EXPECT_EQ(1, Load(out)) << x << out;
        EXPECT_EQ(x, BL[0].x);
        EXPECT_FALSE(Exists("save.dat.bad"));
        TearDown();
    }
}

TEST_F(SaveFile, FailedWriteKeepsTheOldFile) {
    Bytes old = Plain(9, 1, "0000005", STAGE0, Table(0), Table(99));
    currStage = 4;
    // The temporary file cannot be created: a directory stands in its way.
    WriteFile("save.dat", old);
    ASSERT_EQ(0, mkdir("save.dat.tmp", 0755));
    std::string out;
    EXPECT_EQ(0, Save(out));
    EXPECT_EQ(0u, out.find("Unable to write save.dat: ")) << out;
    EXPECT_EQ(old, ReadFile("save.dat"));
    rmdir("save.dat.tmp");

    // The disk fills up: the temporary file leads to /dev/full, so the data
    // fails on its way out.
    ASSERT_EQ(0, symlink("/dev/full", "save.dat.tmp"));
    EXPECT_EQ(0, Save(out));
    EXPECT_EQ(0u, out.find("Unable to write save.dat: ")) << out;
    EXPECT_EQ(old, ReadFile("save.dat"));
    EXPECT_FALSE(Exists("save.dat.tmp"));

    // With the way clear again the save goes through.
    EXPECT_EQ(1, Save(out));
    EXPECT_EQ(4, ReadFile("save.dat")[0]);
}

} // namespace
