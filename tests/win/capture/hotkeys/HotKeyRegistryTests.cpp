// The hot keys as the rest of the desktop sees them: which combinations are taken
// away from other programs, which ID a key press reports, which atoms exist, and
// which warnings the user gets.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "capture/HotKeyRegistry.h"
#include "platform/Wide.h"
#include "support/Desktop.h"
#include "support/TempFolder.h"

using namespace mirulo;
using namespace mirulo::capture;

namespace {

// List indexes by the entry the user picks.
constexpr std::int32_t kNone = 0, kShift = 1, kCtl = 2, kAlt = 3, kNoSelection = -1;
constexpr std::int32_t kKeyOff = 0, kEsc = 1, kF1 = 2, kF2 = 3, kF5 = 6, kF6 = 7, kF9 = 10, kF12 = 13,
                       kPause = 15, kPrtSc = 28;
constexpr HotKeySelection kOff{kNone, kKeyOff};

constexpr HotKeyCombination Combo(std::uint32_t modifiers, std::uint32_t virtualKey) {
    return HotKeyCombination{modifiers, virtualKey};
}

// A plain top-level window that only collects what is posted to it.
HWND CreatePlainWindow(DWORD style) {
    static const ATOM windowClass = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MiruloHotKeyTestWindow";
        return ::RegisterClassExW(&wc);
    }();
    EXPECT_NE(windowClass, 0);
    return ::CreateWindowExW(0, L"MiruloHotKeyTestWindow", L"hot key test", style, 0, 0, 100, 100, nullptr,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

class PlainWindow {
public:
    explicit PlainWindow(DWORD style = WS_OVERLAPPED) : hwnd_(CreatePlainWindow(style)) {}
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    ~PlainWindow() { ::DestroyWindow(hwnd_); }
    HWND get() const { return hwnd_; }

private:
    HWND hwnd_;
};

bool AtomExists(const wchar_t* name) {
    return ::GlobalFindAtomW(name) != 0;
}

// Another program's window, on a thread of its own, holding one combination
// until the object goes away.
class ForeignHolder {
public:
    explicit ForeignHolder(HotKeyCombination combination) {
        std::promise<bool> registered;
        std::future<bool> result = registered.get_future();
        thread_ = std::thread([this, combination, &registered] {
            PlainWindow window;
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here
            threadId_ = ::GetCurrentThreadId();
            const bool ok = ::RegisterHotKey(window.get(), 0x0100, combination.modifiers,
                                             combination.virtualKey) != FALSE;
            registered.set_value(ok);
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_HOTKEY) {
                    ++hotKeysSeen_;
                }
            }
            if (ok) {
                ::UnregisterHotKey(window.get(), 0x0100);
            }
        });
        holds_ = result.get();
    }
    ForeignHolder(const ForeignHolder&) = delete;
    ForeignHolder& operator=(const ForeignHolder&) = delete;
    ~ForeignHolder() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    bool holds() const { return holds_; }
    int hotKeysSeen() const { return hotKeysSeen_; }

private:
    std::thread thread_;
    DWORD threadId_ = 0;
    bool holds_ = false;
    std::atomic<int> hotKeysSeen_{0};
};

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Types the combination as a user would: modifier down, the key `presses` times
// down (auto-repeat when more than once), then everything up again.
void Type(HotKeyCombination combination, int presses = 1) {
    std::vector<INPUT> inputs;
    WORD modifierKey = 0;
    if (combination.modifiers == kModifierShift) {
        modifierKey = VK_SHIFT;
    } else if (combination.modifiers == kModifierControl) {
        modifierKey = VK_CONTROL;
    } else if (combination.modifiers == kModifierAlt) {
        modifierKey = VK_MENU;
    }
    const WORD key = static_cast<WORD>(combination.virtualKey);
    if (modifierKey != 0) {
        inputs.push_back(KeyInput(modifierKey, false));
    }
    for (int i = 0; i < presses; ++i) {
        inputs.push_back(KeyInput(key, false));
    }
    inputs.push_back(KeyInput(key, true));
    if (modifierKey != 0) {
        inputs.push_back(KeyInput(modifierKey, true));
    }
    ASSERT_EQ(::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

struct HotKeyMessage {
    WPARAM id;
    LPARAM combination;
};

// The WM_HOTKEY messages that reach `window` within a short while; every other
// message of the thread is handled meanwhile.
std::vector<HotKeyMessage>
HotKeysReceived(HWND window, std::size_t expected,
                std::chrono::milliseconds patience = std::chrono::milliseconds(2000)) {
    std::vector<HotKeyMessage> received;
    const auto pump = [&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY && msg.hwnd == window) {
                received.push_back({msg.wParam, msg.lParam});
            } else {
                ::DispatchMessageW(&msg);
            }
        }
    };
    // With nothing expected, a short wait shows that nothing comes.
    const auto deadline =
        std::chrono::steady_clock::now() + (expected != 0 ? patience : std::chrono::milliseconds(300));
    while (std::chrono::steady_clock::now() < deadline) {
        pump();
        if (expected != 0 && received.size() >= expected) {
            // A short grace period shows up extra messages.
            ::Sleep(100);
            pump();
            break;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return received;
}

class HotKeys : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : kHotKeyAtomNames) {
            ASSERT_FALSE(AtomExists(name)) << "another run holds the atom or left it behind";
        }
    }
    void TearDown() override {
        registry.ReleaseAll();
        for (const wchar_t* name : kHotKeyAtomNames) {
            EXPECT_FALSE(AtomExists(name));
        }
    }

    // True when some window holds the combination: a further registration of it
    // is refused as already registered.
    bool Taken(HotKeyCombination combination) {
        if (::RegisterHotKey(probe.get(), 0x0200, combination.modifiers, combination.virtualKey)) {
            ::UnregisterHotKey(probe.get(), 0x0200);
            return false;
        }
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
        return true;
    }

    std::array<std::int32_t, kHotKeyCount> Ids() const {
        return {registry.Id(1), registry.Id(2), registry.Id(3)};
    }

    // The start of the program: hot keys 1, 2, 3 in this order.
    void Start(const HotKeySelections& copies) {
        for (int number = 1; number <= kHotKeyCount; ++number) {
            const std::int32_t id = registry.SetHotKey(number, copies);
            EXPECT_EQ(id, registry.Id(number));
        }
    }

    // A list change: release this hot key, then register it from the new copies.
    void Change(int number, const HotKeySelections& copies) {
        registry.Release(number);
        EXPECT_EQ(registry.Id(number), 0);
        registry.SetHotKey(number, copies);
    }

    PlainWindow window;
    PlainWindow probe;
    int warnings = 0;
    HotKeyRegistry registry{window.get(), [this] { ++warnings; }};
};

