#pragma once
// Every name stored in the settings file, spelled exactly as the file holds them.
// Reading matches them without regard to letter case; writing always uses this
// spelling.
#include <array>
#include <string_view>

namespace mirulo::settings::keys {

inline constexpr std::string_view kSection = "System";

inline constexpr std::string_view kTimerSecMode = "blTimerSecMode";
inline constexpr std::string_view kTop = "Top170";
inline constexpr std::string_view kLeft = "Left170";
inline constexpr std::string_view kViewTop = "ifrmView_Top";
inline constexpr std::string_view kViewLeft = "ifrmView_Left";
inline constexpr std::string_view kViewHeight = "ifrmView_Height";
inline constexpr std::string_view kViewWidth = "ifrmView_Width";
inline constexpr std::string_view kFolder = "Folder";
inline constexpr std::string_view kCapLeft = "X";
inline constexpr std::string_view kCapTop = "Y";
inline constexpr std::string_view kCapHeight = "H";
inline constexpr std::string_view kCapWidth = "W";
inline constexpr std::string_view kKey1Number = "Key1Number";
inline constexpr std::string_view kKey1AddNumber = "Key1AddNumber";
inline constexpr std::string_view kKey2Number = "Key2Number";
inline constexpr std::string_view kKey2AddNumber = "Key2AddNumber";
inline constexpr std::string_view kKey3Number = "Key3Number";
inline constexpr std::string_view kKey3AddNumber = "Key3AddNumber";
inline constexpr std::string_view kPngOrJpgNumber = "PNGorJPGNumber";
inline constexpr std::string_view kTimerNumber = "TimerNumber";
inline constexpr std::string_view kTimerEnabled = "TimerEnabled";
inline constexpr std::string_view kSoundEnabled = "SoundEnabled";
inline constexpr std::string_view kSoundName = "SoundName";
inline constexpr std::string_view kFolderCapacityEnabled = "FolderCapacityEnabled";
inline constexpr std::string_view kFolderCapacitySize = "FolderCapacitySize";
inline constexpr std::string_view kToClipboard1Enabled = "ToClipboard1Enabled";
inline constexpr std::string_view kToClipboard2Enabled = "ToClipboard2Enabled";
inline constexpr std::string_view kToClipboard3Enabled = "ToClipboard3Enabled";
inline constexpr std::string_view kGrEdit1 = "rd_GrEdit1";
inline constexpr std::string_view kGrEdit2 = "rd_GrEdit2";
inline constexpr std::string_view kEditorAppPath = "EditorAppPath";
inline constexpr std::string_view kExecUOEnabled = "ExecUOEnabled";
inline constexpr std::string_view kExecUOApp = "ExecUOApp";
inline constexpr std::string_view kRandomSound = "bl_chkRND";
inline constexpr std::array<std::string_view, 10> kSoundCategories = {
    "bl_chkRND01", "bl_chkRND02", "bl_chkRND03", "bl_chkRND04", "bl_chkRND05",
    "bl_chkRND06", "bl_chkRND07", "bl_chkRND08", "bl_chkRND09", "bl_chkRND10",
};
inline constexpr std::string_view kTrayIcon = "chk_TrayIcon";
inline constexpr std::string_view kMinimized = "chk_Minimized";
inline constexpr std::string_view kIllustNotShow = "cb_IllustNotShow";

} // namespace mirulo::settings::keys
