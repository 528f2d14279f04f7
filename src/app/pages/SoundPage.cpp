// The page "設定３": its controls, the sound list and playback, and the
// business mode's box.
#include "app/pages/SoundPage.h"

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "integration/ShellOperations.h"
#include "platform/Paths.h"
#include "platform/Wide.h"
#include "sound/MciPlayer.h"
#include "sound/RandomSound.h"
#include "sound/SoundFolders.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

using Kind = ui::ControlKind;
using Row = ui::ControlRow;
using namespace ui::row_flags;
using namespace texts;

// Where a row sits: on the page, or inside the category box (placed relative to it).
enum Parent : int { Page, CategoryGroup };

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

SoundPage::SoundPage(PageSite& site) : site_(site) {}

SoundPage::~SoundPage() = default;

void SoundPage::CreateControls(ui::ControlTable& table, HWND page, UINT dpi, int firstId) {
    const Row rows[] = {
        {soundHeading_, Kind::Label, Page, 11, 10, 76, 24, L"■撮影音", nullptr, kHeading, 0},
        {soundBox_, Kind::CheckBox, Page, 30, 39, 145, 17, L"撮影時に音を鳴らす", kHintSound, 0, 0},
        {downloadLink_, Kind::Label, Page, 296, 38, 85, 17, L"DLCサイトを開く", kHintDLC,
         kUnderline | kHandCursor | kClickable, 0},
        {categoryGroup_, Kind::GroupBox, Page, 45, 60, 336, 106, L"リスト表示対象", kHintMP3Folder, 0, 0},
        {categoryShutterVoice1s_, Kind::CheckBox, CategoryGroup, 20, 20, 105, 17, L"撮影声系1秒", nullptr, 0,
         0},
        {categoryShutterVoice2s_, Kind::CheckBox, CategoryGroup, 20, 40, 105, 17, L"撮影声系2秒", nullptr, 0,
         0},
        {categoryShutterVoice3s_, Kind::CheckBox, CategoryGroup, 20, 60, 105, 17, L"撮影声系3秒", nullptr, 0,
         0},
        {categoryShutterVoiceLong_, Kind::CheckBox, CategoryGroup, 20, 80, 105, 17, L"撮影声系ロング",
         nullptr, 0, 0},
        {categoryLine1s_, Kind::CheckBox, CategoryGroup, 130, 20, 105, 17, L"セリフ系1秒", nullptr, 0, 0},
        {categoryLine2s_, Kind::CheckBox, CategoryGroup, 130, 40, 105, 17, L"セリフ系2秒", nullptr, 0, 0},
        {categoryLine3s_, Kind::CheckBox, CategoryGroup, 130, 60, 105, 17, L"セリフ系3秒", nullptr, 0, 0},
        {categoryLineLong_, Kind::CheckBox, CategoryGroup, 130, 80, 105, 17, L"セリフ系ロング", nullptr, 0,
         0},
        {categoryFavourites_, Kind::CheckBox, CategoryGroup, 230, 20, 110, 17, L"お気に入り", nullptr, 0, 0},
        {categorySoundEffects_, Kind::CheckBox, CategoryGroup, 230, 40, 110, 17, L"効果音", nullptr, 0, 0},
        {soundList_, Kind::ListBox, Page, 45, 168, 336, 140, L"", kHintSoundList, kHandCursor | kNoTabStop,
         0},
        {soundFolderButton_, Kind::IconButton, Page, 45, 308, 39, 31, kNameSoundFolder, kHintSoundFolder, 0,
         IDR_GLYPH_FOLDER},
        {refreshSoundsButton_, Kind::IconButton, Page, 86, 308, 39, 31, kNameRefreshSounds, kHintRefreshMP3,
         0, IDR_GLYPH_RELOAD},
        {randomPlayBox_, Kind::CheckBox, Page, 242, 308, 96, 17, L"ランダム再生", nullptr, 0, 0},
        {playButton_, Kind::PushButton, Page, 341, 308, 40, 31, L"再生", kHintPlay, 0, 0},
        {businessModeHeading_, Kind::Label, Page, 10, 350, 122, 24, L"■ビジネスモード", nullptr, kHeading, 0},
        {businessModeBox_, Kind::CheckBox, Page, 29, 379, 171, 17, L"カラー変更 ・ イラスト非表示",
         kHintIllustNotShow, 0, 0},
        {illustration_, Kind::Picture, Page, 1, 397, 403, 89, L"", nullptr, 0, IDR_IMG_04},
    };
    const ui::ControlContainer containers[] = {{page, {0, 0}}, {page, {45, 60}}};
    table.Create(rows, containers, dpi, firstId);
    // The group box goes beneath the boxes it frames (later windows start lower).
    categoryGroup_.SendToBack();
}

