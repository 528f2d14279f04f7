#include "support/MainWindowTest.h"

#include <stdexcept>

#include "platform/Wide.h"

namespace mirulo::testkit {

MainWindowTest::MainWindowTest() {
    host.executablePath = program / L"Mirulo.exe";
}

std::wstring MainWindowTest::SettingsPath() const {
    return host.executablePath + L"_ユーザー設定.ini";
}

void MainWindowTest::StoreSettings(const std::string& lines) const {
    WriteFileBytes(SettingsPath(), "\xEF\xBB\xBF[System]\r\n" + lines);
}

std::string MainWindowTest::StoredSettings() const {
    return ReadFileBytes(SettingsPath());
}

std::string MainWindowTest::SaveFolderLine() const {
    return "Folder=" + platform::Narrow(saves) + "\r\n";
}

void MainWindowTest::MakeSaveFolder() const {
    ::CreateDirectoryW(saves.c_str(), nullptr);
}

app::MainWindow& MainWindowTest::Start() {
    window.reset();
    if (decorating_) {
        window = std::make_unique<app::MainWindow>(*decorating_);
    } else {
        window = std::make_unique<app::MainWindow>(host);
    }
    return *window;
}

app::MainWindow& MainWindowTest::Start(const std::string& settingsLines) {
    StoreSettings(settingsLines);
    return Start();
}

MainWindowDriver MainWindowTest::driver() const {
    if (!window) {
        throw std::logic_error("the test drives the main window before Start() made it");
    }
    return MainWindowDriver(*window);
}

void MainWindowTest::Close() const {
    ::SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
}

} // namespace mirulo::testkit
