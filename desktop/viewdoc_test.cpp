#include "desktop/viewdoc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/native/keys.h"
#include "platform/os/shell.h"
#include "platform/ui/label.h"
#include "platform/ui/screen.h"
#include "tests/support/headless_app.h"
#include "tests/support/tempconfighome.h"

namespace fs = std::filesystem;

namespace {
// Started with ZT_VIEWDOC_START set, this test program only looks for the manual (quietly,
// with the opener and the installed folder the variables name) and ends with ViewDoc's
// result, so the tests can run it from executable folders of their choosing.
const bool gHelperRun = [] {
    const char* start = std::getenv("ZT_VIEWDOC_START");
    if (start == nullptr) return false;
    SetShellOpenCommand(std::getenv("ZT_VIEWDOC_OPENER"));
    SetInstalledDocDirectory(std::getenv("ZT_VIEWDOC_INSTALLED"));
    _exit(ViewDoc("zentick", start, 1));
}();

// Collects what the fake opener prints to standard error while a call runs. The opener
// runs detached from the caller, so the read waits for the end of the pipe: that comes
// exactly when every process holding it, the opener included, has finished.
class TOpenerOutput {
public:
    TOpenerOutput() {
        EXPECT_EQ(pipe(fds_), 0);
        savedError_ = dup(2);
        dup2(fds_[1], 2);
        close(fds_[1]);
    }
    std::string Finish() {
        dup2(savedError_, 2);
        close(savedError_);
        std::string output;
        char chunk[256];
        ssize_t got;
        while ((got = read(fds_[0], chunk, sizeof chunk)) > 0)
            output.append(chunk, static_cast<size_t>(got));
        close(fds_[0]);
        return output;
    }

private:
    int fds_[2] = {-1, -1};
    int savedError_ = -1;
};

class ViewDocTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = home_.Root();
        for (const char* dir : {"start", "current", "installed", "other"})
            fs::create_directories(root_ + "/" + dir);
        // The XDG data folders: none of the machine's, so an installed manual does not count.
        setenv("XDG_DATA_HOME", (root_ + "/datahome").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root_ + "/data1:" + root_ + "/data2/").c_str(), 1);
        opener_ = root_ + "/opener";
        std::ofstream(opener_) << "#!/bin/sh\nfor a in \"$@\"; do echo \"open:$a\" >&2; done\n";
        chmod(opener_.c_str(), 0755);
        SetShellOpenCommand(opener_);
        SetInstalledDocDirectory(root_ + "/installed");
        oldCurrent_ = fs::current_path();
        fs::current_path(root_ + "/current");
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_DATA_DIRS");
        fs::current_path(oldCurrent_);
        SetInstalledDocDirectory("");
        SetShellOpenCommand("");
    }

    void Touch(const std::string& relative) {
        fs::create_directories(fs::path(root_ + "/" + relative).parent_path());
        std::ofstream(root_ + "/" + relative) << "<html></html>\n";
    }
    // ViewDoc's result and the paths the opener was given, one "open:" line each.
    std::pair<int, std::string> View(const std::string& startDirectory, int quiet = 1) {
        TOpenerOutput output;
        int result = ViewDoc("zentick", startDirectory.c_str(), quiet);
        return {result, output.Finish()};
    }
    std::string Opened(const std::string& relative) {
        return "open:" + root_ + "/" + relative + "\n";
    }

    TTempConfigHome home_;
    std::string root_;
    std::string opener_;
    fs::path oldCurrent_;
};

struct TOrderCase {
    const char* name;
    std::vector<const char*> files;  // below the test's folder; a trailing "/" makes a folder
    const char* expected;            // the file opened

    friend void PrintTo(const TOrderCase& c, std::ostream* out) { *out << c.name; }
};

