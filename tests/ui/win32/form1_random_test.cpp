// Thousands of seeded random keys sent to the real Veltrix.exe with SendInput, each press checked
// to recompute nothing and each release against calc::Recalculate run over the same texts in
// memory. A Windows program under the same Wine server as Veltrix; window_e2e.py --random gives
// it a display and a locale.
//
// Usage: form1_random_test VELTRIX.EXE ROW SEPARATOR, ROW naming the locale's row and SEPARATOR
// its decimal separator. VELTRIX_RANDOM_SEED replays a run, VELTRIX_RANDOM_RELEASES lengthens it.
#include "form1_reader.h"
#include "tests/support/memory_fields.h"
#include "tests/support/pinned_window.h"
#include "tests/support/random_inputs.h"
#include "text_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <random>
#include <string>
#include <utility>

using calc::AmountField;

namespace {

constexpr std::array<const char *, 3> fieldNames{"txtBez", "txt5", "txt19"};
constexpr std::size_t maxTyped = pinned_window::MaxTypedLength;
// Key releases per locale row; VELTRIX_RANDOM_RELEASES makes a longer or shorter run.
constexpr int defaultReleases = 1500;
constexpr DWORD settleMilliseconds = 5000;

using random_inputs::ClipboardTexts;
using random_inputs::StaleTexts;
const std::wstring typedCharacters = ToUtf16(random_inputs::TypedCharacters);

std::string Describe(const std::array<std::string, 3> &texts)
{
    return "[\"" + texts[0] + "\", \"" + texts[1] + "\", \"" + texts[2] + "\"]";
}

INPUT KeyInput(WORD key, bool release)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = WORD(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END: case VK_DELETE:
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    }
    return input;
}

// A typed character as the system delivers one that no key of the layout makes: VK_PACKET.
INPUT CharacterInput(wchar_t c, bool release)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = c;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
    return input;
}

struct Key {
    INPUT down, up;
    std::string name;
};

class RandomKeys
{
public:
    RandomKeys(std::wstring program, std::string row, std::string separator)
        : program(std::move(program)), row(std::move(row)), separator(std::move(separator)) {}

    // True when every release of the row matched.
    bool Run(std::uint64_t seed, unsigned stream, int releasesWanted);

private:
    bool Start();
    void Stop();
    bool Act();
    Key Typed();
    Key Navigation();
    bool Tap(const Key &key);
    bool Chord(const Key &modifier, const Key &key);
    bool Hold(const Key &key, int repeats);
    bool Press(const Key &key);
    bool Release(const Key &key);
    void Stamp(std::array<std::string, 3> &stamped, int spared);
    bool CheckOverflow(const std::array<std::string, 3> &stamped);
    bool Fail(const std::string &what);
    static Key Plain(WORD vk, const char *name) { return {KeyInput(vk, false), KeyInput(vk, true), name}; }
    std::uint64_t Pick(std::uint64_t n) { return rng() % n; }  // the same on every library
    bool Chance(std::uint64_t oneIn) { return Pick(oneIn) == 0; }

    std::wstring program;
    std::string row, separator;
    std::uint64_t seed = 0;
    std::mt19937_64 rng;
    PROCESS_INFORMATION process{};
    HWND form = nullptr;

    int focus = 0;                      // the field the focus should be in, by calc::AmountField
    std::array<std::string, 3> synced;  // the texts when the last release had been handled
    int syncedFocus = 0;
    std::string action;
    int actions = 0, releases = 0, overflows = 0;
};

bool RandomKeys::Run(std::uint64_t seed, unsigned stream, int releasesWanted)
{
    this->seed = seed;
    std::seed_seq seeds{unsigned(seed), unsigned(seed >> 32), stream};
    rng.seed(seeds);
    if (!Start())
        return false;
    bool ok = true;
    while (ok && releases < releasesWanted) {
        ++actions;
        ok = Act();
    }
    Stop();
    if (ok)
        std::printf("%s: %d key releases in %d actions, %d overflows\n", row.c_str(), releases,
                    actions, overflows);
    return ok;
}

bool RandomKeys::Start()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return Fail("Veltrix.exe does not start: error " + std::to_string(GetLastError()));
    WaitForInputIdle(process.hProcess, settleMilliseconds);
    for (DWORD waited = 0; !form && waited < settleMilliseconds; waited += 10) {
        form = Form1Reader::Find(process.dwProcessId);
        if (!form)
            Sleep(10);
    }
    if (!form)
        return Fail("no window appeared");
    SetForegroundWindow(form);
    const Form1Reader reader(form);
    for (DWORD waited = 0; reader.Focused() != 3 && waited < settleMilliseconds; waited += 10)
        Sleep(10);
    focus = syncedFocus = 0;
    synced = {"", "", ""};
    if (reader.Focused() != 3)
        return Fail("the focus does not start in txtBez");
    return true;
}

