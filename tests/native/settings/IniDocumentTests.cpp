#include "settings/IniDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace mirulo::settings {
namespace {

using namespace std::string_literals;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string WithBom(std::string_view text) {
    return std::string(kBom) + std::string(text);
}

struct LookupCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

class IniLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsTheValueTheFileMeans) {
    const LookupCase& c = GetParam();
    const IniDocument document = IniDocument::Parse(c.file);
    const std::optional<std::string_view> value = document.FindValue(c.section, c.key);
    if (c.expected) {
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, *c.expected);
    } else {
        EXPECT_FALSE(value.has_value()) << "found: " << *value;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ReadingRules, IniLookup,
    testing::Values(
        LookupCase{"WithBom", WithBom("[System]\r\nFolder=C:\\a\r\n"), "System", "Folder", "C:\\a"},
        LookupCase{"WithoutBom", "[System]\r\nFolder=C:\\a\r\n", "System", "Folder", "C:\\a"},
        LookupCase{"LfLineEnds", "[System]\nA=1\nFolder=x\n", "System", "Folder", "x"},
        LookupCase{"CrLineEnds", "[System]\rA=1\rFolder=x\r", "System", "Folder", "x"},
        LookupCase{"MixedLineEnds", "[System]\r\nA=1\rB=2\nFolder=x", "System", "Folder", "x"},
        LookupCase{"CrCrIsTwoLines", "[System]\r\rFolder=x", "System", "Folder", "x"},
        LookupCase{"LastLineWithoutEnd", "[System]\r\nFolder=x", "System", "Folder", "x"},
        LookupCase{"BlanksAroundLineAndEquals", "  [System]  \r\n \t Folder \t=  C:\\a b  \r\n", "System",
                   "Folder", "C:\\a b"},
        LookupCase{"SectionNameTrimmed", "[  System  ]\r\nFolder=x", "System", "Folder", "x"},
        LookupCase{"SectionCaseIgnored", "[SYSTEM]\r\nFolder=x", "system", "Folder", "x"},
        LookupCase{"KeyCaseIgnored", "[System]\r\nfOLDER=x", "System", "Folder", "x"},
        LookupCase{"EmptyValue", "[System]\r\nFolder=", "System", "Folder", ""},
        LookupCase{"ValueKeepsLaterEquals", "[System]\r\nFolder=a=b = c", "System", "Folder", "a=b = c"},
        LookupCase{"CommentDropped", "[System]\r\n;Folder=x\r\n", "System", "Folder", std::nullopt},
        LookupCase{"IndentedCommentDropped", "[System]\r\n   ;Folder=x\r\n", "System", "Folder",
                   std::nullopt},
        LookupCase{"SemicolonInsideValueKept", "[System]\r\nFolder=a;b", "System", "Folder", "a;b"},
        LookupCase{"LinesBeforeFirstSectionDropped", "Folder=x\r\n[System]\r\n", "System", "Folder",
                   std::nullopt},
        LookupCase{"OtherSectionNotSearched", "[Other]\r\nFolder=x\r\n[System]\r\n", "System", "Folder",
                   std::nullopt},
        LookupCase{"FirstOfDuplicateKeysWins", "[System]\r\nFolder=first\r\nfolder=second", "System",
                   "Folder", "first"},
        LookupCase{"RepeatedSectionContinuesIt", "[System]\r\nA=1\r\n[Other]\r\n[system]\r\nFolder=x",
                   "System", "Folder", "x"},
        LookupCase{"HeaderWithoutBracketIsNoSection", "[System]\r\n[Other\r\nFolder=x", "System", "Folder",
                   "x"},
        LookupCase{"HeaderWithoutBracketIsNoKey", "[System]\r\n[Folder=x", "System", "[Folder", std::nullopt},
        LookupCase{"DamagedFirstHeaderStillNamesItsSection", "[System\r\nFolder=x", "System", "Folder", "x"},
        LookupCase{"FirstHeaderWithCommentBehind", "[ System ] ;mine\r\nFolder=x", "System", "Folder", "x"},
        LookupCase{"FirstHeaderWithTextBehindIsNoHeader", "[System]x\r\nFolder=x", "System", "Folder",
                   std::nullopt},
        LookupCase{"EmptySectionName", "[]\r\nFolder=x", "", "Folder", "x"},
        LookupCase{"LineWithoutEqualsIsNoKey", "[System]\r\nFolder", "System", "Folder", std::nullopt},
        LookupCase{"JapanesePath", "[System]\r\nFolder=D:\\スクリーン ショット\\ミルロ", "System", "Folder",
                   "D:\\スクリーン ショット\\ミルロ"},
        LookupCase{"NonAsciiNamesMatchExactly", "[System]\r\n\xC3\x84=1", "System", "\xC3\xA4", std::nullopt},
        LookupCase{"NulInsideValueKept", "[System]\r\nFolder=a\0b"s, "System", "Folder", "a\0b"s},
        LookupCase{"NulAroundLineTrimmed", "[System]\r\n\0\0Folder=x\0\r\n\0\0\0"s, "System", "Folder", "x"},
        LookupCase{"EmptyFile", "", "System", "Folder", std::nullopt},
        LookupCase{"BomAlone", std::string(kBom), "System", "Folder", std::nullopt}),
    [](const testing::TestParamInfo<LookupCase>& testCase) { return std::string(testCase.param.name); });

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

class IniInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ParsesDecimalAndHexWithin32Bits) {
    EXPECT_EQ(ParseIniInteger(GetParam().text), GetParam().expected) << "text: \"" << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    IntegerRule, IniInteger,
    testing::Values(IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"-5", -5}, IntegerCase{"+7", 7},
                    IntegerCase{"007", 7}, IntegerCase{"-0", 0}, IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"2147483648", std::nullopt},
                    IntegerCase{"-2147483649", std::nullopt},
                    IntegerCase{"99999999999999999999999", std::nullopt}, IntegerCase{"0x10", 16},
                    IntegerCase{"0X1f", 31}, IntegerCase{"0x0000000010", 16},
                    IntegerCase{"0x7FFFFFFF", 2147483647}, IntegerCase{"0x80000000", std::nullopt},
                    IntegerCase{"0xFFFFFFFFFFFFFFFFFF", std::nullopt}, IntegerCase{"0x", std::nullopt},
                    IntegerCase{"0x1g", std::nullopt}, IntegerCase{"0x-1", std::nullopt},
                    IntegerCase{"-0x10", std::nullopt}, IntegerCase{"", std::nullopt},
                    IntegerCase{"-", std::nullopt}, IntegerCase{"+", std::nullopt},
                    IntegerCase{"abc", std::nullopt}, IntegerCase{"1.5", std::nullopt},
                    IntegerCase{"12abc", std::nullopt}, IntegerCase{" 5", std::nullopt},
                    IntegerCase{"5 ", std::nullopt}, IntegerCase{"1e3", std::nullopt},
                    IntegerCase{"$10", std::nullopt}, IntegerCase{"\xEF\xBC\x91", std::nullopt}));

TEST(IniTypedRead, MissingOrGarbageGivesTheDefault) {
    const IniDocument document =
        IniDocument::Parse("[System]\r\nTop=-5\r\nHex=0x10\r\nBad=abc\r\nEmpty=\r\nBig=4294967296\r\n");
    EXPECT_EQ(document.ReadInteger("System", "Top", 99), -5);
    EXPECT_EQ(document.ReadInteger("System", "Hex", 99), 16);
    EXPECT_EQ(document.ReadInteger("System", "Bad", 99), 99);
    EXPECT_EQ(document.ReadInteger("System", "Empty", 99), 99);
    EXPECT_EQ(document.ReadInteger("System", "Big", 99), 99);
    EXPECT_EQ(document.ReadInteger("System", "Missing", 99), 99);
    EXPECT_EQ(document.ReadInteger("Missing", "Top", 99), 99);
    EXPECT_EQ(document.ReadString("System", "Missing", "fallback"), "fallback");
    EXPECT_EQ(document.ReadString("System", "Empty", "fallback"), "");
}

