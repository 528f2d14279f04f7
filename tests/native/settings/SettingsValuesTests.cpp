#include "settings/SettingsValues.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/SettingsKeys.h"

namespace mirulo::settings {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A 1920x1040 work area with an 800x500 window centred in it.
constexpr ScreenDefaults kScreen{270, 560, 1920, 1040, 0, 0, 800, 500};

IniDocument SystemSection(const std::string& lines) {
    return IniDocument::Parse("[System]\r\n" + lines);
}

// Every value differs from its default and from the others, so a key written
// from the wrong member shows up in the bytes.
SettingsValues DistinctValues() {
    SettingsValues v;
    v.autoCaptureInSeconds = true;
    v.windowTop = 11;
    v.windowLeft = 12;
    v.viewerTop = 13;
    v.viewerLeft = 14;
    v.viewerHeight = 15;
    v.viewerWidth = 16;
    v.saveFolder = "D:\\キャプチャ";
    v.fixedRangeLeft = 21;
    v.fixedRangeTop = 22;
    v.fixedRangeHeight = 23;
    v.fixedRangeWidth = 24;
    v.fixedRangeKey = 31;
    v.fixedRangeModifier = 32;
    v.pickedRangeKey = 33;
    v.pickedRangeModifier = 34;
    v.fullScreenKey = kNoSelection;
    v.fullScreenModifier = 36;
    v.formatChoice = 1;
    v.autoCapturePeriodChoice = 7;
    v.autoCaptureOn = true;
    v.soundOn = true;
    v.soundPath = "C:\\Mirulo\\mp3\\03\\シャッター.mp3";
    v.sizeCapOn = true;
    v.sizeCapMegabytes = 250;
    v.fixedRangeToClipboard = true;
    v.pickedRangeToClipboard = false;
    v.fullScreenToClipboard = true;
    v.paintEditorChosen = false;
    v.ownEditorChosen = true;
    v.editorPath = "C:\\Tools\\paint.exe";
    v.startGameClient = true;
    v.gameClientPath = "C:\\Game\\client.exe";
    v.randomSound = true;
    v.soundCategories = {false, true, false, true, false, false, false, false, true, false};
    v.trayIconWhenMinimised = true;
    v.startMinimised = false;
    v.businessMode = true;
    return v;
}

std::string ExpectedFile(bool withSound) {
    std::string file(kBom);
    file += "[System]\r\n"
            "Top170=11\r\n"
            "Left170=12\r\n"
            "chk_TrayIcon=1\r\n"
            "chk_Minimized=0\r\n"
            "cb_IllustNotShow=1\r\n"
            "blTimerSecMode=1\r\n"
            "bl_chkRND=1\r\n"
            "bl_chkRND01=0\r\n"
            "bl_chkRND02=1\r\n"
            "bl_chkRND03=0\r\n"
            "bl_chkRND04=1\r\n"
            "bl_chkRND05=0\r\n"
            "bl_chkRND06=0\r\n"
            "bl_chkRND07=0\r\n"
            "bl_chkRND08=0\r\n"
            "bl_chkRND09=1\r\n"
            "bl_chkRND10=0\r\n"
            "ExecUOEnabled=1\r\n"
            "FolderCapacityEnabled=1\r\n"
            "rd_GrEdit1=0\r\n"
            "rd_GrEdit2=1\r\n"
            "SoundEnabled=1\r\n"
            "TimerEnabled=1\r\n"
            "ToClipboard1Enabled=1\r\n"
            "ToClipboard2Enabled=0\r\n"
            "ToClipboard3Enabled=1\r\n"
            "ifrmView_Top=13\r\n"
            "ifrmView_Left=14\r\n"
            "ifrmView_Height=15\r\n"
            "ifrmView_Width=16\r\n"
            "Folder=D:\\キャプチャ\r\n"
            "X=21\r\n"
            "Y=22\r\n"
            "H=23\r\n"
            "W=24\r\n"
            "Key1Number=31\r\n"
            "Key1AddNumber=32\r\n"
            "Key2Number=33\r\n"
            "Key2AddNumber=34\r\n"
            "Key3Number=-1\r\n"
            "Key3AddNumber=36\r\n"
            "PNGorJPGNumber=1\r\n"
            "TimerNumber=7\r\n";
    if (withSound) {
        file += "SoundName=C:\\Mirulo\\mp3\\03\\シャッター.mp3\r\n";
    }
    file += "FolderCapacitySize=250\r\n"
            "EditorAppPath=C:\\Tools\\paint.exe\r\n"
            "ExecUOApp=C:\\Game\\client.exe\r\n"
            "\r\n";
    return file;
}

TEST(WriteSettings, FreshFileHasEveryKeyInWritingOrder) {
    for (const bool soundSelected : {true, false}) {
        IniDocument document;
        WriteSettings(document, DistinctValues(), soundSelected);
        EXPECT_EQ(document.Serialize(), ExpectedFile(soundSelected)) << "sound selected: " << soundSelected;
    }
}

TEST(WriteSettings, WithoutSelectedSoundStoredSoundNameStaysInPlace) {
    IniDocument document = SystemSection("SoundName=C:\\old.mp3\r\nTop170=1\r\n");
    SettingsValues values = DistinctValues();
    values.soundPath = "C:\\new.mp3";
    WriteSettings(document, values, false);
    EXPECT_EQ(document.ReadString(keys::kSection, keys::kSoundName, {}), "C:\\old.mp3");
    EXPECT_EQ(document.Sections().at(0).lines.at(0).key, "SoundName");

    WriteSettings(document, values, true);
    EXPECT_EQ(document.ReadString(keys::kSection, keys::kSoundName, {}), "C:\\new.mp3");
    EXPECT_EQ(document.Sections().at(0).lines.at(0).key, "SoundName");
}

TEST(WriteSettings, SoundNameAddedLaterComesLast) {
    IniDocument document;
    WriteSettings(document, DistinctValues(), false);
    WriteSettings(document, DistinctValues(), true);
    const IniSection& section = document.Sections().at(0);
    EXPECT_EQ(section.lines.back().key, "SoundName");
}

TEST(WriteSettings, KeysStoredInOtherCaseKeepPlaceAndOtherSectionsSurvive) {
    IniDocument document = IniDocument::Parse("[Mine]\r\nnote=keep me\r\n\r\n[system]\r\nfolder=C:\\old\r\n");
    WriteSettings(document, DistinctValues(), true);
    const std::string bytes = document.Serialize();
    const std::string start =
        std::string(kBom) +
        "[Mine]\r\nnote=keep me\r\n\r\n[system]\r\nFolder=D:\\キャプチャ\r\nTop170=11\r\n";
    EXPECT_EQ(bytes.substr(0, start.size()), start);
    EXPECT_EQ(IniDocument::Parse(bytes), document);
}

// A run that began on the defaults because the file could not be read, writing
// once the file can be read again: the file's values are the user's.
TEST(WriteChangedSettings, OnlyWhatTheRunChangedGoesOverTheFilesValues) {
    IniDocument document =
        SystemSection("Key1Number=5\r\nPNGorJPGNumber=1\r\nmine=kept\r\nSoundName=C:\\a.mp3\r\n");
    const SettingsValues started = ReadSettings(IniDocument(), kScreen);
    SettingsValues now = started;
    now.fixedRangeToClipboard = true; // ticked by the user in this run
    now.soundPath = "C:\\b.mp3";
    std::set<std::string> changed;
    WriteChangedSettings(document, now, started, false, changed);
    EXPECT_EQ(document.ReadInteger(keys::kSection, keys::kKey1Number, -9), 5) << "the file's own value stays";
    EXPECT_EQ(document.ReadInteger(keys::kSection, keys::kPngOrJpgNumber, -9), 1);
    EXPECT_EQ(document.ReadString(keys::kSection, "mine", {}), "kept");
    EXPECT_EQ(document.ReadString(keys::kSection, keys::kSoundName, {}), "C:\\a.mp3") << "no sound selected";
    EXPECT_TRUE(document.ReadBool(keys::kSection, keys::kToClipboard1Enabled, false)) << "the user's change";
    EXPECT_EQ(document.ReadInteger(keys::kSection, keys::kTimerNumber, -9), 3)
        << "a missing key gets its value";
    EXPECT_EQ(document.Sections().at(0).lines.at(0).key, "Key1Number") << "kept keys keep their places";

    // Set back to the value the run began with: still the user's choice.
    now.fixedRangeToClipboard = false;
    WriteChangedSettings(document, now, started, false, changed);
    EXPECT_FALSE(document.ReadBool(keys::kSection, keys::kToClipboard1Enabled, true));
    EXPECT_EQ(document.ReadInteger(keys::kSection, keys::kKey1Number, -9), 5);

    // Into an empty file (the old one is gone): every key, as a fresh file.
    IniDocument fresh;
    WriteChangedSettings(fresh, now, started, true, changed);
    IniDocument expected;
    WriteSettings(expected, now, true);
    EXPECT_EQ(fresh.Serialize(), expected.Serialize());
}

TEST(ReadSettings, EmptyFileGivesDefaults) {
    const SettingsValues values = ReadSettings(IniDocument(), kScreen);
    SettingsValues expected;
    expected.windowTop = kScreen.centredTop;
    expected.windowLeft = kScreen.centredLeft;
    expected.viewerTop = kScreen.centredTop;
    expected.viewerLeft = kScreen.centredLeft;
    EXPECT_EQ(values, expected);
    EXPECT_EQ(values.autoCapturePeriodChoice, 3);
    EXPECT_EQ(values.sizeCapMegabytes, 100);
    EXPECT_EQ(values.viewerHeight, 600);
    EXPECT_EQ(values.viewerWidth, 800);
    EXPECT_TRUE(values.paintEditorChosen);
    EXPECT_TRUE(values.soundCategories[9]);
    EXPECT_FALSE(values.soundCategories[0]);
}

TEST(ReadSettings, WhatWasWrittenReadsBack) {
    IniDocument document;
    const SettingsValues written = DistinctValues();
    WriteSettings(document, written, true);
    EXPECT_EQ(ReadSettings(IniDocument::Parse(document.Serialize()), kScreen), written);
}

struct PositionCase {
    const char* stored;
    std::int32_t expected;
};

class StoredPosition : public testing::TestWithParam<PositionCase> {};

TEST_P(StoredPosition, TopIsCorrectedAgainstWorkAreaHeight) {
    const SettingsValues values =
        ReadSettings(SystemSection(std::string("Top170=") + GetParam().stored), kScreen);
    EXPECT_EQ(values.windowTop, GetParam().expected);
    EXPECT_EQ(values.viewerTop, GetParam().expected) << "viewer follows the corrected top";
    EXPECT_EQ(values.windowLeft, kScreen.centredLeft);
}

INSTANTIATE_TEST_SUITE_P(Correction, StoredPosition,
                         testing::Values(PositionCase{"-5", kScreen.centredTop}, PositionCase{"0", 0},
                                         PositionCase{"0x10", 16}, PositionCase{"abc", kScreen.centredTop},
                                         PositionCase{"540", 540}, PositionCase{"541", 540},
                                         PositionCase{"1040", 540}, PositionCase{"1041", kScreen.centredTop},
                                         PositionCase{"1500", kScreen.centredTop}));

TEST(CorrectWindowPosition, LeftIsCheckedAgainstWidthIndependentlyOfTop) {
    EXPECT_EQ(CorrectWindowPosition({5, -1}, kScreen), (WindowPosition{5, kScreen.centredLeft}));
    EXPECT_EQ(CorrectWindowPosition({5, 1920}, kScreen), (WindowPosition{5, 1120}))
        << "brought back onto the screen";
    EXPECT_EQ(CorrectWindowPosition({5, 1921}, kScreen), (WindowPosition{5, kScreen.centredLeft}));
    EXPECT_EQ(CorrectWindowPosition({1500, 1500}, kScreen), (WindowPosition{kScreen.centredTop, 1120}));
}

TEST(CorrectWindowPosition, AWindowUnderATaskBarOnTheTopOrLeftEdgeComesOutFromUnderIt) {
    struct Case {
        ScreenDefaults screen;
        WindowPosition stored;
        WindowPosition expected;
    };
    // The work area of a 1920x1080 screen with a 40-pixel task bar on one edge.
    constexpr ScreenDefaults kBarOnTop{270, 560, 1920, 1040, 0, 40, 800, 500};
    constexpr ScreenDefaults kBarOnLeft{290, 540, 1880, 1080, 40, 0, 800, 500};
    for (const Case& c :
         {Case{kBarOnTop, {170, 170}, {170, 170}}, Case{kBarOnTop, {10, 170}, {40, 170}},
          Case{kBarOnTop, {1000, 170}, {580, 170}}, Case{kBarOnLeft, {170, 170}, {170, 170}},
          Case{kBarOnLeft, {170, 0}, {170, 40}}, Case{kBarOnLeft, {170, 1500}, {170, 1120}}}) {
        EXPECT_EQ(CorrectWindowPosition(c.stored, c.screen), c.expected)
            << c.stored.top << "," << c.stored.left << " in a work area at " << c.screen.workAreaLeft << ","
            << c.screen.workAreaTop;
    }
    // Larger than the work area: its top-left corner stays on it.
    EXPECT_EQ(CorrectWindowPosition({300, 300}, ScreenDefaults{0, 0, 600, 400, 0, 40, 800, 500}),
              (WindowPosition{40, 0}));
}

TEST(ReadSettings, StoredViewerPlacementIsTakenAsItIs) {
    const SettingsValues values =
        ReadSettings(SystemSection("Top170=-5\r\nifrmView_Top=-300\r\nifrmView_Left=5000\r\n"), kScreen);
    EXPECT_EQ(values.windowTop, kScreen.centredTop);
    EXPECT_EQ(values.viewerTop, -300);
    EXPECT_EQ(values.viewerLeft, 5000);
}

struct CategoryCase {
    const char* name;
    std::string lines;
    std::array<bool, 10> expected;
};

class SoundCategories : public testing::TestWithParam<CategoryCase> {};

TEST_P(SoundCategories, AtLeastOneIsChosen) {
    EXPECT_EQ(ReadSettings(SystemSection(GetParam().lines), kScreen).soundCategories, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, SoundCategories,
    testing::Values(
        CategoryCase{"TenthMissingMeansTenthOn",
                     "bl_chkRND01=0\r\n",
                     {false, false, false, false, false, false, false, false, false, true}},
        CategoryCase{"AllTenOffTurnsOnFirst",
                     "bl_chkRND01=0\r\nbl_chkRND02=0\r\nbl_chkRND03=0\r\nbl_chkRND04=0\r\nbl_chkRND05=0\r\n"
                     "bl_chkRND06=0\r\nbl_chkRND07=0\r\nbl_chkRND08=0\r\nbl_chkRND09=0\r\nbl_chkRND10=0\r\n",
                     {true, false, false, false, false, false, false, false, false, false}},
        CategoryCase{"OneChosenIsLeftAlone",
                     "bl_chkRND05=1\r\nbl_chkRND10=0\r\n",
                     {false, false, false, false, true, false, false, false, false, false}}),
    [](const testing::TestParamInfo<CategoryCase>& testCase) { return std::string(testCase.param.name); });

TEST(SoundCategories, ForcedFirstCategoryIsStoredByTheNextWrite) {
    IniDocument document = SystemSection("bl_chkRND10=0\r\n");
    WriteSettings(document, ReadSettings(document, kScreen), false);
    EXPECT_EQ(document.ReadString(keys::kSection, "bl_chkRND01", {}), "1");
}

TEST(ReadSettings, UnreadableIntegersFallBackToTheirDefaults) {
    const SettingsValues values =
        ReadSettings(SystemSection("FolderCapacitySize=abc\r\nTimerNumber=\r\nifrmView_Width=0x\r\n"
                                   "rd_GrEdit1=yes\r\nX=12.5\r\n"),
                     kScreen);
    EXPECT_EQ(values.sizeCapMegabytes, 100);
    EXPECT_EQ(values.autoCapturePeriodChoice, 3);
    EXPECT_EQ(values.viewerWidth, 800);
    EXPECT_TRUE(values.paintEditorChosen);
    EXPECT_EQ(values.fixedRangeLeft, 0);
}

TEST(XYWHCaption, ListsWidthBeforeHeight) {
    EXPECT_EQ(XYWHCaption(10, 20, 640, 480), "[X]10 [Y]20 [幅]640 [高]480");
    EXPECT_EQ(XYWHCaption(-1920, 0, 0, 0), "[X]-1920 [Y]0 [幅]0 [高]0");
}

TEST(FolderCapacitySizeFromText, NonIntegerTextGivesHundred) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"250", 250},
        {" 50 ", 50},
        {"0x20", 32},
        {"-1", -1},
        {"", 100},
        {"abc", 100},
        {"1.5", 100},
        {"99999999999", 100},
        {"\xEF\xBC\x91\xEF\xBC\x90", 100},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(FolderCapacitySizeFromText(text), expected) << text;
    }
}

} // namespace
} // namespace mirulo::settings
