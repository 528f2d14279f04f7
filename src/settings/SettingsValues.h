#pragma once
// Every setting of section "System" as a plain value, and the reading and
// writing rules that need no window: which key feeds which value, the defaults,
// the position correction, the sound-category rule and the order of writing.
// The main window applies the values to its controls and fields; the controls'
// click handlers are its business, not this file's.
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "settings/IniDocument.h"

namespace mirulo::settings {

// What a list without a selection stores.
inline constexpr std::int32_t kNoSelection = -1;

inline constexpr std::int32_t kDefaultFolderCapacitySize = 100;

// One member per key of section "System" (the key in the comment); the member
// defaults are the keys' defaults, except for the window position, whose
// defaults come from the screen (ScreenDefaults). Selected entries of lists are
// indexes, kNoSelection when a list has none.
struct SettingsValues {
    bool autoCaptureInSeconds = false;        // blTimerSecMode
    std::int32_t windowTop = 0;               // Top170
    std::int32_t windowLeft = 0;              // Left170
    std::int32_t viewerTop = 0;               // ifrmView_Top
    std::int32_t viewerLeft = 0;              // ifrmView_Left
    std::int32_t viewerHeight = 600;          // ifrmView_Height
    std::int32_t viewerWidth = 800;           // ifrmView_Width
    std::string saveFolder;                   // Folder
    std::int32_t fixedRangeLeft = 0;          // X
    std::int32_t fixedRangeTop = 0;           // Y
    std::int32_t fixedRangeHeight = 0;        // H
    std::int32_t fixedRangeWidth = 0;         // W
    std::int32_t fixedRangeKey = 0;           // Key1Number
    std::int32_t fixedRangeModifier = 0;      // Key1AddNumber
    std::int32_t pickedRangeKey = 0;          // Key2Number
    std::int32_t pickedRangeModifier = 0;     // Key2AddNumber
    std::int32_t fullScreenKey = 0;           // Key3Number
    std::int32_t fullScreenModifier = 0;      // Key3AddNumber
    std::int32_t formatChoice = 0;            // PNGorJPGNumber
    std::int32_t autoCapturePeriodChoice = 3; // TimerNumber
    bool autoCaptureOn = false;               // TimerEnabled
    bool soundOn = false;                     // SoundEnabled
    // Full path of the chosen sound; written only while a sound is selected.
    std::string soundPath;                                      // SoundName
    bool sizeCapOn = false;                                     // FolderCapacityEnabled
    std::int32_t sizeCapMegabytes = kDefaultFolderCapacitySize; // FolderCapacitySize
    bool fixedRangeToClipboard = false;                         // ToClipboard1Enabled
    bool pickedRangeToClipboard = false;                        // ToClipboard2Enabled
    bool fullScreenToClipboard = false;                         // ToClipboard3Enabled
    bool paintEditorChosen = true;                              // rd_GrEdit1
    bool ownEditorChosen = false;                               // rd_GrEdit2
    std::string editorPath;                                     // EditorAppPath
    bool startGameClient = false;                               // ExecUOEnabled
    std::string gameClientPath;                                 // ExecUOApp
    bool randomSound = false;                                   // bl_chkRND
    // bl_chkRND01 ... bl_chkRND10 in this order.
    std::array<bool, 10> soundCategories = {false, false, false, false, false,
                                            false, false, false, false, true};
    bool trayIconWhenMinimised = false; // chk_TrayIcon
    bool startMinimised = false;        // chk_Minimized
    bool businessMode = false;          // cb_IllustNotShow

    friend bool operator==(const SettingsValues&, const SettingsValues&) = default;
};

// The primary monitor's work area and the main window centred in it: the
// defaults of the stored position and the bounds it must lie in.
struct ScreenDefaults {
    std::int32_t centredTop = 0;
    std::int32_t centredLeft = 0;
    std::int32_t workAreaWidth = 0;
    std::int32_t workAreaHeight = 0;
    // Where the work area begins on the screen (a task bar on the top or left
    // edge moves it) and the main window's outer size.
    std::int32_t workAreaLeft = 0;
    std::int32_t workAreaTop = 0;
    std::int32_t windowWidth = 0;
    std::int32_t windowHeight = 0;
};

struct WindowPosition {
    std::int32_t top = 0;
    std::int32_t left = 0;

    friend bool operator==(const WindowPosition&, const WindowPosition&) = default;
};

// A stored top that is negative or beyond the work area's height goes back to the
// centred top; the same for left against the width. Then a window that would
// still reach past the work area (under a task bar, below the bottom edge) is
// moved the least that brings it wholly onto it; a window larger than the work
// area keeps its top-left corner on it.
WindowPosition CorrectWindowPosition(WindowPosition stored, const ScreenDefaults& screen);

// With no category chosen the sound list would be empty: the first one is turned on.
void EnsureSoundCategoryChosen(std::array<bool, 10>& categories);

// Caption of lbl_XYWH: "[X]x [Y]y [幅]w [高]h".
std::string XYWHCaption(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

// The size cap typed into edt_Capa; blanks around the number are ignored, and text
// that is not an integer gives kDefaultFolderCapacitySize.
std::int32_t FolderCapacitySizeFromText(std::string_view text);
// The same text as a whole number, or nullopt when it is not one.
std::optional<std::int32_t> ParseFolderCapacitySize(std::string_view text);

// Reads every key of section "System" in its reading order. Top170 and Left170
// come back corrected (CorrectWindowPosition), the viewer placement defaults to
// that corrected position, and the sound categories have at least one chosen.
SettingsValues ReadSettings(const IniDocument& document, const ScreenDefaults& screen);

// Sets every key in the file's writing order, which is the key order of a file
// written from scratch. cb_IllustNotShow comes once more among the other check
// boxes; same value, same line, so that repeat leaves the bytes alone.
// SoundName is set only when a sound is selected; otherwise the stored one stays.
void WriteSettings(IniDocument& document, const SettingsValues& values, bool soundSelected);

// For a run that began on the defaults because the file could not be read: the
// file's own values are the user's, so only what the user changed in the run
// goes over them. A key is changed when its value differs from `started` (the
// values the run began on); `changed` remembers such keys from earlier writes of
// the run, so a value changed and later set back to its default is written too.
// A key the file lacks gets the current value, as a file written from scratch.
void WriteChangedSettings(IniDocument& document, const SettingsValues& values, const SettingsValues& started,
                          bool soundSelected, std::set<std::string>& changed);

} // namespace mirulo::settings
