#include "platform/os/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/support/tempconfighome.h"
#include "tests/support/testchild.h"

namespace {
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(home_.Root() + "/ini");
        file_ = home_.Root() + "/ini/test.ini";
    }

    void WriteFile(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    std::string FileText() {
        std::ifstream in(file_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Get(const char* section, const char* key, const char* def, DWORD size = 64) {
        std::vector<char> buffer(size + 1, 'Z');
        DWORD length =
            GetPrivateProfileStringA(section, key, def, buffer.data(), size, file_.c_str());
        EXPECT_EQ(buffer[size], 'Z') << "wrote past the buffer";
        EXPECT_EQ(length, std::strlen(buffer.data()));
        return buffer.data();
    }

    TTempConfigHome home_;
    std::string file_;
};

TEST_F(ProfileTest, AMissingFileGivesTheDefaultAndIsNotCreated) {
    EXPECT_EQ(Get("QVZentick", "type", "12"), "12");
    EXPECT_EQ(Get("QVZentick", "type", "trailing   "), "trailing");
    EXPECT_EQ(Get("QVZentick", "type", nullptr), "");
    EXPECT_FALSE(std::filesystem::exists(file_));
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", buffer, sizeof buffer, nullptr), 1u);
    EXPECT_STREQ(buffer, "d");
}

TEST_F(ProfileTest, ReadsValuesAsTheSystemDoes) {
    WriteFile(
        "; comment\r\n[Other]\r\ntype=wrong\r\n[ QVZentick ]\r\n  Type =  12abc  \r\n"
        "quoted=\"  spaced  \"\r\nsingle='x'\r\nhalf=\"x\r\nempty=\r\n");
    EXPECT_EQ(Get("qvzentick", "TYPE", "0"), "12abc");
    EXPECT_EQ(Get("QVZentick", "quoted", ""), "  spaced  ");
    EXPECT_EQ(Get("QVZentick", "single", ""), "x");
    EXPECT_EQ(Get("QVZentick", "half", ""), "\"x");
    EXPECT_EQ(Get("QVZentick", "empty", "def"), "");
    EXPECT_EQ(Get("QVZentick", "missing", "def"), "def");
    EXPECT_EQ(Get("Missing", "type", "def"), "def");
}

TEST_F(ProfileTest, LongValuesAreCutToTheBuffer) {
    WriteFile("[s]\nk=0123456789\n");
    EXPECT_EQ(Get("s", "k", "", 5), "0123");
    EXPECT_EQ(Get("s", "k", "", 11), "0123456789");
    EXPECT_EQ(Get("s", "missing", "abcdefgh", 4), "abc");
    EXPECT_EQ(Get("s", "k", "", 1), "");
    char buffer[4] = "xyz";
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 0, file_.c_str()), 0u);
    EXPECT_STREQ(buffer, "xyz");
}

TEST_F(ProfileTest, TheDefaultMayBeTheBufferItself) {
    char buffer[16] = "fallback";
    GetPrivateProfileStringA("s", "missing", buffer, buffer, sizeof buffer, file_.c_str());
    EXPECT_STREQ(buffer, "fallback");
}

TEST_F(ProfileTest, ListsSectionsAndKeys) {
    WriteFile("[one]\na=1\nbb=2\n[two]\n");
    char buffer[32];
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, file_.c_str()),
              8u);
    EXPECT_EQ(std::string(buffer, 9), std::string("one\0two\0\0", 9));
    EXPECT_EQ(GetPrivateProfileStringA("one", nullptr, "", buffer, sizeof buffer, file_.c_str()),
              5u);
    EXPECT_EQ(std::string(buffer, 6), std::string("a\0bb\0\0", 6));
    // Cut: the last name that fits is shortened and the list still ends in two NULs.
    EXPECT_EQ(GetPrivateProfileStringA("one", nullptr, "", buffer, 5, file_.c_str()), 3u);
    EXPECT_EQ(std::string(buffer, 5), std::string("a\0b\0\0", 5));
    EXPECT_EQ(GetPrivateProfileStringA("none", nullptr, "", buffer, sizeof buffer, file_.c_str()),
              0u);
    EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));
}

