#pragma once
// Every text the main window shows, in one place, exactly as the user reads it.

namespace mirulo::app::texts {

inline constexpr wchar_t kCaptionPrefixNormal[] = L"Mirulo\u3000";
inline constexpr wchar_t kCaptionPrefixGrey[] = L"画面キャプチャツール\u3000";

// Tabs
inline constexpr wchar_t kTabMain[] = L"メイン";
inline constexpr wchar_t kTabSettings1[] = L"設定１";
inline constexpr wchar_t kTabSettings2[] = L"設定２";
inline constexpr wchar_t kTabSettings3[] = L"設定３";

// A settings file that could not be read at start; the reason and the file's
// path come first.
inline constexpr wchar_t kSettingsKeptAs[] = L"\r\n\r\n元のファイルは次の名前で残しました。\r\n";
inline constexpr wchar_t kSettingsKeptBeforeWriting[] =
    L"\r\n\r\n元のファイルは上書きせず、設定を保存する前に別の名前 (末尾 .unreadable.bak) で残します。";
inline constexpr wchar_t kSettingsStartOnDefaults[] = L"\r\n\r\n設定は初期値で始めます。";

// Hints
inline constexpr wchar_t kHintPicList[] = L"[左ダブルクリック] 画像表示\u3000[右クリック] クリップボードへコピー\u3000"
                                          L"[Shift＋右クリック] 画像編集\u3000[Shift＋左クリック] ファイル名変更";
inline constexpr wchar_t kHintShotRect[] = L"固定範囲を撮影";
inline constexpr wchar_t kHintCaptureNow[] = L"今すぐスクショ(キーでなくボタンでスクショしたい時に)";
inline constexpr wchar_t kHintCapture3[] = L"3秒後にスクショ(キーでなくボタンでスクショしたい時に)";
inline constexpr wchar_t kHintCapture10[] = L"10秒後にスクショ(キーでなくボタンでスクショしたい時に)";
inline constexpr wchar_t kHintOpenFolder[] = L"画像フォルダーを開く";
inline constexpr wchar_t kHintReLoad[] = L"画像一覧の更新";
inline constexpr wchar_t kHintDust[] = L"画像をゴミ箱へ移動 / 元に戻すにはボタン右クリック";
inline constexpr wchar_t kHintReName[] = L"画像ファイル名の変更";
inline constexpr wchar_t kHintClipboard[] = L"画像をクリップボードへコピー(XやDiscordにCtrl+Vで貼付可能)";
inline constexpr wchar_t kHintViewer[] = L"画像を内蔵ビューアで表示";
inline constexpr wchar_t kHintEdit[] = L"画像を指定の画像編集ソフトで開く";
inline constexpr wchar_t kHintSaveFolder[] = L"スクショした画像を保存するフォルダを指定";
inline constexpr wchar_t kHintCapa[] = L"画像サイズ合計(MB)が指定値を超えると画像一覧の下から順に自動削除";
inline constexpr wchar_t kHintCapaSize[] = L"画像サイズ合計(MB)の最大値を半角数値で入力";
inline constexpr wchar_t kHintFormat[] = L"画像の保存形式(PNG:鮮明、JPG:僅かに小サイズ)";
inline constexpr wchar_t kHintEditor[] = L"画像エディタボタンで使うアプリを指定";
inline constexpr wchar_t kHintAutoStart[] = L"パソコン起動時に自動起動（起動し忘れ防止）";
inline constexpr wchar_t kHintMinimized[] = L"ミルロ起動時に自動的に最小化";
inline constexpr wchar_t kHintTrayIcon[] = L"最小化時はタスクバーに表示せず通知領域アイコンで表示（アイコンクリックで復帰）";
inline constexpr wchar_t kHintExecUO[] = L"ミルロを起動したら同時にUOも起動可能（すでにUOが起動中の場合を除く）";
inline constexpr wchar_t kHintExecUOButton[] =
    L"同時起動させたいアプリを指定（3Dクライアント＝uopatch.exe、2Dクライアント=UO.exe、UOA＝UOAssist.exe を指定）";
inline constexpr wchar_t kHintSetRect[] = L"２点をクリックして撮影範囲を指定";
inline constexpr wchar_t kHintKeys[] = L"スクショを実行するキーの設定";
inline constexpr wchar_t kHintToClipboard[] = L"撮影と同時に画像をクリップボードへコピー(XやDiscordにCtrl+Vで貼付可能)";
inline constexpr wchar_t kHintTimer[] = L"タイマーで連続スクショ";
inline constexpr wchar_t kHintTimerMinSec[] =
    L"Shift＋右クリックで秒単位に変更可能(PC性能によっては操作不能になるかもしれないので非推奨の機能)";
inline constexpr wchar_t kHintSound[] = L"撮影時に音を鳴らす";
inline constexpr wchar_t kHintDLC[] = L"DLCサイトを開きます";
inline constexpr wchar_t kHintMP3Folder[] = L"チェックを付けた物が一覧に表示されます";
inline constexpr wchar_t kHintSoundList[] = L"鳴らしたい音を一覧から選択";
inline constexpr wchar_t kHintSoundFolder[] = L"音の入ったフォルダを開きます。お気に入りへの移動を行えます。";
inline constexpr wchar_t kHintRefreshMP3[] = L"音一覧を更新します。お気に入り等への移動を行ったら押してください";
inline constexpr wchar_t kHintPlay[] = L"撮影音の試聴";
inline constexpr wchar_t kHintIllustNotShow[] = L"イラストを非表示にできます";
inline constexpr wchar_t kHintMinimize[] = L"最小化";
inline constexpr wchar_t kHintClose[] = L"閉じる";

// Lists
inline constexpr const wchar_t* kKeyNames[] = {
    L"キーで撮影しない", L"Esc", L"F1", L"F2", L"F3", L"F4", L"F5", L"F6", L"F7", L"F8",
    L"F9", L"F10", L"F11", L"F12", L"Scroll Lock", L"Pause", L"Tab", L"半角/全角", L"無変換", L"変換",
    L"カタカナ/ひらがな", L"Insert", L"Delete", L"Home", L"End", L"Page Up", L"Page Down", L"Num Lock", L"PrtSc"};
inline constexpr const wchar_t* kModifierNames[] = {L"なし", L"Shift", L"Ctl", L"Alt"};
inline constexpr const wchar_t* kFormatNames[] = {L"PNG", L"JPG"};
inline constexpr const wchar_t* kTimerPeriods[] = {L"1",  L"2",  L"3",  L"4",  L"5",   L"10",  L"15",
                                                   L"20", L"30", L"60", L"90", L"120", L"180", L"300"};

// Status and messages
inline constexpr wchar_t kNoticeNoSaveFolder[] = L"【お知らせ】[保存先フォルダ]が未設定か存在しません、設定してください";
inline constexpr wchar_t kNotFoundPrefix[] = L"[Not Found] ";

// Capture messages
inline constexpr wchar_t kNoSaveFolderMessage[] = L"スクリーンショット保存フォルダが未指定または存在しません。\n\r[保存フォルダ設定]ボタンで指定してください。";
inline constexpr wchar_t kNoFixedRangeMessage[] = L"撮影範囲が未指定です。\n\r[スクショ範囲指定]を行ってください。";

// Auto-capture unit
inline constexpr wchar_t kTimerUnitMinutes[] = L"分毎";
inline constexpr wchar_t kTimerUnitSeconds[] = L"秒毎";
inline constexpr wchar_t kTimerSecondsNotice[] =
    L"自動スクショの単位を「秒」に変更しました。\n\r\n\r【注意】\n\rパソコン性能によっては高負荷により操作不能になるかもしれまんせん。\n\rもしそうなった場合は、ミルロの設定をリセットするために、パソコンを再起動（もしくは電源ボタン長押しして強制停止）し、再起動後にミルロフォルダ内のファイル「ユーザー設定」を削除してください。";
inline constexpr wchar_t kTimerMinutesNotice[] = L"自動スクショの単位を「分」に戻しました。";

} // namespace mirulo::app::texts
