#include "app/Tfm_Mirulo.h"

#include <windows.h>
#include <commctrl.h>

#include <cmath>

#include "AssetIds.h"
#include "app/MainWindowTexts.h"
#include "capture/CaptureFiles.h"
#include "capture/AutoCapturePeriod.h"
#include "capture/HotKeyRegistry.h"
#include "sound/MciPlayer.h"
#include "ui/Dispatch.h"

namespace mirulo::app {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 407;
constexpr int kClientHeight = 513;

constexpr UINT_PTR kAutoCaptureTimerId = 1;
constexpr UINT_PTR kStartMinimisedTimerId = 2;

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MIRULO), IMAGE_ICON,
                                           size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

} // namespace

Tfm_Mirulo::Tfm_Mirulo(platform::Host& host)
    : ui::Window(host), advPager1(host), Timer1(*this, kAutoCaptureTimerId, 100000),
      tm_Min(*this, kStartMinimisedTimerId, 1000) {
    RegisterWindowClass(kMainWindowClass, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                        LoadProgramIcon(::GetSystemMetrics(SM_CXICON)),
                        LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON)));
    // The window can show before its construction ends (restoring the tray option
    // shows it), so it starts with its ordinary caption rather than none.
    const std::wstring designCaption = std::wstring(texts::kCaptionPrefixNormal) + kVersionText;
    CreateHwnd(kMainWindowClass, kWindowExStyle, kWindowStyle, designCaption.c_str(), CW_USEDEFAULT, CW_USEDEFAULT,
               CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    ::AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi());
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    hotKeys_ = std::make_unique<capture::HotKeyRegistry>(hwnd(), host);
    advPager1.Create(hwnd(), RECT{0, 0, kClientWidth, kClientHeight});
    const ui::TabFont tabFonts[] = {{L"Meiryo UI", 15, true}, {L"Tahoma", 15, false}, {L"Meiryo UI", 15, false},
                                    {L"Meiryo UI", 15, false}};
    const wchar_t* tabCaptions[] = {texts::kTabMain, texts::kTabSettings1, texts::kTabSettings2,
                                    texts::kTabSettings3};
    for (int i = 0; i < 4; ++i) {
        advPager1.AddPage(tabCaptions[i], tabFonts[i]);
    }
    CreateControls();
    hints_.Create(hwnd(), fonts_.Get(ui::FontSpec{}, dpi()));

    btn_Close.OnClick = [this] { btn_CloseClick(); };
    ConnectOptionHandlers();
    ConnectCaptureButtons();
    ConnectPictureList();
    ConnectHotKeyLists();
    ConnectRangePicker();
    ConnectAutoCapture();
    ConnectSoundControls();
    tm_Min.OnTimer = [this] { tm_MinTimer(); };

    ui::Guarded(host, hwnd(), [this] { FormCreate(); });
}

Tfm_Mirulo::~Tfm_Mirulo() {
    // Released with the window in FormDestroy; a window torn down without a
    // message loop (tests) must not leave global atoms behind either.
    if (hotKeys_) {
        hotKeys_->ReleaseAll();
    }
}

ui::Control* Tfm_Mirulo::FindControl(std::wstring_view name) const {
    for (ui::Control* control : controls_) {
        if (control->name() == name) {
            return control;
        }
    }
    return nullptr;
}

std::array<ui::CheckBox*, 10> Tfm_Mirulo::CategoryBoxes() {
    return {&chkRND01, &chkRND02, &chkRND03, &chkRND04, &chkRND05,
            &chkRND06, &chkRND07, &chkRND08, &chkRND09, &chkRND10};
}

std::array<bool*, 10> Tfm_Mirulo::CategoryFlags() {
    return {&bl_chkRND01, &bl_chkRND02, &bl_chkRND03, &bl_chkRND04, &bl_chkRND05,
            &bl_chkRND06, &bl_chkRND07, &bl_chkRND08, &bl_chkRND09, &bl_chkRND10};
}

