#include "util/AppPaths.h"
#include "util/Paths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kalido;

TEST(AppPaths, NameAndFoldersFromTheExecutable)
{
    struct Case
    {
        const char *exe, *name, *xmlDir, *userDir;
    } cases[] = {
        {"/opt/kalido/My Show", "Myshow", "/opt/kalido/XML/", "/home/u/.config/Orvane/Myshow/"},
        {"/opt/kalido/a.b.exe", "a", "/opt/kalido/XML/", "/home/u/.config/Orvane/a/"},
        {"/usr/bin/Kalido", "Kalido", "/usr/bin/XML/", "/home/u/.config/Orvane/Kalido/"},
        {"/usr/bin/KALIDO", "Kalido", "/usr/bin/XML/", "/home/u/.config/Orvane/Kalido/"},
    };
    for (const auto &c : cases) {
        const AppPaths p = ComputeAppPaths(c.exe, "/home/u/.config");
        EXPECT_EQ(p.appName, QString(c.name)) << c.exe;
        EXPECT_EQ(p.xmlDir, QString(c.xmlDir)) << c.exe;
        EXPECT_EQ(p.userDir, QString(c.userDir)) << c.exe;
    }
}

TEST(AppPaths, NoApplicationDataFolderFallsBackToTemp)
{
    const AppPaths p = ComputeAppPaths("/opt/My Show", QString());
    EXPECT_EQ(p.userDir, TempDir() + "Orvane/Myshow/");
}

TEST(AppPaths, ProcessWideValuesAreSetOnceAndCleared)
{
    InitPaths();
    const QString name = AppName();
    EXPECT_EQ(name, "util_tests");
    EXPECT_EQ(XMLDir(), ExeDir() + "XML/");
    EXPECT_TRUE(UserDir().endsWith("Orvane/util_tests/"));
    InitPaths();
    EXPECT_EQ(AppName(), name);
    ClearPaths();
    EXPECT_TRUE(AppName().isEmpty());
    EXPECT_TRUE(UserDir().isEmpty());
}
