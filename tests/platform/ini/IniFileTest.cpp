#include "platform/ini/IniFile.h"

#include "tests/platform/ini/TemporaryDirectory.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using testing::TemporaryDirectory;

constexpr char sample[] = "; settings\n"
                          "top=outside any section\n"
                          "[ConfigInfo]\n"
                          "Unit=C\n"
                          "  ReadInterval  =  5  \n"
                          "Empty=\n"
                          "Quoted=\"  kept blanks  \"\n"
                          "Single='x'\n"
                          "Lone=\"x\n"
                          "; Commented=1\n"
                          "Twice=first\n"
                          "TWICE=second\n"
                          "Row=a=b|^|c\n"
                          "\n"
                          "[Other]\n"
                          "Unit=F\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, GivesTheValueOrTheFallback) {
    const IniFile file = IniFile::FromText(sample);
    EXPECT_EQ(file.GetString(GetParam().section, GetParam().key, "fallback"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        ReadCase{"ConfigInfo", "Unit", "C"}, ReadCase{"configinfo", "UNIT", "C"},
        ReadCase{" ConfigInfo ", " Unit ", "C"}, ReadCase{"Other", "Unit", "F"},
        ReadCase{"ConfigInfo", "ReadInterval", "5"}, ReadCase{"ConfigInfo", "Empty", ""},
        ReadCase{"ConfigInfo", "Quoted", "  kept blanks  "}, ReadCase{"ConfigInfo", "Single", "x"},
        ReadCase{"ConfigInfo", "Lone", "\"x"}, ReadCase{"ConfigInfo", "; Commented", "fallback"},
        ReadCase{"ConfigInfo", "Twice", "first"}, ReadCase{"ConfigInfo", "Row", "a=b|^|c"},
        ReadCase{"ConfigInfo", "Missing", "fallback"}, ReadCase{"Missing", "Unit", "fallback"},
        ReadCase{"ConfigInfo", "top", "fallback"}),
    [](const auto& info) {
        return testing::CaseName(std::string(info.param.key) + " in " + info.param.section);
    });

TEST(IniFile, ReadsWindowsLineEndsAndAByteOrderMark) {
    const IniFile file =
        IniFile::FromText("\xEF\xBB\xBF[ConfigInfo]\r\nUnit=F\r\nPath=C:\\x\\\r\n");
    EXPECT_EQ(file.GetString("ConfigInfo", "Unit", "C"), "F");
    EXPECT_EQ(file.GetString("ConfigInfo", "Path", ""), "C:\\x\\");
}

TEST(IniFile, CutsValuesAndFallbacksAt259Bytes) {
    const std::string longValue(300, 'v');
    const IniFile file = IniFile::FromText("[S]\nkey=" + longValue + "\n");
    EXPECT_EQ(file.GetString("S", "key", ""), std::string(259, 'v'));
    EXPECT_EQ(file.GetString("S", "absent", longValue), std::string(259, 'v'));
    EXPECT_EQ(file.GetString("S", "key", "", std::string::npos), longValue);

    // A two-byte character across the limit is dropped whole, not split.
    const std::string accented = std::string(258, 'a') + "\xC3\xA9" + "b";
    EXPECT_EQ(IniFile::FromText("[S]\nkey=" + accented).GetString("S", "key", ""),
              std::string(258, 'a'));
}

TEST(IniFile, WritingAnEmptyDocumentCreatesSectionAndKey) {
    IniFile file;
    ASSERT_TRUE(file.SetString("ConfigInfo", "Unit", "C"));
    ASSERT_TRUE(file.SetString("ConfigInfo", "ReadInterval", "5"));
    EXPECT_EQ(file.Text(), "[ConfigInfo]\nUnit=C\nReadInterval=5\n");
}

TEST(IniFile, WritingKeepsEveryOtherLineInPlace) {
    IniFile file = IniFile::FromText(sample);
    ASSERT_TRUE(file.SetString("configinfo", "unit", "F"));
    ASSERT_TRUE(file.SetString("ConfigInfo", "Added", "1"));
    ASSERT_TRUE(file.SetString("Other", "Added", "2"));
    ASSERT_TRUE(file.SetString("New", "Key", "3"));
    EXPECT_EQ(file.Text(), "; settings\n"
                           "top=outside any section\n"
                           "[ConfigInfo]\n"
                           "Unit=F\n"
                           "  ReadInterval  =  5  \n"
                           "Empty=\n"
                           "Quoted=\"  kept blanks  \"\n"
                           "Single='x'\n"
                           "Lone=\"x\n"
                           "; Commented=1\n"
                           "Twice=first\n"
                           "TWICE=second\n"
                           "Row=a=b|^|c\n"
                           "Added=1\n"
                           "\n"
                           "[Other]\n"
                           "Unit=F\n"
                           "Added=2\n"
                           "[New]\n"
                           "Key=3\n");
}

TEST(IniFile, RewriteKeepsTheFileLineEnds) {
    IniFile crlf = IniFile::FromText("[S]\r\na=1\r\n\r\n[T]\r\nb=2");
    ASSERT_TRUE(crlf.SetString("S", "a", "9"));
    ASSERT_TRUE(crlf.SetString("S", "c", "3"));
    ASSERT_TRUE(crlf.SetString("T", "d", "4"));
    EXPECT_EQ(crlf.Text(), "[S]\r\na=9\r\nc=3\r\n\r\n[T]\r\nb=2\r\nd=4\r\n");

    // Untouched lines keep their own ends even in a mixed file.
    IniFile mixed = IniFile::FromText("[S]\na=1\r\nb=2\n");
    ASSERT_TRUE(mixed.SetString("S", "b", "3"));
    EXPECT_EQ(mixed.Text(), "[S]\na=1\r\nb=3\n");
}

