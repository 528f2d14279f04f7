#include "settings/SettingsValues.h"

#include <algorithm>

#include "settings/SettingsKeys.h"

namespace mirulo::settings {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

WindowPosition CorrectWindowPosition(WindowPosition stored, const ScreenDefaults& screen) {
    WindowPosition corrected = stored;
    if (stored.top < 0 || stored.top > screen.workAreaHeight) {
        corrected.top = screen.centredTop;
    }
    if (stored.left < 0 || stored.left > screen.workAreaWidth) {
        corrected.left = screen.centredLeft;
    }
    const auto onto = [](std::int32_t place, std::int32_t start, std::int32_t length, std::int32_t size) {
        return std::max(start, std::min(place, start + length - size));
    };
    corrected.top = onto(corrected.top, screen.workAreaTop, screen.workAreaHeight, screen.windowHeight);
    corrected.left = onto(corrected.left, screen.workAreaLeft, screen.workAreaWidth, screen.windowWidth);
    return corrected;
}

void EnsureSoundCategoryChosen(std::array<bool, 10>& categories) {
    if (std::none_of(categories.begin(), categories.end(), [](bool chosen) { return chosen; })) {
        categories[0] = true;
    }
}

std::string XYWHCaption(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    return "[X]" + std::to_string(x) + " [Y]" + std::to_string(y) + " [幅]" + std::to_string(width) +
           " [高]" + std::to_string(height);
}

std::int32_t FolderCapacitySizeFromText(std::string_view text) {
    return ParseFolderCapacitySize(text).value_or(kDefaultFolderCapacitySize);
}

std::optional<std::int32_t> ParseFolderCapacitySize(std::string_view text) {
    return ParseIniInteger(TrimBlanks(text));
}

SettingsValues ReadSettings(const IniDocument& document, const ScreenDefaults& screen) {
    using namespace keys;
    const SettingsValues defaults;
    SettingsValues v;
    const auto readBool = [&](std::string_view key, bool fallback) {
        return document.ReadBool(kSection, key, fallback);
    };
    const auto readInteger = [&](std::string_view key, std::int32_t fallback) {
        return document.ReadInteger(kSection, key, fallback);
    };
    const auto readString = [&](std::string_view key) { return document.ReadString(kSection, key, {}); };

    v.blTimerSecMode = readBool(kTimerSecMode, defaults.blTimerSecMode);
    const WindowPosition position = CorrectWindowPosition(
        {readInteger(kTop, screen.centredTop), readInteger(kLeft, screen.centredLeft)}, screen);
    v.Top170 = position.top;
    v.Left170 = position.left;
    v.ifrmView_Top = readInteger(kViewTop, position.top);
    v.ifrmView_Left = readInteger(kViewLeft, position.left);
    v.ifrmView_Height = readInteger(kViewHeight, defaults.ifrmView_Height);
    v.ifrmView_Width = readInteger(kViewWidth, defaults.ifrmView_Width);
    v.Folder = readString(kFolder);
    v.X = readInteger(kCapLeft, defaults.X);
    v.Y = readInteger(kCapTop, defaults.Y);
    v.H = readInteger(kCapHeight, defaults.H);
    v.W = readInteger(kCapWidth, defaults.W);
    v.Key1Number = readInteger(kKey1Number, defaults.Key1Number);
    v.Key1AddNumber = readInteger(kKey1AddNumber, defaults.Key1AddNumber);
    v.Key2Number = readInteger(kKey2Number, defaults.Key2Number);
    v.Key2AddNumber = readInteger(kKey2AddNumber, defaults.Key2AddNumber);
    v.Key3Number = readInteger(kKey3Number, defaults.Key3Number);
    v.Key3AddNumber = readInteger(kKey3AddNumber, defaults.Key3AddNumber);
    v.PNGorJPGNumber = readInteger(kPngOrJpgNumber, defaults.PNGorJPGNumber);
    v.TimerNumber = readInteger(kTimerNumber, defaults.TimerNumber);
    v.TimerEnabled = readBool(kTimerEnabled, defaults.TimerEnabled);
    v.SoundEnabled = readBool(kSoundEnabled, defaults.SoundEnabled);
    v.SoundName = readString(kSoundName);
    v.FolderCapacityEnabled = readBool(kFolderCapacityEnabled, defaults.FolderCapacityEnabled);
    v.FolderCapacitySize = readInteger(kFolderCapacitySize, defaults.FolderCapacitySize);
    v.ToClipboard1Enabled = readBool(kToClipboard1Enabled, defaults.ToClipboard1Enabled);
    v.ToClipboard2Enabled = readBool(kToClipboard2Enabled, defaults.ToClipboard2Enabled);
    v.ToClipboard3Enabled = readBool(kToClipboard3Enabled, defaults.ToClipboard3Enabled);
    v.rd_GrEdit1 = readBool(kGrEdit1, defaults.rd_GrEdit1);
    v.rd_GrEdit2 = readBool(kGrEdit2, defaults.rd_GrEdit2);
    v.EditorAppPath = readString(kEditorAppPath);
    v.ExecUOEnabled = readBool(kExecUOEnabled, defaults.ExecUOEnabled);
    v.ExecUOApp = readString(kExecUOApp);
    v.bl_chkRND = readBool(kRandomSound, defaults.bl_chkRND);
    for (std::size_t i = 0; i < kSoundCategories.size(); ++i) {
        v.bl_chkRNDCategories[i] = readBool(kSoundCategories[i], defaults.bl_chkRNDCategories[i]);
    }
    EnsureSoundCategoryChosen(v.bl_chkRNDCategories);
    v.chk_TrayIcon = readBool(kTrayIcon, defaults.chk_TrayIcon);
    v.chk_Minimized = readBool(kMinimized, defaults.chk_Minimized);
    v.cb_IllustNotShow = readBool(kIllustNotShow, defaults.cb_IllustNotShow);
    return v;
}

void WriteSettings(IniDocument& document, const SettingsValues& v, bool soundSelected) {
    using namespace keys;
    const auto writeBool = [&](std::string_view key, bool value) {
        document.WriteBool(kSection, key, value);
    };
    const auto writeInteger = [&](std::string_view key, std::int32_t value) {
        document.WriteInteger(kSection, key, value);
    };
    const auto writeString = [&](std::string_view key, std::string_view value) {
        document.WriteString(kSection, key, value);
    };

    writeInteger(kTop, v.Top170);
    writeInteger(kLeft, v.Left170);
    writeBool(kTrayIcon, v.chk_TrayIcon);
    writeBool(kMinimized, v.chk_Minimized);
    writeBool(kIllustNotShow, v.cb_IllustNotShow);
    writeBool(kTimerSecMode, v.blTimerSecMode);
    writeBool(kRandomSound, v.bl_chkRND);
    for (std::size_t i = 0; i < kSoundCategories.size(); ++i) {
        writeBool(kSoundCategories[i], v.bl_chkRNDCategories[i]);
    }
    writeBool(kExecUOEnabled, v.ExecUOEnabled);
    writeBool(kFolderCapacityEnabled, v.FolderCapacityEnabled);
    writeBool(kGrEdit1, v.rd_GrEdit1);
    writeBool(kGrEdit2, v.rd_GrEdit2);
    writeBool(kSoundEnabled, v.SoundEnabled);
    writeBool(kTimerEnabled, v.TimerEnabled);
    writeBool(kToClipboard1Enabled, v.ToClipboard1Enabled);
    writeBool(kToClipboard2Enabled, v.ToClipboard2Enabled);
    writeBool(kToClipboard3Enabled, v.ToClipboard3Enabled);
    writeBool(kIllustNotShow, v.cb_IllustNotShow);
    writeInteger(kViewTop, v.ifrmView_Top);
    writeInteger(kViewLeft, v.ifrmView_Left);
    writeInteger(kViewHeight, v.ifrmView_Height);
    writeInteger(kViewWidth, v.ifrmView_Width);
    writeString(kFolder, v.Folder);
    writeInteger(kCapLeft, v.X);
    writeInteger(kCapTop, v.Y);
    writeInteger(kCapHeight, v.H);
    writeInteger(kCapWidth, v.W);
    writeInteger(kKey1Number, v.Key1Number);
    writeInteger(kKey1AddNumber, v.Key1AddNumber);
    writeInteger(kKey2Number, v.Key2Number);
    writeInteger(kKey2AddNumber, v.Key2AddNumber);
    writeInteger(kKey3Number, v.Key3Number);
    writeInteger(kKey3AddNumber, v.Key3AddNumber);
    writeInteger(kPngOrJpgNumber, v.PNGorJPGNumber);
    writeInteger(kTimerNumber, v.TimerNumber);
    if (soundSelected) {
        writeString(kSoundName, v.SoundName);
    }
    writeInteger(kFolderCapacitySize, v.FolderCapacitySize);
    writeString(kEditorAppPath, v.EditorAppPath);
    writeString(kExecUOApp, v.ExecUOApp);
}

void WriteChangedSettings(IniDocument& document, const SettingsValues& values, const SettingsValues& started,
                          bool soundSelected, std::set<std::string>& changed) {
    IniDocument now;
    WriteSettings(now, values, soundSelected);
    IniDocument before;
    WriteSettings(before, started, soundSelected);
    for (const IniSection& section : now.Sections()) {
        for (const IniLine& line : section.lines) {
            if (before.FindValue(section.name, line.key) != std::optional<std::string_view>(line.value)) {
                changed.insert(line.key);
            }
            if (changed.contains(line.key) || !document.FindValue(section.name, line.key)) {
                document.WriteString(section.name, line.key, line.value);
            }
        }
    }
}

} // namespace mirulo::settings