// Ends the program outright: how a close ends it is the end-to-end test's to check.
void RandomKeys::Stop()
{
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, settleMilliseconds);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = {};
    form = nullptr;
}

Key RandomKeys::Typed()
{
    const wchar_t c = typedCharacters[Pick(typedCharacters.size())];
    return {CharacterInput(c, false), CharacterInput(c, true), "'" + ToUtf8(std::wstring(1, c)) + "'"};
}

Key RandomKeys::Navigation()
{
    static const std::array<std::pair<WORD, const char *>, 6> keys{
        {{VK_LEFT, "Left"}, {VK_RIGHT, "Right"}, {VK_UP, "Up"}, {VK_DOWN, "Down"},
         {VK_HOME, "Home"}, {VK_END, "End"}}};
    const auto &[vk, name] = keys[Pick(keys.size())];
    return Plain(vk, name);
}

bool RandomKeys::Act()
{
    const Key shift = Plain(VK_SHIFT, "Shift"), control = Plain(VK_CONTROL, "Ctrl");
    const std::uint64_t roll = Pick(100);
    if (roll < 45) {
        const Key typed = Typed();
        const auto c = wchar_t(typed.down.ki.wScan);
        return std::iswupper(c) || c == L'&' || c == L'+' ? Chord(shift, typed) : Tap(typed);
    }
    if (roll < 55)
        return Tap(Chance(2) ? Plain(VK_BACK, "Backspace") : Plain(VK_DELETE, "Delete"));
    if (roll < 65)
        return Chance(3) ? Chord(shift, Navigation()) : Tap(Navigation());
    if (roll < 70) {
        focus = (focus + 1) % 3;
        return Tap(Plain(VK_TAB, "Tab"));
    }
    if (roll < 75) {
        focus = (focus + 2) % 3;
        return Chord(shift, Plain(VK_TAB, "Tab"));
    }
    if (roll < 80)
        return Chord(control, Plain('A', "A"));
    if (roll < 87) {
        std::string clip;
        if (Chance(2))
            clip = ClipboardTexts[Pick(ClipboardTexts.size())];
        else
            for (auto n = Pick(13); n > 0; --n)
                clip += ToUtf8(std::wstring(1, typedCharacters[Pick(typedCharacters.size())]));
        if (!PutOnClipboard(clip))
            return Fail("the clipboard refused \"" + clip + "\"");
        return Chord(control, Plain('V', ("V of \"" + clip + "\"").c_str()));
    }
    if (roll < 89)
        return Tap(Plain(VK_RETURN, "Enter"));
    if (roll < 91)
        return Tap(shift);
    if (roll < 93)
        return Tap(control);
    const std::array<Key, 4> holdable{Plain(VK_BACK, "Backspace"), Plain(VK_DELETE, "Delete"),
                                      Navigation(), Typed()};
    return Hold(holdable[Pick(holdable.size())], 1 + int(Pick(8)));
}

bool RandomKeys::Tap(const Key &key)
{
    action = key.name;
    return Press(key) && Release(key);
}

// A modifier held around a key; people let go of either first, and both releases count.
bool RandomKeys::Chord(const Key &modifier, const Key &key)
{
    action = modifier.name + "+" + key.name;
    if (!Press(modifier) || !Press(key))
        return false;
    if (Chance(2))
        return Release(key) && Release(modifier);
    return Release(modifier) && Release(key);
}

// A held key repeats its press; Windows sends one release at the end, and only that recomputes.
bool RandomKeys::Hold(const Key &key, int repeats)
{
    action = "hold " + key.name + ", " + std::to_string(repeats) + " repeats";
    for (int i = 0; i <= repeats; ++i)
        if (!Press(key))
            return false;
    return Release(key);
}

// Stale texts into the fields a key should leave to a release (never into the field the focus is
// in or is moving to, which the keys may be changing).
void RandomKeys::Stamp(std::array<std::string, 3> &stamped, int spared)
{
    const Form1Reader reader(form);
    for (int i = 0; i < 3; ++i) {
        if (i != focus && i != spared) {
            stamped[i] = StaleTexts[Pick(StaleTexts.size())];
            Form1Reader::SetText(reader.Field(AmountField(i)), stamped[i]);
        }
    }
}

// A press, held or not, recomputes nothing: once the window has handled it, the stale texts stand.
// One press in four is checked, which over thousands catches any key that recomputes on its
// press at a fraction of the cost of asking the window every time.
bool RandomKeys::Press(const Key &key)
{
    INPUT input = key.down;
    if (!Chance(4))
        return SendInput(1, &input, sizeof input) == 1 || Fail("SendInput refused a press");
    const Form1Reader reader(form);
    std::array<std::string, 3> stamped{};
    const int focused = reader.Focused() - 3;
    Stamp(stamped, focused);
    if (SendInput(1, &input, sizeof input) != 1)
        return Fail("SendInput refused a press");
    if (!reader.Drained())
        return Fail("the window did not handle a press within 5 s");
    const std::array<std::string, 3> texts = reader.Texts();
    for (int i = 0; i < 3; ++i)
        if (i != focus && i != focused && texts[i] != stamped[i])
            return Fail("a press recomputed " + std::string(fieldNames[i]) + ": " + Describe(texts));
    return true;
}

