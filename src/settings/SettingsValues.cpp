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

    v.autoCaptureInSeconds = readBool(kTimerSecMode, defaults.autoCaptureInSeconds);
    const WindowPosition position = CorrectWindowPosition(
        {readInteger(kTop, screen.centredTop), readInteger(kLeft, screen.centredLeft)}, screen);
    v.windowTop = position.top;
    v.windowLeft = position.left;
    v.viewerTop = readInteger(kViewTop, position.top);
    v.viewerLeft = readInteger(kViewLeft, position.left);
    v.viewerHeight = readInteger(kViewHeight, defaults.viewerHeight);
    v.viewerWidth = readInteger(kViewWidth, defaults.viewerWidth);
    v.saveFolder = readString(kFolder);
    v.fixedRangeLeft = readInteger(kCapLeft, defaults.fixedRangeLeft);
    v.fixedRangeTop = readInteger(kCapTop, defaults.fixedRangeTop);
    v.fixedRangeHeight = readInteger(kCapHeight, defaults.fixedRangeHeight);
    v.fixedRangeWidth = readInteger(kCapWidth, defaults.fixedRangeWidth);
    v.fixedRangeKey = readInteger(kKey1Number, defaults.fixedRangeKey);
    v.fixedRangeModifier = readInteger(kKey1AddNumber, defaults.fixedRangeModifier);
    v.pickedRangeKey = readInteger(kKey2Number, defaults.pickedRangeKey);
    v.pickedRangeModifier = readInteger(kKey2AddNumber, defaults.pickedRangeModifier);
    v.fullScreenKey = readInteger(kKey3Number, defaults.fullScreenKey);
    v.fullScreenModifier = readInteger(kKey3AddNumber, defaults.fullScreenModifier);
    v.formatChoice = readInteger(kPngOrJpgNumber, defaults.formatChoice);
    v.autoCapturePeriodChoice = readInteger(kTimerNumber, defaults.autoCapturePeriodChoice);
    v.autoCaptureOn = readBool(kTimerEnabled, defaults.autoCaptureOn);
    v.soundOn = readBool(kSoundEnabled, defaults.soundOn);
    v.soundPath = readString(kSoundName);
    v.sizeCapOn = readBool(kFolderCapacityEnabled, defaults.sizeCapOn);
    v.sizeCapMegabytes = readInteger(kFolderCapacitySize, defaults.sizeCapMegabytes);
    v.fixedRangeToClipboard = readBool(kToClipboard1Enabled, defaults.fixedRangeToClipboard);
    v.pickedRangeToClipboard = readBool(kToClipboard2Enabled, defaults.pickedRangeToClipboard);
    v.fullScreenToClipboard = readBool(kToClipboard3Enabled, defaults.fullScreenToClipboard);
    v.paintEditorChosen = readBool(kGrEdit1, defaults.paintEditorChosen);
    v.ownEditorChosen = readBool(kGrEdit2, defaults.ownEditorChosen);
    v.editorPath = readString(kEditorAppPath);
    v.startGameClient = readBool(kExecUOEnabled, defaults.startGameClient);
    v.gameClientPath = readString(kExecUOApp);
    v.randomSound = readBool(kRandomSound, defaults.randomSound);
    for (std::size_t i = 0; i < kSoundCategories.size(); ++i) {
        v.soundCategories[i] = readBool(kSoundCategories[i], defaults.soundCategories[i]);
    }
    EnsureSoundCategoryChosen(v.soundCategories);
    v.trayIconWhenMinimised = readBool(kTrayIcon, defaults.trayIconWhenMinimised);
    v.startMinimised = readBool(kMinimized, defaults.startMinimised);
    v.businessMode = readBool(kIllustNotShow, defaults.businessMode);
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

    writeInteger(kTop, v.windowTop);
    writeInteger(kLeft, v.windowLeft);
    writeBool(kTrayIcon, v.trayIconWhenMinimised);
    writeBool(kMinimized, v.startMinimised);
    writeBool(kIllustNotShow, v.businessMode);
    writeBool(kTimerSecMode, v.autoCaptureInSeconds);
    writeBool(kRandomSound, v.randomSound);
    for (std::size_t i = 0; i < kSoundCategories.size(); ++i) {
        writeBool(kSoundCategories[i], v.soundCategories[i]);
    }
    writeBool(kExecUOEnabled, v.startGameClient);
    writeBool(kFolderCapacityEnabled, v.sizeCapOn);
    writeBool(kGrEdit1, v.paintEditorChosen);
    writeBool(kGrEdit2, v.ownEditorChosen);
    writeBool(kSoundEnabled, v.soundOn);
    writeBool(kTimerEnabled, v.autoCaptureOn);
    writeBool(kToClipboard1Enabled, v.fixedRangeToClipboard);
    writeBool(kToClipboard2Enabled, v.pickedRangeToClipboard);
    writeBool(kToClipboard3Enabled, v.fullScreenToClipboard);
    writeBool(kIllustNotShow, v.businessMode);
    writeInteger(kViewTop, v.viewerTop);
    writeInteger(kViewLeft, v.viewerLeft);
    writeInteger(kViewHeight, v.viewerHeight);
    writeInteger(kViewWidth, v.viewerWidth);
    writeString(kFolder, v.saveFolder);
    writeInteger(kCapLeft, v.fixedRangeLeft);
    writeInteger(kCapTop, v.fixedRangeTop);
    writeInteger(kCapHeight, v.fixedRangeHeight);
    writeInteger(kCapWidth, v.fixedRangeWidth);
    writeInteger(kKey1Number, v.fixedRangeKey);
    writeInteger(kKey1AddNumber, v.fixedRangeModifier);
    writeInteger(kKey2Number, v.pickedRangeKey);
    writeInteger(kKey2AddNumber, v.pickedRangeModifier);
    writeInteger(kKey3Number, v.fullScreenKey);
    writeInteger(kKey3AddNumber, v.fullScreenModifier);
    writeInteger(kPngOrJpgNumber, v.formatChoice);
    writeInteger(kTimerNumber, v.autoCapturePeriodChoice);
    if (soundSelected) {
        writeString(kSoundName, v.soundPath);
    }
    writeInteger(kFolderCapacitySize, v.sizeCapMegabytes);
    writeString(kEditorAppPath, v.editorPath);
    writeString(kExecUOApp, v.gameClientPath);
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