void Tfm_Mirulo::ShowFirstTime() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hwnd());
}

// --- Construction -------------------------------------------------------------

void Tfm_Mirulo::FormCreate() {
    platform::Host& h = host();

    blInFormCreate = true;
    h.Trace(L"FormCreate: begin");

    slMP3.clear();
    h.Trace(L"FormCreate: sound paths");

    iAppExStyle = ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
    h.Trace(L"FormCreate: extended style saved");

    lvl_Ver.SetCaption(kVersionText);
    sFormCap1 = std::wstring(texts::kCaptionPrefixNormal) + lvl_Ver.Caption();
    sFormCap2 = std::wstring(texts::kCaptionPrefixGrey) + lvl_Ver.Caption();
    h.Trace(L"FormCreate: version and captions");

    maxTrackSize_ = {2000, 1010};
    minTrackSize_ = {100, 100};
    h.Trace(L"FormCreate: size limits");

    sImageSaveDir.clear();
    iCapTop = iCapLeft = iCapHeight = iCapWidth = 0;
    tTxtRizozType.clear();
    StatusBar1.SetText(L"");
    h.Trace(L"FormCreate: fields cleared");

    AssignHints();
    h.Trace(L"FormCreate: hints assigned");

    SwitchHintsOn();
    h.Trace(L"FormCreate: hint display");

    FillLists();
    h.Trace(L"FormCreate: lists filled");

    ComputeDefaultPosition();
    h.Trace(L"FormCreate: default position");

    ReadSettings();
    h.Trace(L"FormCreate: settings read");

    ::SetWindowTextW(hwnd(), (cb_IllustNotShow.Checked() ? sFormCap2 : sFormCap1).c_str());
    h.Trace(L"FormCreate: caption");

    BuildSoundListAtStart();
    h.Trace(L"FormCreate: sound list");

    ApplyTimerInterval();
    h.Trace(L"FormCreate: timer interval");

    const bool timerOn = chk_Timer.Checked();
    cb_Timer.SetEnabled(timerOn);
    lbl_Timer.SetEnabled(timerOn);
    lbl_TimerMinSec.SetEnabled(timerOn);
    h.Trace(L"FormCreate: timer controls");

    // The logon-task check arrives with start at logon.
    h.Trace(L"FormCreate: logon task");

    if (IsSaveFolderUsable()) {
        // Pictures whose save a crash or a kill interrupted.
        capture::FinishInterruptedSaves(sImageSaveDir);
    }
    CountImages();
    h.Trace(L"FormCreate: picture list");

    SetHotKey1();
    SetHotKey2();
    SetHotKey3();
    h.Trace(L"FormCreate: hot keys");

    // Starting the game client arrives with the game-client feature.
    h.Trace(L"FormCreate: game client");

    intCaptureTimer = 0;
    h.Trace(L"FormCreate: capture delay");

    hints_.SetTiming(200, 10000);
    h.Trace(L"FormCreate: hint timing");

    if (chk_Minimized.Checked()) {
        tm_Min.SetInterval(1000);
        tm_Min.SetEnabled(true);
    }
    h.Trace(L"FormCreate: start minimised");

    advPager1.SetActivePageIndex(0);
    h.Trace(L"FormCreate: first page");

    blInFormCreate = false;
    h.Trace(L"FormCreate: end");
}

void Tfm_Mirulo::AssignHints() {
    for (const auto& [control, text] : designHints_) {
        control->hint = text;
    }
}

void Tfm_Mirulo::SwitchHintsOn() {
    for (ui::Control* control : controls_) {
        if (!control->hint.empty()) {
            control->showHint = true;
            hints_.Add(control->hwnd(), control->hint);
        }
    }
}

