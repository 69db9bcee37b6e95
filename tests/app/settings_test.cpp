#include "tavrix/app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace tavrix {
namespace {

using Settings = testing_support::TempFolderTest;

TEST_F(Settings, OnlyAnExactKeyOnTheFirstLineCounts) {
  const auto workDir = [&](const std::string& text) {
    return ReadSettings(Write(text, "s.ini")).workDir;
  };
  EXPECT_EQ(workDir("WorkDir=   /data/   \r\n"), "/data/");
  EXPECT_EQ(workDir("WorkDir=\r\n"), "");
  EXPECT_EQ(workDir("WorkDir=/x/\nWorkDir=/y/\n"), "/x/");
  EXPECT_FALSE(workDir("workdir=/data/\r\n").has_value());
  EXPECT_FALSE(workDir("\r\nWorkDir=/data/\r\n").has_value());
  EXPECT_FALSE(workDir("").has_value());
  EXPECT_FALSE(ReadSettings(PathOf("missing.ini")).workDir.has_value());
}

TEST_F(Settings, ThePositionIsTheSecondLine) {
  const auto position = [&](const std::string& text) {
    return ReadSettings(Write(text, "p.ini")).position;
  };
  EXPECT_EQ(position("WorkDir=/x/\r\nPosition=1040,-3\r\n"), (WindowPos{1040, -3}));
  EXPECT_EQ(position("WorkDir=\nPosition= 7,8 \n"), (WindowPos{7, 8}));
  for (const char* bad :
       {"WorkDir=/x/\r\n", "WorkDir=/x/\r\nPosition=7\r\n", "WorkDir=/x/\r\nPosition=7,8x\r\n",
        "Position=7,8\r\n", "WorkDir=/x/\r\n\r\nPosition=7,8\r\n"}) {
    EXPECT_FALSE(position(bad).has_value()) << bad;
  }
}

TEST_F(Settings, WritesTheFolderAndThePosition) {
  ASSERT_TRUE(WriteSettings(PathOf("t.ini"), "/home/me/data/", std::nullopt));
  EXPECT_EQ(Read(PathOf("t.ini")), "WorkDir=/home/me/data/\r\n");
  ASSERT_TRUE(WriteSettings(PathOf("t.ini"), "/home/me/data/", WindowPos{1040, 0}));
  EXPECT_EQ(Read(PathOf("t.ini")), "WorkDir=/home/me/data/\r\nPosition=1040,0\r\n");
  const tavrix::Settings back = ReadSettings(PathOf("t.ini"));
  EXPECT_EQ(back.workDir, "/home/me/data/");
  EXPECT_EQ(back.position, (WindowPos{1040, 0}));
  EXPECT_FALSE(WriteSettings(PathOf("no/such/folder/t.ini"), "x", std::nullopt));
}

TEST_F(Settings, TheTemplateIsFoundBesideTheProgramThenInTheDataFolderThenAtHome) {
  namespace fs = std::filesystem;
  for (const char* folder : {"usr/bin", "usr/share/tavrix", "home"})
    fs::create_directories(dir_ / folder);
  const std::string bin = PathOf("usr/bin") + "/";
  const std::string home = PathOf("home") + "/";
  EXPECT_EQ(FindTemplate(bin, home), "");
  Write("x", "home/Tavrix.xls");
  EXPECT_EQ(FindTemplate(bin, home), PathOf("home/Tavrix.xls"));
  Write("x", "usr/share/tavrix/Tavrix.xls");
  EXPECT_EQ(FindTemplate(bin, home), PathOf("usr/share/tavrix/Tavrix.xls"));
  Write("x", "usr/bin/Tavrix.xls");
  EXPECT_EQ(FindTemplate(bin, home), PathOf("usr/bin/Tavrix.xls"));
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
  EXPECT_EQ(Unscramble("t5\x17\x04\x1b\x11"), "Tavrix");
  EXPECT_EQ(Scramble("Tavrix"), "t5\x17\x04\x1b\x11");
}

}  // namespace
}  // namespace tavrix