TEST_F(ProfileTest, WritesKeepTheRestOfTheFile) {
    WriteFile("; keep me\r\n[QVZentick]\r\ntype=1\r\n\r\n[Other]\r\nx=y\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("qvzentick", "TYPE", "5", file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("QVZentick", "back", "2", file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("New", "k", "v", file_.c_str()));
    EXPECT_EQ(
        FileText(),
        "; keep "
        "me\r\n[QVZentick]\r\ntype=5\r\nback=2\r\n\r\n[Other]\r\nx=y\r\n\r\n[New]\r\nk=v\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("QVZentick", "type", nullptr, file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Other", nullptr, nullptr, file_.c_str()));
    EXPECT_EQ(FileText(), "; keep me\r\n[QVZentick]\r\nback=2\r\n\r\n[New]\r\nk=v\r\n");
    // Nothing but the file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_.Root() + "/ini"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ProfileTest, WritesCreateTheFileAndKeepAnExistingMode) {
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", file_.c_str()));
    EXPECT_EQ(FileText(), "[s]\nk=v\n");
    chmod(file_.c_str(), 0640);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "w", file_.c_str()));
    struct stat st {};
    ASSERT_EQ(stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Get("s", "k", ""), "w");
}

TEST_F(ProfileTest, RefusesWhatWouldBreakTheFile) {
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "two\nlines", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k=x", "v", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s]", "k", "v", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", ""));
    EXPECT_FALSE(
        WritePrivateProfileStringA("s", "k", "v", (home_.Root() + "/no/such/dir/x.ini").c_str()));
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ProfileTest, AReadOnlyFileIsLeftAlone) {
    WriteFile("[s]\nk=v\n");
    chmod(file_.c_str(), 0400);
    // Without privileges, so that the permission bits bind even a test run as root.
    const auto outcome = ztest::RunInChild(
        [&] {
            EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "w", file_.c_str()));
            EXPECT_EQ(Get("s", "k", ""), "v");
        },
        {.DropPrivileges = true});
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_EQ(FileText(), "[s]\nk=v\n");
}

TEST_F(ProfileTest, NamesAreFoundAgainAsWrittenOrRefused) {
    WriteFile("[s]\nk=v\n");
    const struct {
        const char* Section;
        const char* Key;
    } cases[] = {
        {"s", ";comment"}, {"s", "[section]"}, {"s", "[k"},   {"s", " ;k"},
        {"s", "k=x"},      {"s]", "k"},        {"s", "a\nb"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(WritePrivateProfileStringA(c.Section, c.Key, "w", file_.c_str()))
            << "[" << c.Section << "] " << c.Key;
        EXPECT_FALSE(WritePrivateProfileStringA(c.Section, c.Key, nullptr, file_.c_str()));
    }
    EXPECT_EQ(FileText(), "[s]\nk=v\n");
    // Blanks around a name are not part of it: each of these is the key k of section s.
    for (const auto& [section, key] : {std::pair{" s", "k"}, {"s ", " k"}, {"\ts", "k\t"}}) {
        EXPECT_TRUE(WritePrivateProfileStringA(section, key, "w", file_.c_str())) << key;
        EXPECT_EQ(Get(section, key, ""), "w");
    }
    EXPECT_EQ(FileText(), "[s]\nk=w\n");
    EXPECT_TRUE(WritePrivateProfileStringA(" s ", nullptr, nullptr, file_.c_str()));
    EXPECT_EQ(FileText(), "");
    WriteFile("[s]\nk=v\n");
    // Blanks and those characters inside a name are kept and found again.
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(WritePrivateProfileStringA("my s", "a;b [c]", "x", file_.c_str()));
    }
    EXPECT_EQ(Get("my s", "a;b [c]", ""), "x");
    EXPECT_EQ(FileText(), "[s]\nk=v\n\n[my s]\na;b [c]=x\n");
}