TEST_F(HotKeys, EachSetHotKeyTakesItsCombinationUnderItsOwnAtom) {
    struct Case {
        const char* name;
        HotKeySelections copies;
        std::array<std::optional<HotKeyCombination>, kHotKeyCount> expected;
    };
    const std::vector<Case> cases = {
        {"defaults", {kOff, kOff, kOff}, {}},
        {"all three",
         {{{kCtl, kF1}, {kShift, kF1}, {kNone, kF5}}},
         {Combo(MOD_CONTROL, VK_F1), Combo(MOD_SHIFT, VK_F1), Combo(0, VK_F5)}},
        {"alt and plain keys",
         {{{kAlt, kPrtSc}, kOff, {kNone, kEsc}}},
         {Combo(MOD_ALT, VK_SNAPSHOT), std::nullopt, Combo(0, VK_ESCAPE)}},
        {"lists without selection",
         {{{kNoSelection, kF12}, {kShift, kNoSelection}, {kCtl, kPause}}},
         {Combo(0, VK_F12), std::nullopt, Combo(MOD_CONTROL, VK_PAUSE)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.copies);
        for (int number = 1; number <= kHotKeyCount; ++number) {
            SCOPED_TRACE(number);
            const auto& expected = c.expected[static_cast<std::size_t>(number - 1)];
            const wchar_t* atomName = kHotKeyAtomNames[static_cast<std::size_t>(number - 1)];
            if (expected) {
                EXPECT_EQ(registry.Id(number), static_cast<std::int32_t>(::GlobalFindAtomW(atomName)));
                EXPECT_GE(registry.Id(number), 0xC000);
                EXPECT_LE(registry.Id(number), 0xFFFF);
                EXPECT_TRUE(registry.IsActive(number));
                EXPECT_TRUE(Taken(*expected));
            } else {
                EXPECT_EQ(registry.Id(number), 0);
                EXPECT_FALSE(AtomExists(atomName));
                EXPECT_FALSE(registry.IsActive(number));
            }
        }
        EXPECT_EQ(warnings, 0);
        registry.ReleaseAll();
        for (const auto& expected : c.expected) {
            if (expected) {
                EXPECT_FALSE(Taken(*expected)) << "given back";
            }
        }
    }
    // Nothing from the defaults case or the unset slots took these.
    EXPECT_FALSE(Taken(Combo(0, VK_F1)));
    EXPECT_FALSE(Taken(Combo(MOD_SHIFT, VK_ESCAPE)));
}

TEST_F(HotKeys, TypingTheCombinationReportsTheHotKeysId) {
    const HotKeySelections copies = {{{kCtl, kF1}, {kShift, kF1}, {kAlt, kF9}}};
    Start(copies);
    const std::array<HotKeyCombination, kHotKeyCount> typed = {
        Combo(MOD_CONTROL, VK_F1), Combo(MOD_SHIFT, VK_F1), Combo(MOD_ALT, VK_F9)};
    for (int number = 1; number <= kHotKeyCount; ++number) {
        SCOPED_TRACE(number);
        const HotKeyCombination combination = typed[static_cast<std::size_t>(number - 1)];
        Type(combination);
        const auto received = HotKeysReceived(window.get(), 1);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].id, static_cast<WPARAM>(registry.Id(number)));
        EXPECT_EQ(received[0].combination, MAKELPARAM(static_cast<WORD>(combination.modifiers),
                                                      static_cast<WORD>(combination.virtualKey)));
        EXPECT_EQ(HotKeyNumberForId(received[0].id, Ids()), number);
    }
    // The bare key belongs to no hot key.
    Type(Combo(0, VK_F1));
    EXPECT_TRUE(HotKeysReceived(window.get(), 0).empty());
}