const TOrderCase kOrderCases[] = {
    {"HtmlBeforeHtm", {"start/zentick.htm", "start/zentick.html"}, "start/zentick.html"},
    {"StartFolderBeforeCurrentFolder",
     {"start/zentick.htm", "current/zentick.html"},
     "start/zentick.htm"},
    {"CurrentFolderWhenStartHasNone",
     {"current/zentick.htm", "current/zentick.html"},
     "current/zentick.html"},
    {"CurrentFolderBeforeInstalledFolder",
     {"current/zentick.htm", "installed/zentick.html"},
     "current/zentick.htm"},
    {"CurrentFolderBeforeTheUsersDataFolder",
     {"current/zentick.htm", "datahome/zentick/zentick.html"},
     "current/zentick.htm"},
    {"TheUsersDataFolderBeforeTheSystems",
     {"datahome/zentick/zentick.htm", "data1/zentick/zentick.html"},
     "datahome/zentick/zentick.htm"},
    {"SystemDataFoldersInTheirOrder",
     {"data2/zentick/zentick.html", "data1/zentick/zentick.htm"},
     "data1/zentick/zentick.htm"},
    {"OnlyInTheLastSystemDataFolder", {"data2/zentick/zentick.html"}, "data2/zentick/zentick.html"},
    {"SystemDataFoldersBeforeTheInstalledFolder",
     {"data2/zentick/zentick.htm", "installed/zentick.html"},
     "data2/zentick/zentick.htm"},
    {"InstalledFolderLast",
     {"installed/zentick.htm", "installed/zentick.html"},
     "installed/zentick.html"},
    {"InstalledHtm", {"installed/zentick.htm"}, "installed/zentick.htm"},
    {"AFolderNamedLikeTheManualDoesNotCount",
     {"start/zentick.html/", "start/zentick.htm"},
     "start/zentick.htm"},
    {"OtherNamesDoNotCount",
     {"start/Zentick.html", "start/zentick.HTML", "start/zentick.html.bak", "current/zentick.htm"},
     "current/zentick.htm"},
};

class ViewDocOrderTest : public ViewDocTest, public ::testing::WithParamInterface<TOrderCase> {};

