#pragma once
// The main window in-process, as the program makes it, for every test of its
// handlers: a program folder of its own (a pretend Mirulo.exe with its settings
// file beside it), a recording host that answers every message box, and the
// window, made when the test says so.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "platform/RecordingHost.h"
#include "support/MainWindowDriver.h"
#include "support/Messages.h"
#include "support/TempFolder.h"

namespace mirulo::testkit {

// A box ticked or cleared as the user does it: one click, when it shows the
// other state (SetChecked would set the state without the handler's effects).
inline void ClickTo(ui::CheckBox& box, bool checked) {
    if (box.Checked() != checked) {
        box.Click();
    }
}

// A radio button chosen as the user does it: a click, when it is not chosen yet.
inline void Choose(ui::RadioButton& radio) {
    if (!radio.Checked()) {
        radio.Click();
    }
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();

    // The settings file beside the (pretend) executable the host names.
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
    app::MainWindow& Start();
    // The same with a settings file of these lines.
    app::MainWindow& Start(const std::string& settingsLines);
    // Closes the window as its close button does (the last settings write included).
    void Close() const;
    // The window made by Start(), as tests drive it: its controls by what they are.
    MainWindowDriver driver() const;

    // From the next Start(), the window gets a host of this type, made on the
    // recording host (a testkit::ForwardingHost that changes some calls). It
    // lives as long as the fixture, so it outlives every window.
    template <class DecoratingHost> DecoratingHost& UseHost() {
        auto made = std::make_unique<DecoratingHost>(host);
        DecoratingHost& decorating = *made;
        decorating_ = std::move(made);
        return decorating;
    }

    TempFolder program{L"mirulo-window"};
    std::wstring saves = program / L"画像";
    platform::RecordingHost host;
    std::unique_ptr<platform::Host> decorating_; // before the window: it outlives it
    std::unique_ptr<app::MainWindow> window;
};

} // namespace mirulo::testkit