TEST(IniFile, ALoneCarriageReturnEndsLinesInAFileWithoutLineFeeds) {
    IniFile file = IniFile::FromText("[ConfigInfo]\rUnit=F\rReadInterval=7\r");
    EXPECT_EQ(file.GetString("ConfigInfo", "Unit", "C"), "F");
    EXPECT_EQ(file.GetString("ConfigInfo", "ReadInterval", "5"), "7");
    ASSERT_TRUE(file.SetString("ConfigInfo", "Unit", "C"));
    ASSERT_TRUE(file.SetString("ConfigInfo", "TSCT", "0"));
    ASSERT_TRUE(file.SetString("Extensions", "On", "1"));
    EXPECT_EQ(file.Text(), "[ConfigInfo]\rUnit=C\rReadInterval=7\rTSCT=0\r[Extensions]\rOn=1\r");

    // Where lines end with LF, a CR inside a line stays part of it.
    const IniFile mixed = IniFile::FromText("[S]\na=1\rb=2\n");
    EXPECT_EQ(mixed.GetString("S", "b", "absent"), "absent");
    EXPECT_EQ(mixed.Text(), "[S]\na=1\rb=2\n");
}

TEST(IniFile, LookupsStayRightWhileKeysAreAddedToEarlierSections) {
    IniFile file = IniFile::FromText("[A]\nx=1\n\n[B]\ny=2\n[a]\nz=3\n");
    for (const char* key : {"k1", "k2", "k3"}) {
        ASSERT_TRUE(file.SetString("A", key, key));
        EXPECT_EQ(file.GetString("B", "y", ""), "2");
        EXPECT_EQ(file.GetString("A", "x", ""), "1");
    }
    ASSERT_TRUE(file.SetString("b", "Y", "5"));
    ASSERT_TRUE(file.SetString("A", "k2", "changed"));
    // A repeated section is never read: the first of its name holds the keys.
    EXPECT_EQ(file.GetString("A", "z", "absent"), "absent");
    EXPECT_EQ(file.Text(), "[A]\nx=1\nk1=k1\nk2=changed\nk3=k3\n\n[B]\ny=5\n[a]\nz=3\n");
}

TEST(IniFile, LineBreaksInAValueCannotAddKeys) {
    IniFile file;
    ASSERT_TRUE(file.SetString("S", "subject", "alarm\r\nUnit=F"));
    EXPECT_EQ(file.GetString("S", "subject", ""), "alarm  Unit=F");
    EXPECT_EQ(file.GetString("S", "Unit", "absent"), "absent");
}

TEST(IniFile, RefusesNamesThatCouldNotBeReadBack) {
    IniFile file = IniFile::FromText("[S]\na=1\n");
    for (const auto& [section, key] :
         {std::pair{"", "k"}, std::pair{"S", ""}, std::pair{"a]b", "k"}, std::pair{"S", "a=b"},
          std::pair{"S", "a\nb"}, std::pair{"S", "[k]"}, std::pair{"S", ";k"}}) {
        EXPECT_FALSE(file.SetString(section, key, "v")) << section << " / " << key;
    }
    EXPECT_EQ(file.Text(), "[S]\na=1\n");
}

class IniFileOnDisk : public ::testing::Test {
protected:
    TemporaryDirectory directory;
    const std::filesystem::path path = directory / "Config.ini";
};

TEST_F(IniFileOnDisk, MissingFileLoadsEmptyAndSaveCreatesIt) {
    IniFile file;
    EXPECT_TRUE(file.Load(path));
    EXPECT_EQ(file.GetString("S", "k", "default"), "default");
    ASSERT_TRUE(file.SetString("S", "k", "v"));
    ASSERT_TRUE(file.Save(path));
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), "[S]\nk=v\n");
}

TEST_F(IniFileOnDisk, SingleKeyCallsReadAndWriteTheFile) {
    EXPECT_EQ(ReadProfileString("S", "k", "default", path), "default");
    ASSERT_TRUE(WriteProfileString("S", "a", "1", path));
    ASSERT_TRUE(WriteProfileString("S", "b", "2", path));
    EXPECT_EQ(ReadProfileString("s", "A", "default", path), "1");
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), "[S]\na=1\nb=2\n");
}

TEST_F(IniFileOnDisk, AFileBeyondTheCapIsNeitherReadNorOverwritten) {
    const std::string text = "[S]\nk=v\n" + std::string(iniFileLimit, '\n');
    TemporaryDirectory::WriteFile(path, text);
    IniFile file;
    EXPECT_FALSE(file.Load(path));
    EXPECT_EQ(file.GetString("S", "k", "default"), "default");
    EXPECT_FALSE(WriteProfileString("S", "k", "new", path));
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), text);

    TemporaryDirectory::WriteFile(path, text.substr(text.size() - iniFileLimit));
    EXPECT_TRUE(file.Load(path)) << "a file of the cap's size is read";
}

TEST_F(IniFileOnDisk, AFileThatCannotBeReadIsNeitherReadNorOverwritten) {
    std::filesystem::create_directory(path);
    IniFile file;
    EXPECT_FALSE(file.Load(path));
    EXPECT_EQ(file.GetString("S", "k", "default"), "default");
    EXPECT_FALSE(WriteProfileString("S", "k", "v", path));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

} // namespace
} // namespace kelvo
