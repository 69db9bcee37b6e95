#include "tavrix/app/settings.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tavrix {
namespace {

using Settings = testing_support::TempFolderTest;

TEST_F(Settings, OnlyAnExactKeyOnTheFirstLineCounts) {
  EXPECT_EQ(ReadWorkDirSetting(Write("WorkDir=   /data/   \r\n", "a.ini")), "/data/");
  EXPECT_EQ(ReadWorkDirSetting(Write("WorkDir=\r\n", "b.ini")), "");
  EXPECT_EQ(ReadWorkDirSetting(Write("WorkDir=/x/\nWorkDir=/y/\n", "c.ini")), "/x/");
  EXPECT_FALSE(ReadWorkDirSetting(Write("workdir=/data/\r\n", "d.ini")).has_value());
  EXPECT_FALSE(ReadWorkDirSetting(Write("\r\nWorkDir=/data/\r\n", "e.ini")).has_value());
  EXPECT_FALSE(ReadWorkDirSetting(Write("", "f.ini")).has_value());
  EXPECT_FALSE(ReadWorkDirSetting(PathOf("missing.ini")).has_value());
}

TEST_F(Settings, WritesOneLine) {
  ASSERT_TRUE(WriteWorkDirSetting(PathOf("t.ini"), "/home/me/data/"));
  EXPECT_EQ(Read(PathOf("t.ini")), "WorkDir=/home/me/data/\r\n");
  EXPECT_EQ(ReadWorkDirSetting(PathOf("t.ini")), "/home/me/data/");
  EXPECT_FALSE(WriteWorkDirSetting(PathOf("no/such/folder/t.ini"), "x"));
}

TEST(CommandLine, LimitsOption) {
  for (const char* yes : {"/ie", "/IE", "x/ie", "/ie/y", "--ie", "file.ods --ie"}) {
    EXPECT_TRUE(NoLimitsFromCommandLine(yes)) << yes;
  }
  for (const char* no : {"", "/ie2", "/ie /y", "ie", "--iex"}) {
    EXPECT_FALSE(NoLimitsFromCommandLine(no)) << no;
  }
}

TEST(Credit, ScramblingIsUndone) {
  EXPECT_EQ(Unscramble("A"), "a");  // 32 XOR 65
  EXPECT_EQ(Unscramble(Scramble("Tavrix for Linux ")), "Tavrix for Linux ");
  EXPECT_NE(Scramble("Tavrix for Linux "), "Tavrix for Linux ");
}

}  // namespace
}  // namespace tavrix
