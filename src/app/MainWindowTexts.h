#pragma once
// The main window's texts, exactly as the user reads them: window captions, tabs,
// hints, list entries, notices and status texts. Two kinds stand beside what they
// describe instead: control captions in the control table (MainWindowLayout.cpp),
// next to each control's place, and the hot-key list entries in their table
// (capture/HotKeyTable.h), next to each key's code.

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
// The file is held by another program or closed to us: it may be perfectly good.
inline constexpr wchar_t kSettingsLeftAsItIs[] =
    L"\r\n\r\n設定は初期値で始めます。ファイルには手を付けず、読み込めるようになるまで書き込みません。"
    L"読み込めるようになったら、ファイルの設定はそのまま残し、この間に変えた設定だけを書き込みます。";
// A settings file that became unreadable while the tool ran; its path comes next.
inline constexpr wchar_t kSettingsDamagedKeptAs[] =
    L"設定ファイルが読み込めない状態 (UTF-8 ではない文字コードなど) "
    L"になっていたため、今の設定で保存し直しました。\r\n";

// Hints
inline constexpr wchar_t kHintPicList[] =
    L"[左ダブルクリック] 画像表示\u3000[右クリック] クリップボードへコピー\u3000"
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
inline constexpr wchar_t kHintTrayIcon[] =
    L"最小化時はタスクバーに表示せず通知領域アイコンで表示（アイコンクリックで復帰）";
inline constexpr wchar_t kHintExecUO[] =
    L"ミルロを起動したら同時にUOも起動可能（すでにUOが起動中の場合を除く）";
inline constexpr wchar_t kHintExecUOButton[] = L"同時起動させたいアプリを指定（3Dクライアント＝uopatch."
                                               L"exe、2Dクライアント=UO.exe、UOA＝UOAssist.exe を指定）";
inline constexpr wchar_t kHintSetRect[] = L"２点をクリックして撮影範囲を指定";
inline constexpr wchar_t kHintKeys[] = L"スクショを実行するキーの設定";
inline constexpr wchar_t kHintToClipboard[] =
    L"撮影と同時に画像をクリップボードへコピー(XやDiscordにCtrl+Vで貼付可能)";
inline constexpr wchar_t kHintTimer[] = L"タイマーで連続スクショ";
inline constexpr wchar_t kHintTimerMinSec[] =
    L"Shift＋右クリックで秒単位に変更可能(PC性能によっては操作不能になるかもしれないので非推奨の機能)";
inline constexpr wchar_t kHintSound[] = L"撮影時に音を鳴らす";
inline constexpr wchar_t kHintDLC[] = L"DLCサイトを開きます";
inline constexpr wchar_t kHintMP3Folder[] = L"チェックを付けた物が一覧に表示されます";
inline constexpr wchar_t kHintSoundList[] = L"鳴らしたい音を一覧から選択";
inline constexpr wchar_t kHintSoundFolder[] = L"音の入ったフォルダを開きます。お気に入りへの移動を行えます。";
inline constexpr wchar_t kHintRefreshMP3[] =
    L"音一覧を更新します。お気に入り等への移動を行ったら押してください";
inline constexpr wchar_t kHintPlay[] = L"撮影音の試聴";
inline constexpr wchar_t kHintIllustNotShow[] = L"イラストを非表示にできます";
inline constexpr wchar_t kHintMinimize[] = L"最小化";
inline constexpr wchar_t kHintClose[] = L"閉じる";

// The icon buttons by the names screen readers announce (never drawn).
inline constexpr wchar_t kNameOpenFolder[] = L"画像フォルダーを開く";
inline constexpr wchar_t kNameReload[] = L"画像一覧の更新";
inline constexpr wchar_t kNameDust[] = L"ゴミ箱へ移動";
inline constexpr wchar_t kNameRename[] = L"画像ファイル名の変更";
inline constexpr wchar_t kNameClipboard[] = L"クリップボードへコピー";
inline constexpr wchar_t kNameViewer[] = L"内蔵ビューアで表示";
inline constexpr wchar_t kNameEdit[] = L"画像編集ソフトで開く";
inline constexpr wchar_t kNameSaveFolder[] = L"保存先フォルダの指定";
inline constexpr wchar_t kNameEditor[] = L"画像編集ソフトの指定";
inline constexpr wchar_t kNameSoundFolder[] = L"音のフォルダを開く";
inline constexpr wchar_t kNameRefreshSounds[] = L"音の一覧の更新";
inline constexpr wchar_t kNameMinimize[] = L"最小化";
inline constexpr wchar_t kNameClose[] = L"閉じる";

// Lists
inline constexpr const wchar_t* kFormatNames[] = {L"PNG", L"JPG"};
inline constexpr const wchar_t* kTimerPeriods[] = {L"1",  L"2",  L"3",  L"4",  L"5",   L"10",  L"15",
                                                   L"20", L"30", L"60", L"90", L"120", L"180", L"300"};

// The auto-capture period's unit
inline constexpr wchar_t kPerMinutes[] = L"分毎";
inline constexpr wchar_t kPerSeconds[] = L"秒毎";

