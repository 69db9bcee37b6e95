#include "tavrix/app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>
#include <vector>

#include "support/temp_folder.h"

namespace tavrix {
namespace {

using Settings = testing_support::TempFolderTest;

// The folder is an exact key on the first line, the position the second
// line; anything else is no setting.
TEST_F(Settings, AreReadFromTheirLinesOnly) {
  const std::optional<std::string> none;
  const std::optional<WindowPos> nowhere;
  for (const auto& [text, workDir, position] :
       std::vector<std::tuple<std::string, std::optional<std::string>, std::optional<WindowPos>>>{
           {"WorkDir=   /data/   \r\n", "/data/", nowhere},
           {"WorkDir=\r\n", "", nowhere},
           {"WorkDir=/x/\nWorkDir=/y/\n", "/x/", nowhere},
           {"workdir=/data/\r\n", none, nowhere},
           {"\r\nWorkDir=/data/\r\n", none, nowhere},
           {"", none, nowhere},
           {"WorkDir=/x/\r\nPosition=1040,-3\r\n", "/x/", WindowPos{1040, -3}},
           {"WorkDir=\nPosition= 7,8 \n", "", WindowPos{7, 8}},
           {"WorkDir=/x/\r\nPosition=7\r\n", "/x/", nowhere},
           {"WorkDir=/x/\r\nPosition=7,8x\r\n", "/x/", nowhere},
           {"Position=7,8\r\n", none, nowhere},
           {"WorkDir=/x/\r\n\r\nPosition=7,8\r\n", "/x/", nowhere}}) {
    const tavrix::Settings read = ReadSettings(Write(text, "s.ini"));
    EXPECT_EQ(read.workDir, workDir) << text;
    EXPECT_EQ(read.position, position) << text;
  }
}

TEST_F(Settings, WritesTheFolderAndThePosition) {
  ASSERT_TRUE(WriteSettings(PathOf("t.ini"), "/home/me/data/", WindowPos{1040, 0}));
  EXPECT_EQ(Read(PathOf("t.ini")), "WorkDir=/home/me/data/\r\nPosition=1040,0\r\n");
  EXPECT_FALSE(WriteSettings(PathOf("no/such/folder/t.ini"), "x", std::nullopt));
}

TEST_F(Settings, TheTemplateIsFoundBesideTheProgramThenInTheDataFolderThenAtHome) {
  const std::string bin = PathOf("usr/bin") + "/";
  const std::string home = PathOf("home") + "/";
  EXPECT_EQ(FindTemplate(bin, home), "");
  // Each one found before those made earlier.
  for (const std::string folder : {"home", "usr/share/tavrix", "usr/bin"}) {
    std::filesystem::create_directories(dir_ / folder);
    const std::string made = Write("x", folder + "/Tavrix.xls");
    EXPECT_EQ(FindTemplate(bin, home), made);
  }
}

TEST(CommandLine, LimitsOption) {
  for (const char* yes : {"/ie", "/IE", "x/ie", "/ie/y", "--ie", "file.ods --ie"})
    EXPECT_TRUE(NoLimitsFromCommandLine(yes)) << yes;
  for (const char* no : {"", "/ie2", "/ie /y", "ie", "--iex"})
    EXPECT_FALSE(NoLimitsFromCommandLine(no)) << no;
}

}  // namespace
}  // namespace tavrix