TEST_P(ViewDocOrderTest, OpensTheFirstCandidate) {
    for (const char* file : GetParam().files) {
        std::string name = file;
        if (name.back() == '/') {
            fs::create_directories(root_ + "/" + name);
        } else {
            Touch(name);
        }
    }
    EXPECT_EQ(View(root_ + "/start"), std::make_pair(1, Opened(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewDocOrderTest, ::testing::ValuesIn(kOrderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewDocTest, TheCurrentFolderIsTheOneAtTheTimeOfTheCall) {
    // Started in "current", later moved to "other": the start folder is still searched
    // first, and the relative names now mean "other".
    Touch("other/zentick.htm");
    fs::current_path(root_ + "/other");
    EXPECT_EQ(View(root_ + "/current"), std::make_pair(1, Opened("other/zentick.htm")));
    Touch("current/zentick.htm");
    EXPECT_EQ(View(root_ + "/current"), std::make_pair(1, Opened("current/zentick.htm")));
}

TEST_F(ViewDocTest, AnEmptyStartFolderMeansTheCurrentFolder) {
    Touch("current/zentick.htm");
    EXPECT_EQ(View(""), std::make_pair(1, Opened("current/zentick.htm")));
    TOpenerOutput output;
    EXPECT_EQ(ViewDoc("zentick", nullptr, 1), 1);
    EXPECT_EQ(output.Finish(), Opened("current/zentick.htm"));
}

TEST_F(ViewDocTest, AStartFolderEndingInASlashIsJoinedWithoutAnother) {
    Touch("start/zentick.html");
    EXPECT_EQ(View(root_ + "/start/"), std::make_pair(1, Opened("start/zentick.html")));
}

TEST_F(ViewDocTest, NothingFoundQuietlyOpensAndShowsNothing) {
    Touch("start/other.html");
    THeadlessApp app;
    std::vector<std::string> shown;
    app.Backend().After(10, [&] {
        for (TCustomForm* form : Screen->Forms())
            if (form->Visible()) shown.push_back(form->Text());
        app.Backend().PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(View(root_ + "/start", 1), std::make_pair(0, std::string()));
    EXPECT_TRUE(shown.empty());
}

TEST_F(ViewDocTest, NothingFoundShowsTheMessageOnce) {
    THeadlessApp app;
    struct TShown {
        std::string caption;
        std::vector<std::string> texts;
    };
    std::vector<TShown> shown;
    auto dismiss = [&] {
        for (TCustomForm* form : Screen->Forms()) {
            if (!form->Visible()) continue;
            TShown box{form->Text(), {}};
            for (int i = 0; i < form->ComponentCount(); ++i)
                if (auto* label = dynamic_cast<TLabel*>(form->Components(i)))
                    box.texts.push_back(label->Text());
            shown.push_back(box);
        }
        app.Backend().PressKey(VK_RETURN);
    };
    // The second dismissal only finds a box if a second one were shown.
    app.Backend().After(10, dismiss);
    app.Backend().After(20, dismiss);
    EXPECT_EQ(View(root_ + "/start", 0), std::make_pair(0, std::string()));
    app.Run(30);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "error");
    EXPECT_EQ(shown[0].texts, std::vector<std::string>{"Unable to find documentation"});
}

TEST_F(ViewDocTest, OverLongPlacesAreSkippedRatherThanCut) {
    // A file whose path is exactly 1023 characters, and a start folder inside it (so a
    // folder that cannot exist): cutting the first candidate to 1023 characters would name
    // that file.
    std::string file = root_;
    while (file.size() < 1023 - 201)
        file += "/" + std::string(200, 'd');
    file += "/" + std::string(1023 - file.size() - 1, 'f');
    ASSERT_EQ(file.size(), 1023u);
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file) << "not the manual\n";
    EXPECT_EQ(View(file + "/x"), std::make_pair(0, std::string()));
    // The later places are still searched.
    Touch("current/zentick.html");
    EXPECT_EQ(View(file + "/x"), std::make_pair(1, Opened("current/zentick.html")));
}

TEST_F(ViewDocTest, AnOverLongBaseNameFindsNothing) {
    Touch("current/zentick.html");
    const std::string base(1020, 'z');
    TOpenerOutput output;
    EXPECT_EQ(ViewDoc(base.c_str(), "", 1), 0);
    EXPECT_EQ(output.Finish(), "");
}

TEST_F(ViewDocTest, OpenDocIfExistsOpensFilesOnly) {
    Touch("current/manual.html");
    fs::create_directories(root_ + "/current/folder.html");
    fs::create_symlink(root_ + "/current/manual.html", root_ + "/current/link.html");
    fs::create_symlink(root_ + "/current/gone.html", root_ + "/current/broken.html");
    struct TCase {
        const char* path;
        int result;
        std::string opened;
    };
    const TCase cases[] = {
        {"manual.html", 1, Opened("current/manual.html")},
        {"link.html", 1, Opened("current/link.html")},
        {"folder.html", 0, ""},
        {"broken.html", 0, ""},
        {"missing.html", 0, ""},
        {"", 0, ""},
    };
    for (const TCase& c : cases) {
        TOpenerOutput output;
        EXPECT_EQ(OpenDocIfExists(c.path), c.result) << c.path;
        EXPECT_EQ(output.Finish(), c.opened) << c.path;
    }
    EXPECT_EQ(OpenDocIfExists(nullptr), 0);
}

TEST_F(ViewDocTest, UnsetOrEmptyDataFoldersMeanTheXdgDefaultsAndRelativeOnesAreSkipped) {
    // HOME is the test's own folder: ~/.local/share stands in for an unset XDG_DATA_HOME.
    Touch("home/.local/share/zentick/zentick.html");
    Touch("data1/zentick/zentick.html");
    for (const char* home : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        if (home) {
            setenv("XDG_DATA_HOME", home, 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        EXPECT_EQ(View(root_ + "/start"),
                  std::make_pair(1, Opened("home/.local/share/zentick/zentick.html")));
    }
    // A relative folder is no data folder, though one of that name lies in the current one.
    fs::remove_all(root_ + "/home/.local");
    Touch("current/relative/zentick/zentick.html");
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("XDG_DATA_DIRS", ("relative::" + root_ + "/data1").c_str(), 1);
    EXPECT_EQ(View(root_ + "/start"), std::make_pair(1, Opened("data1/zentick/zentick.html")));
}

TEST_F(ViewDocTest, AFileThatExistsCountsAsOpenedWhateverTheOpenerDoes) {
    Touch("current/zentick.html");
    SetShellOpenCommand(root_ + "/opener that fails");
    std::ofstream(root_ + "/opener that fails") << "#!/bin/sh\nexit 3\n";
    chmod((root_ + "/opener that fails").c_str(), 0755);
    EXPECT_EQ(OpenDocIfExists("zentick.html"), 1);
    EXPECT_EQ(ViewDoc("zentick", "", 1), 1);
}

TEST_F(ViewDocTest, NoOpenerAtAllIsShownWithTheManualsPlace) {
    Touch("start/zentick.html");
    Touch("current/zentick.html");
    SetShellOpenCommand(root_ + "/no such opener");
    THeadlessApp app;
    std::vector<std::string> shown;
    app.Backend().After(10, [&] {
        for (TCustomForm* form : Screen->Forms()) {
            if (!form->Visible()) continue;
            shown.push_back(form->Text());
            for (int i = 0; i < form->ComponentCount(); ++i)
                if (auto* label = dynamic_cast<TLabel*>(form->Components(i)))
                    shown.push_back(label->Text());
        }
        app.Backend().PressKey(VK_RETURN);
    });
    EXPECT_EQ(ViewDoc("zentick", (root_ + "/start").c_str(), 0), 0);
    ASSERT_EQ(shown.size(), 2u) << "one box, one text";
    EXPECT_EQ(shown[0], "error");
    EXPECT_EQ(shown[1].rfind("Unable to show documentation: no program to open web pages", 0), 0u)
        << shown[1];
    EXPECT_NE(shown[1].find(root_ + "/start/zentick.html"), std::string::npos) << shown[1];
    // Quietly: nothing shown, nothing opened.
    EXPECT_EQ(ViewDoc("zentick", (root_ + "/start").c_str(), 1), 0);
}

struct TJoinCase {
    std::string directory;
    std::string fileName;
    bool joined;
    std::string path;
};

TEST(MakeDocPath, JoinsWithOneSlashAndRefusesWhatDoesNotFit) {
    const std::string long1010(1010, 'a');
    const std::string long1011(1011, 'a');
    const TJoinCase cases[] = {
        {"/usr/share/doc", "zentick.html", true, "/usr/share/doc/zentick.html"},
        {"/usr/share/doc/", "zentick.html", true, "/usr/share/doc/zentick.html"},
        {"/", "zentick.html", true, "/zentick.html"},
        {"", "zentick.html", true, "zentick.html"},
        {"docs", "zentick.htm", true, "docs/zentick.htm"},
        // A colon is part of a name here, not a drive.
        {"C:", "zentick.html", true, "C:/zentick.html"},
        {"docs:", "zentick.html", true, "docs:/zentick.html"},
        {"C:\\docs\\", "zentick.html", true, "C:\\docs\\/zentick.html"},
        // 1023 characters fit, 1024 do not.
        {long1010, "zentick.html", true, long1010 + "/zentick.html"},
        {long1011 + "/", "zentick.html", false, ""},
        {long1011, "zentick.html", false, ""},
        {long1010 + "/", "zentick.html", true, long1010 + "/zentick.html"},
        {"", std::string(1023, 'f'), true, std::string(1023, 'f')},
        {"", std::string(1024, 'f'), false, ""},
    };
    for (const TJoinCase& c : cases) {
        char path[kDocPathSize];
        std::memset(path, 'x', sizeof path);
        EXPECT_EQ(MakeDocPath(c.directory.c_str(), c.fileName.c_str(), path), c.joined)
            << c.directory.size() << " " << c.directory.substr(0, 20);
        EXPECT_EQ(std::string(path), c.path) << c.directory.substr(0, 20);
    }
}

// The executable's folder and the data folder beside it, seen by a copy of this program.
class ViewDocExecutableTest : public ViewDocTest {
protected:
    void SetUp() override {
        ViewDocTest::SetUp();
        program_ = root_ + "/prefix/bin/zt_settings_test";
        fs::create_directories(root_ + "/prefix/bin");
        fs::copy_file("/proc/self/exe", program_);
        fs::permissions(program_, fs::perms::owner_all);
    }

    // Runs the copy in the folder "current", with start folder "start": ViewDoc's result
    // and what it opened.
    std::pair<int, std::string> ViewFromCopy() {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        const std::string start = root_ + "/start";
        const std::string installed = root_ + "/installed";
        pid_t child = fork();
        if (child == 0) {
            dup2(fds[1], 2);
            close(fds[0]);
            close(fds[1]);
            setenv("ZT_VIEWDOC_START", start.c_str(), 1);
            setenv("ZT_VIEWDOC_OPENER", opener_.c_str(), 1);
            setenv("ZT_VIEWDOC_INSTALLED", installed.c_str(), 1);
            execl(program_.c_str(), program_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string output;
        char chunk[256];
        ssize_t got;
        while ((got = read(fds[0], chunk, sizeof chunk)) > 0)
            output.append(chunk, static_cast<size_t>(got));
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }

    std::string program_;
};

TEST_F(ViewDocExecutableTest, TheExecutablesFolderComesAfterTheCurrentFolder) {
    Touch("prefix/bin/zentick.htm");
    Touch("installed/zentick.html");
    EXPECT_EQ(ViewFromCopy(), std::make_pair(1, Opened("prefix/bin/zentick.htm")));
    Touch("current/zentick.htm");
    EXPECT_EQ(ViewFromCopy(), std::make_pair(1, Opened("current/zentick.htm")));
}

TEST_F(ViewDocExecutableTest, TheDataFolderBesideTheExecutablesComesLast) {
    const std::string beside = std::string("prefix/bin/") + ZT_RELATIVE_DATA_DIR;
    Touch(beside + "/zentick.html");
    EXPECT_EQ(ViewFromCopy(), std::make_pair(1, Opened(beside + "/zentick.html")));
    Touch("installed/zentick.htm");
    EXPECT_EQ(ViewFromCopy(), std::make_pair(1, Opened("installed/zentick.htm")));
}

TEST_F(ViewDocExecutableTest, NothingFoundEndsWithZero) {
    EXPECT_EQ(ViewFromCopy(), std::make_pair(0, std::string()));
}
}  // namespace