TEST_F(ProfileTest, RemovingFromAMissingFileCreatesNothing) {
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("s", nullptr, nullptr, file_.c_str()));
    EXPECT_FALSE(std::filesystem::exists(file_));
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, "QVZentick"));
    EXPECT_FALSE(std::filesystem::exists(home_.ConfigHome()));
}

// Found by fuzz/profile_fuzz: a NUL inside a line made a key name that the list of keys
// cut in two and that no call could name, and a value whose length disagreed with its text.
TEST_F(ProfileTest, ANulByteEndsWhatALineSays) {
    const char text[] =
        "my key;x91\n[sec;tion]\n[k=v\na\n\x97\t\0000`\0\0 b=\x95\xdf\x9b\xf5\xf6\x96\x91\x9b"
        "ented=yes\n[s]\nk=ab\0cd\n";
    WriteFile(std::string(text, sizeof text - 1));
    char buffer[64];
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, file_.c_str()),
              11u);
    EXPECT_EQ(std::string(buffer, 12), std::string("sec;tion\0s\0\0", 12));
    EXPECT_EQ(
        GetPrivateProfileStringA("sec;tion", nullptr, "", buffer, sizeof buffer, file_.c_str()),
        0u);
    EXPECT_EQ(Get("s", "k", ""), "ab");  // Get checks the length against the text
    EXPECT_TRUE(WritePrivateProfileStringA("sec;tion", "key", "v", file_.c_str()));
    EXPECT_EQ(Get("sec;tion", "key", ""), "v");
}

// Found by fuzz/profile_fuzz: a file without CRLF whose last line ended in a stray carriage
// return was written with a CRLF in it, so the next write of the same value switched every
// line to CRLF. Each line now keeps its own line end.
TEST_F(ProfileTest, WritingTheSameValueTwiceLeavesTheFileAsItWas) {
    const struct {
        const char* Name;
        std::string Text;
    } cases[] = {
        {"stray CR at the end",
         std::string(":\x01\0c\x10\n\xcd\b\x04=4\n=\ti\n\xff\xff\n\r\r", 21)},
        {"mixed line ends", "[s]\r\nk=v\nj=w\r\n"},
        {"LF", "[s]\nk=v\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const char* section : {"s", "new"}) {
            WriteFile(c.Text);
            EXPECT_TRUE(WritePrivateProfileStringA(section, "k", "x", file_.c_str()));
            const std::string once = FileText();
            EXPECT_TRUE(WritePrivateProfileStringA(section, "k", "x", file_.c_str()));
            EXPECT_EQ(FileText(), once) << section;
        }
        EXPECT_EQ(Get("new", "k", ""), "x");
    }
    // Lines the write does not touch keep their line ends.
    WriteFile("[s]\r\nk=v\nj=w\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "x", file_.c_str()));
    EXPECT_EQ(FileText(), "[s]\r\nk=x\nj=w\r\n");
}

TEST_F(ProfileTest, AFileThatIsAFifoNeverBlocksAndIsLeftAlone) {
    ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
    const auto outcome = ztest::RunInChild([&] {
        EXPECT_EQ(Get("s", "k", "default"), "default");
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", file_.c_str()));
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", nullptr, file_.c_str()));
        EXPECT_FALSE(WritePrivateProfileStringA("s", nullptr, nullptr, file_.c_str()));
    });
    EXPECT_TRUE(outcome.Passed) << outcome.Describe();
    EXPECT_TRUE(std::filesystem::is_fifo(file_));
}

TEST_F(ProfileTest, ABareNameLivesInTheProgramsFolder) {
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", "QVZentick"));
    EXPECT_TRUE(std::filesystem::exists(home_.ConfigHome() + "/zentick/QVZentick"));
    char buffer[8];
    GetPrivateProfileStringA("s", "k", "", buffer, sizeof buffer, "QVZentick");
    EXPECT_STREQ(buffer, "v");
}
}  // namespace
