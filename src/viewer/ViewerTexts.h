#pragma once
// Every text the viewer shows, exactly as the user reads it.

namespace mirulo::viewer::texts {

inline constexpr wchar_t kTitle[] = L"画像ビューア";

inline constexpr wchar_t kHintPrevious[] = L"１つ前の画像に切り替えます";
inline constexpr wchar_t kHintNext[] = L"次の画像に切り替えます";
inline constexpr wchar_t kHintDust[] = L"画像をゴミ箱へ移動 / 元に戻すにはボタン右クリック";
inline constexpr wchar_t kHintClipboard[] = L"画像をクリップボードへコピー(XやDiscordにCtrl+Vで貼付可能)";
inline constexpr wchar_t kHintEdit[] = L"画像を指定の画像編集ソフトで開く";
inline constexpr wchar_t kHintGray[] = L"画像のグレースケール加工を生成";
inline constexpr wchar_t kHintSepia[] = L"画像のセピア加工を生成";
inline constexpr wchar_t kHintPrint[] = L"画像を印刷";

// The strip's buttons by the names screen readers announce (never drawn).
inline constexpr wchar_t kNamePrevious[] = L"前の画像";
inline constexpr wchar_t kNameNext[] = L"次の画像";
inline constexpr wchar_t kNameDust[] = L"ゴミ箱へ移動";
inline constexpr wchar_t kNameClipboard[] = L"クリップボードへコピー";
inline constexpr wchar_t kNameEdit[] = L"画像編集ソフトで開く";
inline constexpr wchar_t kNameGray[] = L"グレースケール生成";
inline constexpr wchar_t kNameSepia[] = L"セピア生成";
inline constexpr wchar_t kNamePrint[] = L"印刷";

inline constexpr wchar_t kNoDefaultPrinter[] = L"デフォルトのプリンタが現在選択されていません";
inline constexpr wchar_t kPrinterNotSupported[] = L"選択したプリンタで操作がサポートされていません";
inline constexpr wchar_t kPrinterNotPrinting[] = L"プリンタは現在印刷を行っていません";

// Error boxes about a picture: the headline, then the file's path, then why.
inline constexpr wchar_t kCannotShow[] = L"画像を表示できません";
inline constexpr wchar_t kCannotPrint[] = L"画像を印刷できません";
inline constexpr wchar_t kCannotMakeGrey[] = L"グレースケール画像を作成できません";
inline constexpr wchar_t kCannotMakeSepia[] = L"セピア画像を作成できません";
// A copy's file could not be written (the same words as a capture's).
inline constexpr wchar_t kCannotSavePicture[] = L"画像ファイルを保存できません";
inline constexpr wchar_t kConversionFailed[] = L"画像の変換に失敗しました。";

inline constexpr wchar_t kNoSelectionDelete[] =
    L"【お知らせ】ファイル削除機能\r\n\r\n画像一覧でファイルが未選択です";

inline constexpr wchar_t kClipboardDone[] =
    L"[クリップボードにコピー完了] X等の投稿画面にCtrl+Vで貼付可能です";
inline constexpr wchar_t kGrayTagMain[] = L"[グレイスケール生成] ";
inline constexpr wchar_t kGrayTagViewer[] = L"[グレイスケール生成]";
inline constexpr wchar_t kSepiaTagMain[] = L"[セピア生成] ";
inline constexpr wchar_t kSepiaTagViewer[] = L"[セピア生成]";

} // namespace mirulo::viewer::texts
