// Several running copies and killed writers against one settings file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "platform/os/posix/atomicfile.h"
#include "platform/os/posix/regfile.h"
#include "settings/clocksettings.h"
#include "settings/paramstore.h"
#include "tests/support/tempconfighome.h"

namespace {
constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Kelbrin\\QVZentick";

// The sixteen value names in the order SaveSettings writes them.
const char* const kNames[] = {"viewertop",   "viewerleft", "viewerwidth", "viewerheight",
                              "alwaysontop", "24hour",     "bcd",         "bcdhide",
                              "secondshide", "autoload",   "hidetask",    "type",
                              "back",        "ledcolor",   "ledshape",    "movearound"};

// A value that tells which writer wrote it, in which cycle, for which name.
int32_t Code(int writer, int cycle, int name) {
    return 1 << 30 | writer << 16 | cycle << 4 | name;
}

class TCodedWindow : public TSettingsWindow {
public:
    TCodedWindow(int writer, int cycle) : writer_(writer), cycle_(cycle) {}
    int Top() const override { return Code(writer_, cycle_, 0); }
    int Left() const override { return Code(writer_, cycle_, 1); }
    int Width() const override { return Code(writer_, cycle_, 2); }
    int Height() const override { return Code(writer_, cycle_, 3); }
    void SetLeft(int) override {}
    void SetTop(int) override {}
    bool MinimizedOrMaximized() const override { return false; }
    int ScreenWidth() const override { return 800; }
    int ScreenHeight() const override { return 600; }

private:
    int writer_, cycle_;
};

ClockSettings CodedSettings(int writer, int cycle) {
    ClockSettings s;
    int32_t* fields[] = {&s.OnTop,       &s.Hour24,   &s.Bcd,      &s.BcdHide,
                         &s.SecondsHide, &s.AutoLoad, &s.HideTask, &s.Type,
                         &s.Back,        &s.Color,    &s.Shape,    &s.MoveAround};
    for (int i = 0; i < 12; ++i)
        *fields[i] = Code(writer, cycle, i + 4);
    return s;
}

void Save(int writer, int cycle) {
    SaveSettings(CodedSettings(writer, cycle), TCodedWindow(writer, cycle));
}

class ReliabilityTest : public ::testing::Test {
protected:
    // The file as it is on disk, which must parse as it stands (nothing moved aside).
    std::optional<TRegFile> FileOnDisk() {
        int error = 0;
        auto text = ReadWholeFile(home_.RegistryFile(), error);
        if (!text) return std::nullopt;
        return TRegFile::Parse(*text);
    }

    static int32_t Number(const TRegValue& value) {
        return static_cast<int32_t>(value.Data[0] | value.Data[1] << 8 | value.Data[2] << 16 |
                                    uint32_t{value.Data[3]} << 24);
    }

    // Every one of the sixteen names holds a complete value that some writer wrote for it.
    void ExpectCompleteValues(const TRegFile& file, int writers, int cycles) {
        for (int i = 0; i < 16; ++i) {
            const TRegValue* value = file.FindValue(kKey, kNames[i]);
            ASSERT_NE(value, nullptr) << kNames[i];
            ASSERT_EQ(value->Type, REG_DWORD);
            ASSERT_EQ(value->Data.size(), 4u);
            const int32_t code = Number(*value);
            EXPECT_EQ(code >> 30, 1) << kNames[i];
            EXPECT_EQ(code & 15, i) << kNames[i];
            EXPECT_LT(code >> 16 & 0x3FFF, writers) << kNames[i];
            EXPECT_LT(code >> 4 & 0xFFF, cycles) << kNames[i];
        }
    }

    int CountFiles(const std::string& prefix) {
        int count = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(home_.ConfigHome() + "/zentick")) {
            count += entry.path().filename().string().rfind(prefix, 0) == 0;
        }
        return count;
    }

    TTempConfigHome home_;
};