// Status and messages
// Shown after a hot key is registered while two of them share one combination.
inline constexpr wchar_t kDuplicateKeyWarning[] =
    L"キーの組み合わせが同じです。\n\r\n\r特に理由が無ければ異なるキーにすることをオススメします。";
inline constexpr wchar_t kCaptureNoSaveFolder[] = L"スクリーンショット保存フォルダが未指定または存在しません"
                                                  L"。\n\r[保存フォルダ設定]ボタンで指定してください。";
inline constexpr wchar_t kCaptureNoFixedRange[] =
    L"撮影範囲が未指定です。\n\r[スクショ範囲指定]を行ってください。";
inline constexpr wchar_t kNoticeNoSaveFolder[] =
    L"【お知らせ】[保存先フォルダ]が未設定か存在しません、設定してください";
inline constexpr wchar_t kNotFoundPrefix[] = L"[Not Found] ";
inline constexpr wchar_t kNoticeCapOn[] =
    L"自動削除機能がオンになりました。\n\r消えて困る画像は保存フォルダから移動しておいてください。\n\r"
    L"(削除された画像はゴミ箱に入ります)";
inline constexpr wchar_t kCapNotWholeNumber[] = L"'%s' は整数ではありません";
inline constexpr wchar_t kCannotRecycleTag[] = L"[ゴミ箱へ移動できません] ";
// Followed by each picture's full path and the system's reason, a line each.
inline constexpr wchar_t kCapKeptPictures[] =
    L"自動削除: ゴミ箱へ移動できない画像は保存フォルダに残しました\r\n(この画像についてはもう表示しません)";
inline constexpr wchar_t kRecycledTag[] = L"[ゴミ箱へ移動] ";
inline constexpr wchar_t kNoSelectionDelete[] =
    L"【お知らせ】ファイル削除機能\r\n\r\n画像一覧でファイルが未選択です";
inline constexpr wchar_t kNoSelectionRename[] =
    L"【お知らせ】ファイル名変更機能\r\n\r\n画像一覧でファイルが未選択です";
inline constexpr wchar_t kNoSelectionEdit[] =
    L"【お知らせ】画像編集機能\r\n\r\n画像一覧でファイルが未選択です";
inline constexpr wchar_t kNoSelectionClipboard[] =
    L"【お知らせ】クリップボードへコピー機能\r\n\r\n画像一覧でファイルが未選択です";
inline constexpr wchar_t kRenameFailed[] =
    L"ファイル名変更できませんでした\n\r\n\r考えられる理由(例)\n\r・既存のファイル名と重複\n\r"
    L"・ファイル名として認められていない文字が含まれていた\n\r・元のファイルが存在しなかった";
inline constexpr wchar_t kNoEditor[] = L"指定された画像編集ソフトが存在しません";
inline constexpr wchar_t kNoGestureEditor[] = L"指定されたShift+右クリック用アプリが存在しません";
inline constexpr wchar_t kCopiedToClipboard[] = L"画像をクリップボードへコピーしました";
inline constexpr wchar_t kNoticeOpenFolder[] =
    L"【お知らせ】\r\n\r\n[保存先フォルダ]が未設定か存在しません、設定してください";
inline constexpr wchar_t kChooseFolderTitle[] = L"フォルダの指定";
inline constexpr wchar_t kEditorFilter[] = L"実行ファイル\0*.exe; *.com"; // "実行ファイル|*.exe; *.com"

// Followed by the path that SCHTASKS would receive with "?" in place of some characters.
inline constexpr wchar_t kNoticeLogonTaskPath[] =
    L"【お知らせ】Windows起動時の自動実行を設定できません\r\n\r\n"
    L"次のパスに、この環境の文字コードで表せない文字が含まれています\r\n";

// Around the program's folder, when it or the program or its settings file can
// be changed by users other than administrators.
inline constexpr wchar_t kNoticeUnsafeLogonPlace[] =
    L"【お知らせ】ミルロのフォルダは管理者以外のユーザーも変更できます\r\n\r\n";
inline constexpr wchar_t kNoticeUnsafeLogonPlaceHow[] =
    L"\r\n\r\nWindows起動時の自動実行では、ミルロが管理者権限で確認なしに起動します。"
    L"このフォルダのミルロ本体や設定ファイルを変更できる人は誰でも、次回のログオン時に管理者権限を得られます"
    L"。\r\n\r\n"
    L"ミルロのフォルダを Program Files の下など、管理者だけが変更できる場所へ移してから、"
    L"自動実行を設定し直してください。";

// Shown by the hidden switch of the auto-capture's unit.
inline constexpr wchar_t kTimerSecondsNotice[] =
    L"自動スクショの単位を「秒」に変更しました。\n\r\n\r【注意】\n\rパソコン性能によっては高負荷により操作不"
    L"能になるかもしれまんせん。\n\rもしそうなった場合は、ミルロの設定をリセットするために、パソコンを再起動"
    L"（もしくは電源ボタン長押しして強制停止）し、再起動後にミルロフォルダ内のファイル「ユーザー設定」を削除"
    L"してください。";
inline constexpr wchar_t kTimerMinutesNotice[] = L"自動スクショの単位を「分」に戻しました。";

} // namespace mirulo::app::texts
