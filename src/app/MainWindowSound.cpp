// The capture sounds on the page "設定３": the list of the ticked categories,
// the sound folder and the download page, and playback after a capture or on
// the test button.
#include <windows.h>

#include <array>

#include "app/Tfm_Mirulo.h"
#include "platform/Paths.h"
#include "platform/Wide.h"
#include "integration/ShellOperations.h"
#include "sound/MciPlayer.h"
#include "sound/RandomSound.h"
#include "sound/SoundFolders.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

constexpr wchar_t kNoSoundFolder[] = L"【お知らせ】\r\n\r\n[音声フォルダ(～\\mp3)]が存在しません";
constexpr wchar_t kDownloadNote[] =
    L"DLC(ダウンロードコンテンツ)サイトを開きます。\r\n\r\n"
    L"撮影音としては長尺すぎるけど作品としての完成度が高かったため\r\n"
    L"DLCとしてここで公開しています。\r\n"
    L"ダウンロードして「お気に入り」に入れれば撮影音としてのご利用も可能です。(!?)\r\n\r\n"
    L"なお今後も状況によっては長尺もの以外もここに追加していく可能性があります。";
constexpr wchar_t kNoSoundSelected[] = L"撮影音が未選択です";

// The download page ships with the program, beside the executable: it says
// where sounds go and how to add them, and works without a network.
constexpr wchar_t kDownloadPageFile[] = L"Mirulo_撮影音.html";

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

std::wstring Tfm_Mirulo::DownloadPageAddress() {
    return sound::ExecutableFolder(host().ExecutablePath()) + kDownloadPageFile;
}

// --- The sound list -------------------------------------------------------------

void Tfm_Mirulo::MakeMP3List() {
    lb_Sound.Clear();
    slMP3.clear();
    std::array<bool, sound::kCategoryCount> ticked{};
    const auto boxes = CategoryBoxes();
    for (std::size_t i = 0; i < ticked.size(); ++i) {
        ticked[i] = boxes[i]->Checked();
    }
    sound::SoundList list = sound::BuildSoundList(host().ExecutablePath(), ticked);
    lb_Sound.SetRedraw(false);
    for (const std::wstring& name : list.names) {
        lb_Sound.Add(name);
    }
    lb_Sound.SetRedraw(true);
    slMP3 = std::move(list.paths);
    if (!slMP3.empty()) {
        lb_Sound.SetItemIndex(0);
    }
}

void Tfm_Mirulo::BuildSoundListAtStart() {
    MakeMP3List();
    if (slMP3.empty()) {
        return;
    }
    std::vector<std::wstring> names;
    names.reserve(slMP3.size());
    for (const std::wstring& path : slMP3) {
        names.push_back(platform::FileNamePart(path));
    }
    lb_Sound.SetItemIndex(sound::StoredSoundIndex(names, platform::Widen(model_.SoundName)));
    const std::wstring path = SelectedSoundPath();
    if (IsFile(path)) {
        soundPlayer->fileName = path;
    }
}

void Tfm_Mirulo::OnSoundCategoryClicked() {
    // During construction the list is built once, after every setting is read.
    if (!blInFormCreate) {
        ui::ProcessPendingMessages(); // the click that got us here repaints before the folders are read
        MakeMP3List();
    }
    WriteIni();
}

void Tfm_Mirulo::btn_RefreshMP3ListClick() {
    MakeMP3List();
}

// Choosing a sound only selects it; it reaches the settings with their next write.
void Tfm_Mirulo::lb_SoundClick() {}

void Tfm_Mirulo::btn_SoundFolderClick() {
    const std::wstring folder = sound::SoundTreePath(host().ExecutablePath());
    if (!sound::IsSoundFolder(folder)) {
        ShowNotice(kNoSoundFolder);
        return;
    }
    integration::OpenFolderInExplorer(host(), hwnd(), folder);
}

void Tfm_Mirulo::lbl_DLCClick() {
    ShowNotice(kDownloadNote);
    integration::OpenWebPage(host(), hwnd(), DownloadPageAddress());
}

// --- Playback -----------------------------------------------------------------

void Tfm_Mirulo::playSound() {
    // Cleared before playing: a sound that fails to open still leaves it false.
    const bool due = chk_Sound.Checked() && blPlaySound;
    blPlaySound = false;
    if (due) {
        proc_PlaySound();
    }
}

void Tfm_Mirulo::proc_PlaySound() {
    if (randomPlayBox.Checked()) {
        RndSound();
    }
    const int index = lb_Sound.ItemIndex();
    if (index < 0 || lb_Sound.Item(index).empty() || static_cast<std::size_t>(index) >= slMP3.size()) {
        ShowNotice(kNoSoundSelected);
        return;
    }
    const std::wstring& path = slMP3[static_cast<std::size_t>(index)];
    // A file removed since the list was built is simply not played.
    if (!IsFile(path)) {
        return;
    }
    soundPlayer->fileName = path;
    soundPlayer->Play();
}

void Tfm_Mirulo::RndSound() {
    const auto seed = static_cast<std::uint32_t>(host().PerformanceCounter());
    lb_Sound.SetItemIndex(sound::RandomSoundIndex(seed, static_cast<std::uint32_t>(lb_Sound.Count())));
}

void Tfm_Mirulo::btn_PlayClick() {
    proc_PlaySound();
}

void Tfm_Mirulo::ConnectSoundControls() {
    soundPlayer = std::make_unique<sound::MciPlayer>(host(), hwnd());
    lb_Sound.OnClick = [this] { lb_SoundClick(); };
    btn_SoundFolder.OnClick = [this] { btn_SoundFolderClick(); };
    btn_RefreshMP3List.OnClick = [this] { btn_RefreshMP3ListClick(); };
    lbl_DLC.OnClick = [this] { lbl_DLCClick(); };
    btn_Play.OnClick = [this] { btn_PlayClick(); };
}

} // namespace mirulo::app