void SoundPage::Connect() {
    player_ = std::make_unique<sound::MciPlayer>(site_.PageHost(), site_.PageOwner());
    soundBox_.OnClick = [this] { site_.WriteSettings(); };
    randomPlayBox_.OnClick = [this] { site_.WriteSettings(); };
    for (ui::CheckBox* box : CategoryBoxes()) {
        box->OnClick = [this] { OnSoundCategoryClicked(); };
    }
    // Choosing a sound in the list only selects it; it reaches the settings with
    // their next write, so the list has no click handler.
    soundFolderButton_.OnClick = [this] { OnSoundFolderClicked(); };
    refreshSoundsButton_.OnClick = [this] { MakeSoundList(); };
    downloadLink_.OnClick = [this] { OnDownloadLinkClicked(); };
    playButton_.OnClick = [this] { PlaySelected(); };
    businessModeBox_.OnClick = [this] {
        if (OnBusinessModeClicked) {
            OnBusinessModeClicked();
        }
    };
}

std::array<ui::CheckBox*, 10> SoundPage::CategoryBoxes() {
    return {&categoryShutterVoice1s_,   &categoryShutterVoice2s_, &categoryShutterVoice3s_,
            &categoryShutterVoiceLong_, &categoryLine1s_,         &categoryLine2s_,
            &categoryLine3s_,           &categoryLineLong_,       &categoryFavourites_,
            &categorySoundEffects_};
}

std::array<const ui::CheckBox*, 10> SoundPage::CategoryBoxes() const {
    return {&categoryShutterVoice1s_,   &categoryShutterVoice2s_, &categoryShutterVoice3s_,
            &categoryShutterVoiceLong_, &categoryLine1s_,         &categoryLine2s_,
            &categoryLine3s_,           &categoryLineLong_,       &categoryFavourites_,
            &categorySoundEffects_};
}

// --- The settings ---------------------------------------------------------------

void SoundPage::ApplySoundEnabled(bool on) {
    ApplyThroughHandler(soundBox_, on, [this] { site_.WriteSettings(); });
}

void SoundPage::ApplySoundChoices(const settings::SettingsValues& values) {
    ApplyThroughHandler(randomPlayBox_, values.randomSound, [this] { site_.WriteSettings(); });
    const auto boxes = CategoryBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        ApplyThroughHandler(*boxes[i], values.soundCategories[i], [this] { OnSoundCategoryClicked(); });
    }
}

bool SoundPage::ApplyBusinessMode(bool on) {
    if (businessModeBox_.Checked() == on) {
        return false;
    }
    businessModeBox_.SetChecked(on);
    return true;
}

void SoundPage::Store(settings::SettingsValues& values) const {
    values.soundOn = soundBox_.Checked();
    values.soundPath = platform::Narrow(SelectedSoundPath());
    values.randomSound = randomPlayBox_.Checked();
    const auto boxes = CategoryBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        values.soundCategories[i] = boxes[i]->Checked();
    }
    values.businessMode = businessModeBox_.Checked();
}

