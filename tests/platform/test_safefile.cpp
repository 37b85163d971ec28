// The walk of a path through descriptors: where it leads, part by part.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/safefile.h"

namespace {

/// Where `path` leads: "FOLDER-INODE NAME", or "errno N".
std::string walk(const std::string& path, bool make = false) {
    safefile_place_ place;
    int error = safefile_walk(path.c_str(), make, &place);
    if (error)
        return "errno " + std::to_string(error);
    struct stat info;
    fstat(place.folder, &info);
    std::string where = std::to_string(info.st_ino) + " " + place.name;
    safefile_release(&place);
    return where;
}

/// "INODE NAME" of a folder that exists and a name in it.
std::string at(const std::string& folder, const char* name) {
    struct stat info;
    stat(folder.c_str(), &info);
    return std::to_string(info.st_ino) + " " + name;
}

} // namespace

TEST(SafeFile, AWalkFollowsThePlayersLinksPartByPart) {
    char pattern[] = "/tmp/cave-walk-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(mkdir((dir + "/a").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir + "/a/b").c_str(), 0700), 0);
    ASSERT_EQ(symlink("a/b", (dir + "/up").c_str()), 0);       // a folder part
    ASSERT_EQ(symlink("../table", (dir + "/a/t").c_str()), 0); // from its own folder
    ASSERT_EQ(symlink("loop", (dir + "/loop").c_str()), 0);
    ASSERT_EQ(close(creat((dir + "/file").c_str(), 0600)), 0);

    EXPECT_EQ(walk(dir + "/up/../t"), at(dir, "table")); // ".." of the folder the link led to
    EXPECT_EQ(walk(dir + "//a/./b/new"), at(dir + "/a/b", "new"));
    EXPECT_EQ(walk(dir + "/up/"), "errno " + std::to_string(EISDIR));
    EXPECT_EQ(walk(dir + "/loop"), "errno " + std::to_string(ELOOP));
    EXPECT_EQ(walk(dir + "/none/table"), "errno " + std::to_string(ENOENT));
    EXPECT_EQ(walk(dir + "/file/table"), "errno " + std::to_string(ENOTDIR));
    const std::string made = walk(dir + "/made/too/table", true); // missing folders are made
    EXPECT_EQ(made, at(dir + "/made/too", "table"));
    struct stat info;
    ASSERT_EQ(stat((dir + "/made/too").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_NE(access((dir + "/made/too/table").c_str(), F_OK), 0); // the last part is never made
    std::filesystem::remove_all(dir);
}
