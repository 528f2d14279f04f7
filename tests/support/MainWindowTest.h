#pragma once
// The main window in-process, as the program makes it, for every test of its
// handlers: a program folder of its own (a pretend Mirulo.exe with its settings
// file beside it), a recording host that answers every message box, and the
// window, made when the test says so.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Tfm_Mirulo.h"
#include "platform/RecordingHost.h"
#include "support/Messages.h"
#include "support/TempFolder.h"

namespace mirulo::testkit {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();

    // The settings file beside the pretend executable.
    std::wstring SettingsPath() const;
    // Writes the settings file: the BOM, "[System]", then these lines (CRLF ends).
    void StoreSettings(const std::string& lines) const;
    std::string StoredSettings() const;
    // "Folder=<saves>\r\n", the line that makes `saves` the save folder; the
    // folder itself is made by MakeSaveFolder.
    std::string SaveFolderLine() const;
    void MakeSaveFolder() const;

    // Makes the window, after closing any earlier one, so its construction reads
    // the settings as stored now.
    app::Tfm_Mirulo& Start();
    // The same with a settings file of these lines.
    app::Tfm_Mirulo& Start(const std::string& settingsLines);
    // Closes the window as its close button does (the last settings write included).
    void Close() const;

    TempFolder program{L"mirulo-window"};
    std::wstring saves = program / L"画像";
    platform::RecordingHost host;
    std::unique_ptr<app::Tfm_Mirulo> window;
};

} // namespace mirulo::testkit