void Tfm_Mirulo::FillLists() {
    const auto fill = [](ui::ComboBox& list, const auto& entries) {
        list.Clear();
        for (const wchar_t* entry : entries) {
            list.Add(entry);
        }
    };
    fill(cb_Key1, texts::kKeyNames);
    fill(cb_KeyAdd1, texts::kModifierNames);
    fill(cb_Key2, texts::kKeyNames);
    fill(cb_KeyAdd2, texts::kModifierNames);
    fill(cb_Key3, texts::kKeyNames);
    fill(cb_KeyAdd3, texts::kModifierNames);
    fill(cb_PNGorJPG, texts::kFormatNames);
    fill(cb_Timer, texts::kTimerPeriods);
}

void Tfm_Mirulo::ComputeDefaultPosition() {
    // Only the work area's size counts, not where it starts.
    RECT workArea{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT frame{};
    ::GetWindowRect(hwnd(), &frame);
    screen_.workAreaWidth = workArea.right - workArea.left;
    screen_.workAreaHeight = workArea.bottom - workArea.top;
    const double height = frame.bottom - frame.top;
    const double width = frame.right - frame.left;
    screen_.centredTop = static_cast<int>(std::floor(screen_.workAreaHeight / 2.0 - height / 2.0));
    screen_.centredLeft = static_cast<int>(std::floor(screen_.workAreaWidth / 2.0 - width / 2.0));
}

void Tfm_Mirulo::ApplyTimerInterval() {
    const int index = cb_Timer.ItemIndex();
    if (index < 0) {
        return;
    }
    Timer1.SetInterval(capture::TimerIntervalMs(std::stoi(cb_Timer.Item(index)), blTimerSecMode));
}

void Tfm_Mirulo::MoveTo(int top, int left) {
    ::SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Showing, closing, destruction --------------------------------------------

void Tfm_Mirulo::FormShow() {
    img_01.BringToFront();
    img_02.BringToFront();
    lb_PicList.SendToBack();
}

void Tfm_Mirulo::FormClose() { WriteIni(); }

void Tfm_Mirulo::FormDestroy() {
    slMP3.clear();
    ReleaseHotKeys();
    MediaPlayer1->Close();
}

void Tfm_Mirulo::CalcFolderSizeAndDelete() {
    // The size cap arrives with the recycle-bin feature.
}

void Tfm_Mirulo::FormResize() {
    // Hiding in the notification area arrives with the tray feature.
}

void Tfm_Mirulo::btn_CloseClick() { ::SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

void Tfm_Mirulo::tm_MinTimer() {
    // Minimising after start arrives with the tray feature; until then one tick is all.
    tm_Min.SetEnabled(false);
}

bool Tfm_Mirulo::OnClose() {
    // A failing final write must not keep the window open: report it and close.
    ui::Guarded(host(), hwnd(), [this] { FormClose(); });
    ::DestroyWindow(hwnd());
    return true;
}

void Tfm_Mirulo::OnDestroy() {
    ui::Guarded(host(), hwnd(), [this] { FormDestroy(); });
    ::PostQuitMessage(0);
}

void Tfm_Mirulo::OnShowWindow(bool shown) {
    if (shown) {
        FormShow();
    }
}

void Tfm_Mirulo::OnHotKey(int id) {
    // A held key repeats; while a capture's message box is open its loop would
    // start a capture per repeat, each with its own box stacked on the last,
    // until the process runs out of stack. One box, answered once.
    if (hotKeyCaptureRunning_) {
        return;
    }
    hotKeyCaptureRunning_ = true;
    ui::Guarded(host(), hwnd(), [this, id] { HotKeyPressed(static_cast<WPARAM>(id)); });
    hotKeyCaptureRunning_ = false;
}

bool Tfm_Mirulo::OnGetMinMaxInfo(MINMAXINFO& info) {
    if (maxTrackSize_.cx == 0) {
        return false;
    }
    info.ptMaxTrackSize = {maxTrackSize_.cx, maxTrackSize_.cy};
    info.ptMinTrackSize = {minTrackSize_.cx, minTrackSize_.cy};
    return true;
}

void Tfm_Mirulo::OnDpiChanged(UINT, const RECT& suggested) {
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace mirulo::app