// The whole road of a user's key press: the display's keyboard, Wine's input,
// the desktop's hot-key table and the registered window's queue. xdotool types
// on the X display; Wine starts Unix programs through CreateProcessW like its
// own, and the key goes to whichever Wine window has the keyboard focus.
TEST_F(HotKeys, AKeyTypedOnTheDisplayKeyboardReachesTheHotKey) {
    ASSERT_STRNE(MIRULO_XDOTOOL, "") << "xdotool is missing (Debian package: xdotool)";
    Start({{kOff, kOff, {kCtl, kF5}}});

    PlainWindow focus(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ::SetForegroundWindow(focus.get());
    HotKeysReceived(focus.get(), 0);

    // In the background: the hot key is read from this thread's queue below.
    std::wstring why;
    ASSERT_TRUE(testkit::XDoToolInBackground(L"key ctrl+F5", &why)) << platform::Narrow(why);

    const auto received = HotKeysReceived(window.get(), 1, std::chrono::milliseconds(10000));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].id, static_cast<WPARAM>(registry.Id(3)));
    EXPECT_EQ(received[0].combination, MAKELPARAM(MOD_CONTROL, VK_F5));
}

TEST_F(HotKeys, KeyOffReleasesTheHotKeyAndGivesTheKeyBack) {
    HotKeySelections copies = {{{kNone, kF5}, kOff, kOff}};
    Start(copies);
    ASSERT_TRUE(Taken(Combo(0, VK_F5)));

    copies[0].keyIndex = kKeyOff;
    Change(1, copies);
    EXPECT_EQ(registry.Id(1), 0);
    EXPECT_FALSE(registry.IsActive(1));
    EXPECT_FALSE(Taken(Combo(0, VK_F5)));
    EXPECT_FALSE(AtomExists(L"Mirulo1"));
    EXPECT_EQ(warnings, 0);
}

