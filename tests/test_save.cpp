// save.dat: the layout byte for byte, the extension record for values that do
// not fit it, damaged files and where they go, links, FIFOs and huge files in
// the game's folder, two copies of the game saving at once, and saves that
// fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The kind of what stands at path (S_IFREG, S_IFDIR, ...), links not
// followed; 0 when nothing does.
mode_t KindAt(const char *path) {
    struct stat st;
    return lstat(path, &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

bool Exists(const char *path) {
    return KindAt(path) != 0;
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

// The names in the working folder, sorted.
std::vector<std::string> Entries() {
    std::vector<std::string> names;
    DIR *d = opendir(".");
    if (!d) return names;
    while (struct dirent *e = readdir(d))
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// Runs fn in a child process and returns its exit status, or -1 when it did
// not end within the deadline (it is killed then) or did not exit. The
// deadline is generous: it tells a call that blocks for ever from one that
// returns, and says nothing about speed.
template <typename Fn> int InChild(Fn fn, int seconds = 30) {
    fflush(stdout);
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(99);
        int r = fn();
        fflush(stdout);
        _exit(r);
    }
    int status = 0;
    for (int i = 0; i < seconds * 20; i++) {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(50000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

class SaveFile : public ::testing::Test {
  protected:
    std::string dir, home;

    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        home = cwd;
        MakeDir();
    }
    void TearDown() override { RemoveDir(); }
    void MakeDir() {
        const char *tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tombslide-save-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        ASSERT_NE(nullptr, mkdtemp(buf.data()));
        dir = buf.data();
        ASSERT_EQ(0, chdir(dir.c_str()));
        // The game as a fresh first start leaves it, with no save.dat.
        ResetGameState();
        testing::internal::CaptureStdout();
        Uint8 loaded = LoadGame(); // none there: also forgets any earlier game's file
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(0, loaded);
    }
    void RemoveDir() {
        ASSERT_EQ(0, chdir(home.c_str()));
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(0, system(cmd.c_str()));
    }
    // A new folder and a fresh game, for each case of a loop.
    void Fresh() {
        RemoveDir();
        MakeDir();
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
    EXPECT_EQ(std::vector<std::string>{"save.dat"}, Entries()); // nothing else left behind
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
    // The progress is read from offset 10 on; a board without its target
    // block is no board to play, so stage 4 starts afresh.
    std::string out;
    EXPECT_EQ(0, Load(out));
    EXPECT_EQ(0u, out.find("\nLoadGame\nUnable to load save.dat: no target block\n")) << out;
    EXPECT_EQ(4, currStage);
    EXPECT_EQ(1, isClear[4]);
    EXPECT_EQ(12, bestMove[4]);
    EXPECT_EQ(0, isClear[3] + isClear[5]);
    EXPECT_EQ(GAME_PLAYING, GAME);
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
    std::vector<Block> two = STAGE0;
    two.push_back({3, 2, 2, 1, 0});
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
        // Boards the rules never produce: the target leaves row 2 for nothing.
        {"target on row 1", WithByte(good, 10 + 5 * 2 + 1, 1), true, 7},
        {"no target", WithByte(good, 10 + 5 * 2 + 4, 4), true, 7},
        {"two targets", Plain(7, 3, "0000042", two, clear, best), true, 7},
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

TEST_F(SaveFile, DamagedFilesAreMovedAsideAndNeverLoadedAsTheyStand) {
    for (const Damage &d : Damages()) {
        SCOPED_TRACE(d.name);
        Fresh();
        WriteFile("save.dat", d.file);
        currStage = 11;
        std::string out;
        EXPECT_EQ(0, Load(out));
        // Each message on a line of its own, after the trace line.
        EXPECT_EQ(0u, out.find("\nLoadGame\nUnable to load save.dat: ")) << out;
        EXPECT_NE(std::string::npos, out.find("\nKept the damaged save.dat as save.dat.bad\n"))
            << out;
        EXPECT_EQ(d.file, ReadFile("save.dat.bad"));
        EXPECT_FALSE(Exists("save.dat"));
        EXPECT_EQ(GAME_PLAYING, GAME);
        EXPECT_EQ(d.keepsProgress ? 1 : 0, isClear[1]);
        EXPECT_EQ(d.keepsProgress ? 9 : 99, bestMove[1]);
        EXPECT_EQ(d.keepsProgress ? d.stage : 11, currStage);
        // The board in memory was not touched: stage 0 as laid out.
        ASSERT_EQ(5, mxPH);
        EXPECT_EQ(3, BL[1].h);
        EXPECT_EQ(5, BL[1].x);
        // The next save goes to save.dat, whole; the damaged file stays.
        EXPECT_EQ(1, Save(out));
        EXPECT_EQ(1, Load(out)) << out;
        EXPECT_EQ(d.file, ReadFile("save.dat.bad"));
    }
}

// The game state a load leaves, for comparing two ways of reading.
std::vector<int> LoadedState() {
    std::vector<int> v = {GAME, currStage, movePoint, mxPH, (int)score};
    for (int i = 0; i < mxPH && i < MAX_BLOCKS; i++)
        v.insert(v.end(), {BL[i].x, BL[i].y, BL[i].w, BL[i].h, BL[i].type});
    v.insert(v.end(), isClear, isClear + STAGE_COUNT);
    v.insert(v.end(), bestMove, bestMove + STAGE_COUNT);
    return v;
}

// ReadSave, from which tools/savedump prints, reads bytes as LoadGame reads
// save.dat (extension, damaged boards, damaged files) and touches no file.
TEST_F(SaveFile, ReadSaveReadsBytesAsLoadGameDoesAndTouchesNoFile) {
    std::vector<Damage> cases = Damages();
    Bytes clear = Table(0), best = Table(99);
    clear[3] = 1;
    best[3] = 11;
    cases.push_back({"sound", Plain(3, 4, "0000005", STAGE0, clear, best), true, 3});
    currStage = 262;
    movePoint = 300;
    std::string out;
    ASSERT_EQ(1, Save(out));
    cases.push_back({"extended", ReadFile("save.dat"), true, 0});
    for (const Damage &d : cases) {
        const std::string name = d.name;
        Fresh();
        char why[128] = "";
        bool extended = false;
        SaveVerdict v = ReadSave(d.file.data(), (int)d.file.size(), &extended, why, sizeof why);
        EXPECT_TRUE(Entries().empty()) << name;
        EXPECT_EQ(name == "extended" || name == "stage index 300", extended) << name;
        std::vector<int> read = LoadedState();

        ResetGameState();
        WriteFile("save.dat", d.file);
        EXPECT_EQ(v == SAVE_ALL, Load(out)) << name;
        EXPECT_EQ(read, LoadedState()) << name;
        if (v != SAVE_ALL && d.file.size() < 1000) {
            EXPECT_NE(std::string::npos, out.find(why)) << name << ": " << out;
        }
    }
}

TEST_F(SaveFile, TargetBeyondTheExitIsAccepted) {
    // A cleared board resumed and dragged on leaves the target up to column 9.
    for (int x = 5; x <= 9; x++) {
        Fresh();
        WriteFile("save.dat", Plain(0, 7, "0000000", {{x, 2, 2, 1, 0}}, Table(0), Table(99)));
        std::string out;
        EXPECT_EQ(1, Load(out)) << x << out;
        EXPECT_EQ(x, BL[0].x);
        EXPECT_FALSE(Exists("save.dat.bad"));
    }
}

TEST_F(SaveFile, TheHighestMoveCountSavesAndLoads) {
    movePoint = MOVES_MAX;
    std::string out;
    ASSERT_EQ(1, Save(out));
    movePoint = 0;
    ASSERT_EQ(1, Load(out)) << out;
    EXPECT_EQ(32767, movePoint);
}

TEST_F(SaveFile, EarlierDamagedFilesAndWhateverHoldsTheirNamesStay) {
    Bytes first = {1, 2, 3}, second = {4, 5};
    WriteFile("save.dat.bad", first);
    ASSERT_EQ(0, mkdir("save.dat.bad.1", 0755)); // a folder in the way
    WriteFile("save.dat", second);
    std::string out;
    EXPECT_EQ(0, Load(out));
    EXPECT_NE(std::string::npos, out.find("\nKept the damaged save.dat as save.dat.bad.2\n"))
        << out;
    EXPECT_EQ(first, ReadFile("save.dat.bad"));
    EXPECT_EQ(second, ReadFile("save.dat.bad.2"));
    EXPECT_EQ((mode_t)S_IFDIR, KindAt("save.dat.bad.1"));
    EXPECT_EQ(1, Save(out));
    EXPECT_EQ(559u, ReadFile("save.dat").size());
}

TEST_F(SaveFile, ADamagedFileThatCannotBeMovedAsideIsNeverReplaced) {
    // Every name it could go to is taken.
    WriteFile("save.dat.bad", {1});
    for (int k = 1; k < 100; k++)
        WriteFile(("save.dat.bad." + std::to_string(k)).c_str(), {1});
    Bytes damaged = {9, 9, 9};
    WriteFile("save.dat", damaged);
    std::string out;
    EXPECT_EQ(0, Load(out));
    EXPECT_EQ(0u, out.find("\nLoadGame\nUnable to load save.dat: ")) << out;
    EXPECT_NE(std::string::npos, out.find("\nUnable to move save.dat aside: ")) << out;
    EXPECT_EQ(damaged, ReadFile("save.dat"));
    // The game plays on, but its save at quit leaves the file alone.
    EXPECT_EQ(0, Save(out));
    EXPECT_EQ(0u, out.find("\nUnable to write save.dat: ")) << out;
    EXPECT_EQ(damaged, ReadFile("save.dat"));
    EXPECT_EQ(101u, Entries().size());
}

// In a folder the game may not write in, the damaged file can go nowhere: it
// stays as it is, and the game neither moves nor replaces it.
TEST_F(SaveFile, ADamagedFileInAReadOnlyFolderStaysAsItIs) {
    Bytes damaged = {9, 9, 9};
    WriteFile("save.dat", damaged);
    ASSERT_EQ(0, chmod(".", 0555));
    // Run as nobody: the folder's mode does not hold back the superuser.
    int r = InChild([] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 90;
        return 10 * LoadGame() + SaveGame();
    });
    ASSERT_EQ(0, chmod(".", 0755));
    if (r == 90) GTEST_SKIP() << "cannot run as another user here";
    EXPECT_EQ(0, r);
    EXPECT_EQ(damaged, ReadFile("save.dat"));
    EXPECT_EQ(std::vector<std::string>{"save.dat"}, Entries());
}

// Links left at the names the game writes never lead it outside its folder:
// the file they point to stays as it was, and save.dat becomes a file of its
// own.
TEST_F(SaveFile, LinksAtTheNamesTheGameWritesAreNeverFollowed) {
    ASSERT_EQ(0, mkdir("outside", 0755));
    Bytes victim = {'k', 'e', 'e', 'p'};
    WriteFile("outside/victim", victim);
    const std::string pid = std::to_string(getpid());
    std::vector<std::string> links = {"save.dat.tmp", "save.dat.bad", "save.dat.bad.1"};
    for (int k = 0; k < 3; k++)
        links.push_back("save.dat.tmp." + pid + "." + std::to_string(k));
    for (const std::string &l : links)
        ASSERT_EQ(0, symlink("outside/victim", l.c_str())) << l;
    WriteFile("save.dat", {1, 2, 3}); // damaged: to be moved aside
    std::string out;
    EXPECT_EQ(0, Load(out));
    EXPECT_NE(std::string::npos, out.find("as save.dat.bad.2\n")) << out;
    currStage = 6;
    ASSERT_EQ(1, Save(out)) << out;

    EXPECT_EQ(victim, ReadFile("outside/victim"));
    for (const std::string &l : links) {
        char target[64] = {};
        EXPECT_LT(0, readlink(l.c_str(), target, sizeof target - 1)) << l;
        EXPECT_STREQ("outside/victim", target) << l;
    }
    EXPECT_EQ((mode_t)S_IFREG, KindAt("save.dat"));
    EXPECT_EQ(6, ReadFile("save.dat")[0]);
    EXPECT_EQ(Bytes({1, 2, 3}), ReadFile("save.dat.bad.2"));
}

// A save.dat that is a link is read through it: the file it leads to is only
// read, and the next save puts a file of the game's own in the link's place.
TEST_F(SaveFile, ASaveDatLinkIsReadThroughAndReplacedByAFile) {
    ASSERT_EQ(0, mkdir("elsewhere", 0755));
    Bytes f = Plain(3, 4, "0000000", STAGE0, Table(0), Table(99));
    WriteFile("elsewhere/save.dat", f);
    ASSERT_EQ(0, symlink("elsewhere/save.dat", "save.dat"));
    std::string out;
    EXPECT_EQ(1, Load(out)) << out;
    EXPECT_EQ(3, currStage);
    currStage = 5;
    ASSERT_EQ(1, Save(out));
    EXPECT_EQ(f, ReadFile("elsewhere/save.dat"));
    EXPECT_EQ((mode_t)S_IFREG, KindAt("save.dat"));
}

// Only a regular file is read: a FIFO would block start-up for ever, and a
// huge file must be neither read nor copied whole. Both go aside unread.
TEST_F(SaveFile, AFifoIsRefusedAtOnceAndMovedAside) {
    ASSERT_EQ(0, mkfifo("save.dat", 0600));
    EXPECT_EQ(0, InChild([] { return (int)LoadGame(); }));
    EXPECT_EQ((mode_t)S_IFIFO, KindAt("save.dat.bad"));
    EXPECT_FALSE(Exists("save.dat"));
}

TEST_F(SaveFile, AHugeFileIsRefusedAtOnceAndMovedAsideWhole) {
    WriteFile("save.dat", Plain(0, 0, "0000000", STAGE0, Table(0), Table(99)));
    const off_t huge = (off_t)1 << 32; // 4 GiB, sparse
    if (truncate("save.dat", huge) != 0) GTEST_SKIP() << "no sparse 4 GiB file here";
    struct stat before, after;
    ASSERT_EQ(0, stat("save.dat", &before));
    // A child that read the file whole would run out of time or memory.
    EXPECT_EQ(0, InChild([] { return (int)LoadGame(); }));
    // Moved, not copied: the same file under its new name.
    ASSERT_EQ(0, stat("save.dat.bad", &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(huge, after.st_size);
    EXPECT_FALSE(Exists("save.dat"));
}

TEST_F(SaveFile, AFolderNamedSaveDatIsMovedAsideAndTheGameStillSaves) {
    ASSERT_EQ(0, mkdir("save.dat", 0755));
    std::string out;
    EXPECT_EQ(0, Load(out));
    EXPECT_EQ(0u, out.find("\nLoadGame\nUnable to load save.dat: not a regular file\n")) << out;
    EXPECT_EQ((mode_t)S_IFDIR, KindAt("save.dat.bad"));
    EXPECT_EQ(1, Save(out));
    EXPECT_EQ(559u, ReadFile("save.dat").size());
}

// Two copies of the game in one folder, saving over and over: save.dat is at
// every moment one whole save of one of them, never a mix.
TEST_F(SaveFile, TwoCopiesSavingAtOnceNeverMixTheirSaves) {
    const int rounds = 150;
    // Copy A: stage 0 fresh. Copy B: stage 1 with a long move count, which
    // makes its file longer (eleven blocks and the extension record).
    Bytes a = Plain(0, 0, "0000000", STAGE0, Table(0), Table(99));
    auto copy = [rounds](bool isB) {
        if (isB) {
            currStage = 1;
            InitStage();
            movePoint = 1000;
            memset(isClear, 1, SAVED_STAGES);
            memset(bestMove, 5, SAVED_STAGES);
        }
        for (int i = 0; i < rounds; i++)
            if (!SaveGame()) return 1;
        return 0;
    };
    fflush(stdout);
    pid_t kids[2];
    for (int k = 0; k < 2; k++) {
        kids[k] = fork();
        ASSERT_NE(-1, kids[k]);
        if (kids[k] == 0) {
            if (!freopen("/dev/null", "w", stdout)) _exit(99);
            _exit(copy(k == 1));
        }
    }
    // Meanwhile every save.dat seen is one of the two whole files. The copies
    // get two minutes at the very least, then are stopped.
    std::vector<Bytes> seen;
    int running = 2, status[2] = {-1, -1};
    for (int i = 0; running > 0 && i < 240000; i++) {
        Bytes f = ReadFile("save.dat");
        if (!f.empty() && (seen.empty() || seen.back() != f)) seen.push_back(f);
        for (int k = 0; k < 2; k++)
            if (kids[k] > 0 && waitpid(kids[k], &status[k], WNOHANG) == kids[k]) {
                kids[k] = 0;
                running--;
            }
        usleep(500);
    }
    for (int k = 0; k < 2; k++)
        if (kids[k] > 0) {
            kill(kids[k], SIGKILL);
            waitpid(kids[k], &status[k], 0);
        }
    for (int k = 0; k < 2; k++)
        EXPECT_TRUE(WIFEXITED(status[k]) && WEXITSTATUS(status[k]) == 0) << k;
    seen.push_back(ReadFile("save.dat"));
    // B's file as the game writes it, made the same way here.
    currStage = 1;
    InitStage();
    movePoint = 1000;
    memset(isClear, 1, SAVED_STAGES);
    memset(bestMove, 5, SAVED_STAGES);
    std::string out;
    ASSERT_EQ(1, Save(out));
    Bytes b = ReadFile("save.dat");
    ASSERT_EQ(534u + 55 + 10, b.size());
    for (const Bytes &f : seen)
        EXPECT_TRUE(f == a || f == b) << f.size() << " bytes, neither copy's save";
    EXPECT_EQ(std::vector<std::string>{"save.dat"}, Entries()); // no file of theirs left
}

// A save that fails leaves the old file whole and nothing of its own behind.
TEST_F(SaveFile, FailedWriteKeepsTheOldFile) {
    Bytes old = Plain(9, 1, "0000005", STAGE0, Table(0), Table(99));
    WriteFile("save.dat", old);
    currStage = 4;
    // The new file cannot be created: no descriptor is left to open it with.
    EXPECT_EQ(0, InChild([] {
                  int free = dup(0);
                  close(free);
                  struct rlimit lim = {(rlim_t)free, (rlim_t)free};
                  if (setrlimit(RLIMIT_NOFILE, &lim) != 0) return 2;
                  return (int)SaveGame();
              }));
    EXPECT_EQ(old, ReadFile("save.dat"));
    EXPECT_EQ(std::vector<std::string>{"save.dat"}, Entries());

    // The disk fills up on the way out: files may grow to 100 bytes only.
    EXPECT_EQ(0, InChild([] {
                  signal(SIGXFSZ, SIG_IGN);
                  struct rlimit lim = {100, 100};
                  if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return 2;
                  return (int)SaveGame();
              }));
    EXPECT_EQ(old, ReadFile("save.dat"));
    EXPECT_EQ(std::vector<std::string>{"save.dat"}, Entries());

    // The failure is reported on a line of its own.
    ASSERT_EQ(0, mkdir("sub", 0755));
    ASSERT_EQ(0, chdir("sub"));
    ASSERT_EQ(0, rmdir("../sub")); // the folder is gone under the game
    std::string out;
    EXPECT_EQ(0, Save(out));
    EXPECT_EQ(0u, out.find("\nUnable to write save.dat: ")) << out;
    ASSERT_EQ(0, chdir(dir.c_str()));

    // With the way clear again the save goes through.
    EXPECT_EQ(1, Save(out));
    EXPECT_EQ(4, ReadFile("save.dat")[0]);
}

} // namespace