TEST(IniTypedRead, BooleanIsAnyIntegerButZero) {
    const IniDocument document =
        IniDocument::Parse("[System]\r\nOne=1\r\nZero=0\r\nTwo=2\r\nMinus=-1\r\nHexZero=0x0\r\nBad=yes\r\n");
    EXPECT_TRUE(document.ReadBool("System", "One", false));
    EXPECT_FALSE(document.ReadBool("System", "Zero", true));
    EXPECT_TRUE(document.ReadBool("System", "Two", false));
    EXPECT_TRUE(document.ReadBool("System", "Minus", false));
    EXPECT_FALSE(document.ReadBool("System", "HexZero", true));
    EXPECT_TRUE(document.ReadBool("System", "Bad", true));
    EXPECT_FALSE(document.ReadBool("System", "Bad", false));
    EXPECT_TRUE(document.ReadBool("System", "Missing", true));
    EXPECT_FALSE(document.ReadBool("System", "Missing", false));
}

TEST(IniParse, RejectsBytesThatAreNotUtf8) {
    const std::string badInputs[] = {
        "\xFF",
        "[System]\r\nFolder=\xC3",                 // cut-off sequence
        "[System]\r\nFolder=\xC0\xAF",             // overlong "/"
        "[System]\r\nFolder=\xED\xA0\x80",         // UTF-16 surrogate
        "[System]\r\nFolder=C:\\\x83\x58\x83\x4E", // Shift_JIS text
        WithBom("\x80"),
    };
    for (const std::string& bytes : badInputs) {
        EXPECT_THROW(IniDocument::Parse(bytes), IniEncodingError) << testing::PrintToString(bytes);
    }
}

struct WriteCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after; // without the BOM
};

class IniWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ProducesExactBytes) {
    const WriteCase& c = GetParam();
    IniDocument document = IniDocument::Parse(c.before);
    document.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(document.Serialize(), WithBom(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    WritingRules, IniWrite,
    testing::Values(
        WriteCase{"IntoEmptyDocument", "", "System", "Folder", "C:\\a", "[System]\r\nFolder=C:\\a\r\n\r\n"},
        WriteCase{"ExistingKeyKeepsPlaceWithNewSpelling", "[system]\nA=1\n  folder = old \nB=2\n", "System",
                  "Folder", "new", "[system]\r\nA=1\r\nFolder=new\r\nB=2\r\n\r\n"},
        WriteCase{"NewKeyAtEndOfItsSection", "[System]\nA=1\n[Other]\nB=2\n", "System", "C", "3",
                  "[System]\r\nA=1\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n\r\n"},
        WriteCase{"MissingSectionAppended", "[Other]\nB = 2\n", "System", "A", "1",
                  "[Other]\r\nB=2\r\n\r\n[System]\r\nA=1\r\n\r\n"},
        WriteCase{"CommentsBlanksAndPreambleDropped", "A=0\n; note\n[System]\n\n; x\nA = 1\n", "System", "B",
                  "2", "[System]\r\nA=1\r\nB=2\r\n\r\n"},
        WriteCase{"KeylessLinesKeptInPlace", "[System]\nstray text\n[half header\nA=1\n", "System", "A", "2",
                  "[System]\r\nstray text\r\n[half header\r\nA=2\r\n\r\n"},
        WriteCase{"DamagedFirstHeaderKeepsTheUsersLines", "[System\nFolder=D:\\mine\nX=5\n", "System",
                  "Top170", "3", "[System]\r\nFolder=D:\\mine\r\nX=5\r\nTop170=3\r\n\r\n"},
        WriteCase{"FirstDuplicateReplacedLaterOnesKept", "[System]\nA=1\nB=2\na=3\n", "System", "A", "9",
                  "[System]\r\nA=9\r\nB=2\r\na=3\r\n\r\n"},
        WriteCase{"RepeatedSectionsMerged", "[System]\nA=1\n[Other]\nC=3\n[SYSTEM]\nB=2\n", "System", "B",
                  "5", "[System]\r\nA=1\r\nB=5\r\n\r\n[Other]\r\nC=3\r\n\r\n"},
        WriteCase{"EmptySectionKept", "[Empty]\n[System]\nA=1\n", "System", "A", "1",
                  "[Empty]\r\n\r\n[System]\r\nA=1\r\n\r\n"},
        WriteCase{"ValueWithEqualsAndJapanese", "", "System", "Folder", "D:\\a=b\\写真",
                  "[System]\r\nFolder=D:\\a=b\\写真\r\n\r\n"},
        WriteCase{"LineBreaksInValueBecomeSpaces", "", "System", "A", "one\r\ntwo\nthree",
                  "[System]\r\nA=one  two three\r\n\r\n"},
        WriteCase{"ValueTrimmedLikeAReadWouldTrimIt", "", "System", "A", "  padded\t ",
                  "[System]\r\nA=padded\r\n\r\n"},
        WriteCase{"InvalidUtf8InValueReplaced", "", "System", "A", "x\xFFy",
                  "[System]\r\nA=x\xEF\xBF\xBDy\r\n\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& testCase) { return std::string(testCase.param.name); });

TEST(IniWriteValue, StoredValueIsWhatTheNextReadGives) {
    IniDocument document;
    document.WriteString("System", "A", " one\ntwo\xC3 ");
    const IniDocument reread = IniDocument::Parse(document.Serialize());
    EXPECT_EQ(reread, document);
    EXPECT_EQ(document.ReadString("System", "A", {}), reread.ReadString("System", "A", {}));
}

TEST(IniWriteValue, TypedWritesUsePlainDecimalAndOneOrZero) {
    IniDocument document;
    document.WriteInteger("System", "Neg", -2147483647 - 1);
    document.WriteInteger("System", "Pos", 600);
    document.WriteBool("System", "On", true);
    document.WriteBool("System", "Off", false);
    EXPECT_EQ(document.Serialize(),
              WithBom("[System]\r\nNeg=-2147483648\r\nPos=600\r\nOn=1\r\nOff=0\r\n\r\n"));
}

TEST(IniWriteValue, RejectsNamesThatWouldReadBackAsSomethingElse) {
    IniDocument document;
    for (const char* key : {"a=b", ";a", "[a", " a", "a ", "a\nb", "a\rb", "\xFF"}) {
        EXPECT_THROW(document.WriteString("System", key, "1"), std::invalid_argument) << key;
    }
    for (const char* section : {" System", "Sys\ntem", "\xC3"}) {
        EXPECT_THROW(document.WriteString(section, "A", "1"), std::invalid_argument) << section;
    }
    EXPECT_EQ(document, IniDocument());
}

TEST(IniSerialize, EmptyDocumentIsTheBomAlone) {
    EXPECT_EQ(IniDocument().Serialize(), kBom);
    EXPECT_EQ(IniDocument::Parse(std::string(kBom)).Serialize(), kBom);
    EXPECT_EQ(IniDocument::Parse("A=1\r\n; only a preamble\r\n").Serialize(), kBom);
}

// Thousands of keys and a file of about 10 MB: every lookup and every write goes
// through the index, so this finishes at once; a search per key would not.
TEST(IniLargeFile, ManyKeysReadAndWrittenThroughTheIndex) {
    constexpr int kKeys = 200000;
    std::string file = WithBom("[System]\r\n");
    for (int i = 0; i < kKeys; ++i) {
        file += "Key" + std::to_string(i) + " = value " + std::to_string(i) + std::string(30, 'x') + "\r\n";
    }
    ASSERT_GT(file.size(), 10u * 1000 * 1000);

    IniDocument document = IniDocument::Parse(file);
    for (int i = 0; i < kKeys; i += 997) {
        EXPECT_EQ(document.ReadString("System", "key" + std::to_string(i), {}),
                  "value " + std::to_string(i) + std::string(30, 'x'));
    }
    for (int i = 0; i < kKeys; ++i) {
        document.WriteInteger("System", "Key" + std::to_string(i), i);
        document.WriteInteger("System", "New" + std::to_string(i), i);
    }
    const std::vector<IniLine>& lines = document.Sections().at(0).lines;
    ASSERT_EQ(lines.size(), 2u * kKeys);
    EXPECT_EQ(lines[kKeys - 1].key, "Key" + std::to_string(kKeys - 1));
    EXPECT_EQ(lines[kKeys].key, "New0");
    EXPECT_EQ(IniDocument::Parse(document.Serialize()), document);
}

TEST(IniLargeFile, VeryLongLineSurvives) {
    const std::string value(8 * 1024 * 1024, 'v');
    const IniDocument document = IniDocument::Parse("[System]\r\nLong=" + value + "\r\nNext=1");
    EXPECT_EQ(document.ReadString("System", "Long", {}), value);
    EXPECT_EQ(document.ReadInteger("System", "Next", 0), 1);
}

} // namespace
} // namespace mirulo::settings