TEST_F(ReliabilityTest, ConcurrentCopiesLoseNoValueAndLeaveAWholeFile) {
    constexpr int kWriters = 8;
    constexpr int kCycles = 200;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int cycle = 0; cycle < kCycles; ++cycle) {
                ClockSettings loaded;
                TCodedWindow window(writer, cycle);
                LoadSettings(loaded, window);
                Save(writer, cycle);
                // Each writer's own counter: a write that lost another's would show here.
                ParamStore store;
                ParamOpen("QVZentick", "QVZentick", &store, 1);
                ParamWriteInt(&store, ("writer" + std::to_string(writer)).c_str(), cycle + 1);
                ParamClose(&store);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto file = FileOnDisk();
    ASSERT_TRUE(file.has_value());
    ExpectCompleteValues(*file, kWriters, kCycles);
    for (int writer = 0; writer < kWriters; ++writer) {
        const TRegValue* counter = file->FindValue(kKey, "writer" + std::to_string(writer));
        ASSERT_NE(counter, nullptr);
        EXPECT_EQ(Number(*counter), kCycles) << "writer " << writer;
    }
    EXPECT_EQ(CountFiles("user.reg.corrupt-"), 0);
    EXPECT_EQ(CountFiles("user.reg.tmp-"), 0);
}

TEST_F(ReliabilityTest, TwoClocksSavingTogetherLeaveOneWholeRecord) {
    constexpr int kRounds = 200;
    Save(0, 0);
    for (int round = 1; round <= kRounds; ++round) {
        // Both wait on a pipe that the test closes, so that they save at the same moment.
        int start[2];
        ASSERT_EQ(pipe(start), 0);
        pid_t children[2];
        for (int writer = 1; writer <= 2; ++writer) {
            pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                close(start[1]);
                char byte;
                if (read(start[0], &byte, 1) != 0) _exit(1);
                Save(writer, round);
                _exit(0);
            }
            children[writer - 1] = child;
        }
        close(start[0]);
        close(start[1]);
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        auto file = FileOnDisk();
        ASSERT_TRUE(file.has_value());
        // Every one of the sixteen values is from the same writer's save of this round.
        const int32_t first = Number(*file->FindValue(kKey, kNames[0]));
        for (int i = 0; i < 16; ++i) {
            const int32_t code = Number(*file->FindValue(kKey, kNames[i]));
            ASSERT_EQ(code >> 4 & 0xFFF, round) << kNames[i] << " in round " << round;
            ASSERT_EQ(code >> 16 & 0x3FFF, first >> 16 & 0x3FFF)
                << "a mixed record in round " << round << ": " << kNames[i];
        }
    }
}

TEST_F(ReliabilityTest, AWriterKilledMidSaveNeverLeavesAPartialFile) {
    constexpr int kKills = 40;
    Save(0, 0);
    std::mt19937 random(20240611);
    for (int kill = 1; kill <= kKills; ++kill) {
        int progress[2];
        ASSERT_EQ(pipe(progress), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(progress[0]);
            for (int cycle = 0;; cycle = (cycle + 1) % 4096) {
                Save(kill, cycle);
                if (write(progress[1], "s", 1) != 1) _exit(1);
            }
        }
        close(progress[1]);
        // Let a few saves complete, then kill the writer at a point inside a later one.
        const int saves = static_cast<int>(random() % 3);
        char byte;
        for (int i = 0; i < saves; ++i)
            ASSERT_EQ(read(progress[0], &byte, 1), 1);
        volatile uint64_t spin = 0;
        for (uint64_t i = random() % 4000000; i > 0; --i)
            spin = spin + i;
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(progress[0]);

        auto file = FileOnDisk();
        ASSERT_TRUE(file.has_value()) << "unparsable after kill " << kill;
        ExpectCompleteValues(*file, kKills + 1, 4096);
        if (HasFailure()) return;
    }
    EXPECT_EQ(CountFiles("user.reg.corrupt-"), 0);
    // A killed writer may leave its temporary file; the next save clears it.
    Save(0, 1);
    EXPECT_EQ(CountFiles("user.reg.tmp-"), 0);
}
}  // namespace