TEST_F(HotKeys, ChangingHotKeyThreeLeavesHotKeyTwoWorking) {
    HotKeySelections copies = {{kOff, {kShift, kF2}, {kNone, kF5}}};
    Start(copies);
    const std::int32_t idTwo = registry.Id(2);

    copies[2].keyIndex = kF6;
    Change(3, copies);

    EXPECT_EQ(registry.Id(2), idTwo);
    EXPECT_TRUE(registry.IsActive(2));
    EXPECT_TRUE(AtomExists(L"Mirulo2"));
    EXPECT_FALSE(Taken(Combo(0, VK_F5)));
    EXPECT_TRUE(Taken(Combo(0, VK_F6)));
    Type(Combo(MOD_SHIFT, VK_F2));
    const auto received = HotKeysReceived(window.get(), 1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].id, static_cast<WPARAM>(idTwo));
}

TEST_F(HotKeys, ACombinationAnotherProgramHoldsRegistersNothingAndSaysNothing) {
    ForeignHolder other(Combo(MOD_ALT, VK_F9));
    ASSERT_TRUE(other.holds());

    registry.SetHotKey(1, {{{kAlt, kF9}, kOff, kOff}});
    EXPECT_FALSE(registry.IsActive(1));
    // The ID is kept even so, and given back like any other.
    EXPECT_EQ(registry.Id(1), static_cast<std::int32_t>(::GlobalFindAtomW(L"Mirulo1")));
    EXPECT_EQ(warnings, 0);

    Type(Combo(MOD_ALT, VK_F9));
    EXPECT_TRUE(HotKeysReceived(window.get(), 0).empty());
    for (int wait = 0; wait < 100 && other.hotKeysSeen() == 0; ++wait) {
        ::Sleep(20);
    }
    EXPECT_EQ(other.hotKeysSeen(), 1) << "the holder keeps getting the key";
    // Our failed attempt did not take it from its holder either.
    registry.Release(1);
    EXPECT_TRUE(Taken(Combo(MOD_ALT, VK_F9)));
}