// --- The sound list -------------------------------------------------------------

std::wstring SoundPage::SelectedSoundPath() const {
    const int index = soundList_.ItemIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= soundFiles_.size()) {
        return {};
    }
    return soundFiles_[static_cast<std::size_t>(index)];
}

void SoundPage::MakeSoundList() {
    soundList_.Clear();
    soundFiles_.clear();
    std::array<bool, sound::kCategoryCount> ticked{};
    const auto boxes = CategoryBoxes();
    for (std::size_t i = 0; i < ticked.size(); ++i) {
        ticked[i] = boxes[i]->Checked();
    }
    sound::SoundList list = sound::BuildSoundList(site_.PageHost().ExecutablePath(), ticked);
    soundList_.SetRedraw(false);
    for (const std::wstring& name : list.names) {
        soundList_.Add(name);
    }
    soundList_.SetRedraw(true);
    soundFiles_ = std::move(list.paths);
    if (!soundFiles_.empty()) {
        soundList_.SetItemIndex(0);
    }
}

void SoundPage::BuildListAtStart(const std::string& storedSoundName) {
    MakeSoundList();
    if (soundFiles_.empty()) {
        return;
    }
    std::vector<std::wstring> names;
    names.reserve(soundFiles_.size());
    for (const std::wstring& path : soundFiles_) {
        names.push_back(platform::FileNamePart(path));
    }
    soundList_.SetItemIndex(sound::StoredSoundIndex(names, platform::Widen(storedSoundName)));
    const std::wstring path = SelectedSoundPath();
    if (IsFile(path)) {
        player_->fileName = path;
    }
}

void SoundPage::OnSoundCategoryClicked() {
    // During construction the list is built once, after every setting is read.
    if (!site_.Constructing()) {
        ui::ProcessPendingMessages(); // the click that got us here repaints before the folders are read
        MakeSoundList();
    }
    site_.WriteSettings();
}

void SoundPage::OnSoundFolderClicked() {
    const std::wstring folder = sound::SoundTreePath(site_.PageHost().ExecutablePath());
    if (!sound::IsSoundFolder(folder)) {
        site_.ShowNotice(kNoSoundFolder);
        return;
    }
    integration::OpenFolderInExplorer(site_.PageHost(), site_.PageOwner(), folder);
}

std::wstring SoundPage::DownloadPageAddress() {
    return sound::ExecutableFolder(site_.PageHost().ExecutablePath()) + kDownloadPageFile;
}

void SoundPage::OnDownloadLinkClicked() {
    site_.ShowNotice(kDownloadNote);
    integration::OpenWebPage(site_.PageHost(), site_.PageOwner(), DownloadPageAddress());
}

// --- Playback -----------------------------------------------------------------

void SoundPage::PlayAfterCapture() {
    if (soundBox_.Checked()) {
        PlaySelected();
    }
}

void SoundPage::PlaySelected() {
    if (randomPlayBox_.Checked()) {
        SelectRandomSound();
    }
    const int index = soundList_.ItemIndex();
    if (index < 0 || soundList_.Item(index).empty() ||
        static_cast<std::size_t>(index) >= soundFiles_.size()) {
        site_.ShowNotice(kNoSoundSelected);
        return;
    }
    const std::wstring& path = soundFiles_[static_cast<std::size_t>(index)];
    // A file removed since the list was built is simply not played.
    if (!IsFile(path)) {
        return;
    }
    player_->fileName = path;
    player_->Play();
}

void SoundPage::SelectRandomSound() {
    const auto seed = static_cast<std::uint32_t>(site_.PageHost().PerformanceCounter());
    soundList_.SetItemIndex(sound::RandomSoundIndex(seed, static_cast<std::uint32_t>(soundList_.Count())));
}

void SoundPage::Close() {
    soundFiles_.clear();
    player_->Close();
}

} // namespace mirulo::app