// The release is handled once both fields it should rewrite are, or once the overflow box is up.
bool RandomKeys::Release(const Key &key)
{
    const Form1Reader reader(form);
    std::array<std::string, 3> stamped{};
    Stamp(stamped, focus);
    ++releases;
    INPUT input = key.up;
    if (SendInput(1, &input, sizeof input) != 1)
        return Fail("SendInput refused a release");

    std::array<std::string, 3> texts;
    bool rewritten = false;
    for (DWORD waited = 0; waited < settleMilliseconds && !rewritten; ++waited) {
        if (reader.MessageBox())
            return CheckOverflow(stamped);
        texts = reader.Texts();
        rewritten = true;
        for (int i = 0; i < 3; ++i)
            rewritten = rewritten && (i == focus || texts[i] != stamped[i]);
        if (!rewritten)
            Sleep(1);
    }
    if (!rewritten)
        return Fail("the release rewrote nothing: " + Describe(texts));
    // The three texts are read one after the other, and the typed character may have gone in
    // between: read them again once the window has handled everything sent to it.
    if (!reader.Drained())
        return Fail("the window did not settle within 5 s after a release");
    texts = reader.Texts();
    const int focused = reader.Focused();
    if (focused != 3 + focus)
        return Fail(std::string("the focus should be in ") + fieldNames[focus] + ", is in control "
                    + std::to_string(focused));

    MemoryFields expected(texts, separator);
    try {
        calc::Recalculate(AmountField(focus), expected);
    } catch (const calc::OverflowError &) {
        return Fail("an overflow went unreported: " + Describe(texts));
    }
    for (int i = 0; i < 3; ++i) {
        if (i == focus)
            continue;
        if (texts[i] != expected.texts[i])
            return Fail(std::string(fieldNames[i]) + " should be \"" + expected.texts[i] + "\": "
                        + Describe(texts));
        if (Form1Reader::Selection(reader.Field(AmountField(i))) != std::pair<DWORD, DWORD>(0, 0))
            return Fail(std::string(fieldNames[i]) + "'s caret is not at the start after a write");
    }
    // The field typed into may grow to nine characters, or keep a longer result's length; one
    // just entered keeps its text.
    const std::string &own = texts[focus], &before = synced[focus];
    const std::size_t length = ToUtf16(own).size(), limit = std::max(maxTyped, ToUtf16(before).size());
    if (focus == syncedFocus ? length > limit : own != before)
        return Fail(std::string("typing made ") + fieldNames[focus] + " \"" + own + "\" (was \""
                    + before + "\")");
    synced = texts;
    syncedFocus = focus;
    return true;
}

// A box only for an overflow, and nothing written; a fresh program carries on the run (the box
// itself and its dismissal are the end-to-end test's).
bool RandomKeys::CheckOverflow(const std::array<std::string, 3> &stamped)
{
    const Form1Reader reader(form);
    const std::array<std::string, 3> texts = reader.Texts();
    MemoryFields expected(texts, separator);
    bool overflow = false;
    try {
        calc::Recalculate(AmountField(focus), expected);
    } catch (const calc::OverflowError &) {
        overflow = true;
    }
    if (!overflow)
        return Fail("a failure box without an overflow: " + Describe(texts));
    for (int i = 0; i < 3; ++i)
        if (i != focus && texts[i] != stamped[i])
            return Fail("an overflow changed a field: " + Describe(texts));
    ++overflows;
    Stop();
    return Start();
}

bool RandomKeys::Fail(const std::string &what)
{
    std::printf("FAIL: seed %llu (replay: VELTRIX_RANDOM_SEED=%llu), row %s, action %d (%s), "
                "release %d: %s\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed),
                row.c_str(), actions, action.c_str(), releases, what.c_str());
    std::fflush(stdout);
    return false;
}

std::uint64_t Setting(const char *name, std::uint64_t otherwise)
{
    const char *value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 0) : otherwise;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: form1_random_test VELTRIX.EXE ROW SEPARATOR\n");
        return 2;
    }
    const std::uint64_t seed = Setting("VELTRIX_RANDOM_SEED", random_inputs::DefaultSeed);
    const int releases = int(Setting("VELTRIX_RANDOM_RELEASES", defaultReleases));
    const std::string row = argv[2];
    std::printf("seed %llu (VELTRIX_RANDOM_SEED=%llu replays this run), row %s\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed), row.c_str());
    // Each row its own stream, so a row replays alone.
    unsigned stream = 0;
    for (char c : row)
        stream = stream * 31 + static_cast<unsigned char>(c);
    RandomKeys keys(ToUtf16(argv[1]), row, argv[3]);
    return keys.Run(seed, stream, releases) ? 0 : 1;
}