TEST_F(HotKeys, DuplicateWarningFollowsEveryRegistrationWhileTwoClash) {
    struct Case {
        const char* name;
        HotKeySelections copies;
        int warnings;
        std::array<bool, kHotKeyCount> active;
    };
    const std::vector<Case> cases = {
        {"1 and 2 equal", {{{kShift, kF1}, {kShift, kF1}, kOff}}, 2, {true, false, false}},
        {"1 and 2 equal, 3 set", {{{kShift, kF1}, {kShift, kF1}, {kNone, kF5}}}, 3, {true, false, true}},
        {"same key, other modifiers", {{{kShift, kF1}, {kCtl, kF1}, kOff}}, 0, {true, true, false}},
        {"2 and 3 equal", {{kOff, {kNone, kPause}, {kNone, kPause}}}, 2, {false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        warnings = 0;
        Start(c.copies);
        EXPECT_EQ(warnings, c.warnings);
        for (int number = 1; number <= kHotKeyCount; ++number) {
            EXPECT_EQ(registry.IsActive(number), c.active[static_cast<std::size_t>(number - 1)]) << number;
        }
        registry.ReleaseAll();
    }
}

TEST_F(HotKeys, OfTwoEqualCombinationsTheFirstRegisteredCaptures) {
    Start({{{kShift, kF1}, {kShift, kF1}, kOff}});
    ASSERT_NE(registry.Id(2), 0);
    Type(Combo(MOD_SHIFT, VK_F1));
    const auto received = HotKeysReceived(window.get(), 1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(HotKeyNumberForId(received[0].id, Ids()), 1);

    // The check on its own warns once per call while a pair clashes, and not
    // at all once the clash is gone.
    warnings = 0;
    registry.CheckKeySettings({{{kShift, kF1}, {kShift, kF1}, kOff}});
    EXPECT_EQ(warnings, 1);
    registry.CheckKeySettings({{{kShift, kF1}, {kShift, kF2}, kOff}});
    EXPECT_EQ(warnings, 1);
}

TEST_F(HotKeys, EveryAtomAddedIsDeletedExactlyOnce) {
    // Another reference to the same atoms, held by the test: after our release
    // they must still exist (no double delete), and vanish once the test lets go
    // (no leak, also when a hot key is set again without a release first).
    std::array<ATOM, kHotKeyCount> outside{};
    for (std::size_t i = 0; i < outside.size(); ++i) {
        outside[i] = ::GlobalAddAtomW(kHotKeyAtomNames[i]);
        ASSERT_NE(outside[i], 0);
    }
    const HotKeySelections copies = {{{kNone, kF5}, {kNone, kF6}, {kAlt, kF1}}};
    Start(copies);
    for (std::size_t i = 0; i < outside.size(); ++i) {
        EXPECT_EQ(registry.Id(static_cast<int>(i) + 1), static_cast<std::int32_t>(outside[i]));
    }
    Start(copies);
    EXPECT_TRUE(registry.IsActive(1));
    registry.ReleaseAll();
    registry.ReleaseAll();
    for (std::size_t i = 0; i < outside.size(); ++i) {
        EXPECT_TRUE(AtomExists(kHotKeyAtomNames[i]));
        ::GlobalDeleteAtom(outside[i]);
        EXPECT_FALSE(AtomExists(kHotKeyAtomNames[i]));
    }
}

TEST_F(HotKeys, AMovedRegistrationIsReleasedOnceByItsLastOwner) {
    const ATOM outside = ::GlobalAddAtomW(L"Mirulo1");
    {
        HotKeyRegistration first(window.get(), L"Mirulo1", Combo(0, VK_F5));
        ASSERT_TRUE(first.active());
        HotKeyRegistration second(std::move(first));
        EXPECT_EQ(first.id(), 0);
        HotKeyRegistration third;
        third = std::move(second);
        EXPECT_TRUE(third.active());
        EXPECT_TRUE(Taken(Combo(0, VK_F5)));
    }
    EXPECT_FALSE(Taken(Combo(0, VK_F5)));
    EXPECT_TRUE(AtomExists(L"Mirulo1"));
    ::GlobalDeleteAtom(outside);
    EXPECT_FALSE(AtomExists(L"Mirulo1"));
}

TEST_F(HotKeys, TheRegistryGivesEverythingBackWhenItGoes) {
    {
        HotKeyRegistry scoped(window.get(), [] {});
        scoped.SetHotKey(1, {{{kNone, kF5}, {kNone, kF6}, kOff}});
        scoped.SetHotKey(2, {{{kNone, kF5}, {kNone, kF6}, kOff}});
        ASSERT_TRUE(Taken(Combo(0, VK_F6)));
    }
    EXPECT_FALSE(Taken(Combo(0, VK_F5)));
    EXPECT_FALSE(Taken(Combo(0, VK_F6)));
    EXPECT_FALSE(AtomExists(L"Mirulo1"));
    EXPECT_FALSE(AtomExists(L"Mirulo2"));
}

TEST_F(HotKeys, NumbersOutsideOneToThreeTouchNothing) {
    for (const int number : {0, 4, -1}) {
        EXPECT_EQ(registry.SetHotKey(number, {{{kNone, kF5}, {kNone, kF5}, {kNone, kF5}}}), 0);
        registry.Release(number);
        EXPECT_EQ(registry.Id(number), 0);
        EXPECT_FALSE(registry.IsActive(number));
    }
    EXPECT_FALSE(Taken(Combo(0, VK_F5)));
    EXPECT_EQ(warnings, 0);
    for (const wchar_t* name : kHotKeyAtomNames) {
        EXPECT_FALSE(AtomExists(name));
    }
}

} // namespace
