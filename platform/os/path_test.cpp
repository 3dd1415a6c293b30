#include "platform/os/path.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TPathCase {
    std::string path;
    std::string folder;
    std::string name;
};

// Rows every system reads alike, then the system's own.
std::vector<TPathCase> PathCases() {
    std::vector<TPathCase> cases = {
        {"name.txt", ".", "name.txt"},
        {"", ".", ""},
        {"/name", "/", "name"},
        {"/", "/", ""},
        {"a/b", "a", "b"},
        {"/a/b/c.reg", "/a/b", "c.reg"},
        {"/a/b/", "/a/b", ""},
        {"a//b", "a/", "b"},
    };
#ifdef _WIN32
    cases.insert(cases.end(), {
                                  {"C:\\a\\b.txt", "C:\\a", "b.txt"},
                                  {"C:\\b.txt", "C:\\", "b.txt"},
                                  {"C:b.txt", "C:", "b.txt"},
                                  {"\\b.txt", "\\", "b.txt"},
                                  {"C:/a\\b", "C:/a", "b"},
                              });
#else
    cases.insert(cases.end(), {
                                  {"a\\b", ".", "a\\b"},  // a backslash is part of a name
                                  {"C:b", ".", "C:b"},    // and so is a colon
                              });
#endif
    return cases;
}

TEST(Path, FolderAndNameOfAPath) {
    for (const TPathCase& c : PathCases()) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FolderOfPath(c.path), c.folder);
        EXPECT_EQ(NameOfPath(c.path), c.name);
    }
}

TEST(Path, JoiningPutsOneSeparatorBetween) {
    const std::string sep(1, kPathSeparator);
    struct TCase {
        std::string folder, name, joined;
    };
    std::vector<TCase> cases = {
        {"", "x", "x"},       {"/", "x", "/x"},     {"/a", "x", "/a" + sep + "x"},
        {"/a/", "x", "/a/x"}, {"a", "", "a" + sep},
    };
#ifdef _WIN32
    cases.insert(cases.end(),
                 {{"C:", "x", "C:x"}, {"C:\\a\\", "x", "C:\\a\\x"}, {"C:\\a", "x", "C:\\a\\x"}});
    EXPECT_EQ(kPathSeparator, '\\');
    EXPECT_TRUE(IsPathSeparator('\\'));
#else
    cases.insert(cases.end(), {{"C:", "x", "C:/x"}, {"a\\", "x", "a\\/x"}});
    EXPECT_EQ(kPathSeparator, '/');
    EXPECT_FALSE(IsPathSeparator('\\'));
#endif
    EXPECT_TRUE(IsPathSeparator('/'));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.folder + " + " + c.name);
        EXPECT_EQ(JoinPath(c.folder, c.name), c.joined);
        // What is joined comes apart again into the same folder and name.
        if (!c.folder.empty() && !c.name.empty()) {
            EXPECT_EQ(NameOfPath(c.joined), c.name);
        }
    }
}

}  // namespace
