#include "ui/SpinEdit.h"

#include <commctrl.h>

#include "ui/SpinEditText.h"
#include "ui/WindowText.h"

namespace ui {

namespace {

constexpr UINT_PTR kSpinEditSubclassId = 0x5350;  // 'SP'

// The buttons keep a fixed position in the middle of a small range; every
// press is taken as a step and the buttons' own position never moves.
constexpr int kButtonsLower = 0;
constexpr int kButtonsUpper = 2;
constexpr int kButtonsRest = 1;

wchar_t LocaleDecimalSeparator()
{
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0 && buffer[0] != L'\0')
        return buffer[0];
    return L'.';
}

}  // namespace

SpinEdit::~SpinEdit()
{
    if (edit_ && IsWindow(edit_))
        RemoveWindowSubclass(edit_, EditProc, kSpinEditSubclassId);
}

void SpinEdit::Create(HWND parent, RECT bounds, int id, HFONT font, std::function<void()> beep)
{
    beep_ = std::move(beep);
    decimalSeparator_ = LocaleDecimalSeparator();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    edit_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, bounds.left,
        bounds.top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The buttons attach to the edit's right end; the pair fills `bounds`.
    buttons_ = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT, 0, 0, 0, 0, parent,
                               nullptr, instance, nullptr);
    SendMessageW(buttons_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    SendMessageW(buttons_, UDM_SETRANGE32, kButtonsLower, kButtonsUpper);
    SendMessageW(buttons_, UDM_SETPOS32, 0, kButtonsRest);
    SetWindowSubclass(edit_, EditProc, kSpinEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

std::wstring SpinEdit::Text() const
{
    return WindowText(edit_);
}

void SpinEdit::SetText(const std::wstring& text)
{
    SetWindowTextW(edit_, text.c_str());
}

std::int32_t SpinEdit::Value() const
{
    return ParseSpinEditInteger(Text()).value_or(minValue_);
}

void SpinEdit::Step(int direction)
{
    const std::int64_t next = std::int64_t{Value()} + (direction > 0 ? 1 : -1);
    SetText(std::to_wstring(Held(next)));
}

void SpinEdit::ClampOnExit()
{
    const std::int32_t value = Value();
    const std::int32_t held = Held(value);
    if (held != value)
        SetText(std::to_wstring(held));
}

bool SpinEdit::HandleNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != buttons_ || header.code != UDN_DELTAPOS)
        return false;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    if (change.iDelta != 0)
        Step(change.iDelta);
    result = TRUE;  // the buttons' own position stays where it is
    return true;
}

std::int32_t SpinEdit::Held(std::int64_t value) const
{
    const std::int32_t held = ClampSpinEditValue(value);
    if (held < minValue_)
        return minValue_;
    return held > maxValue_ ? maxValue_ : held;
}

bool SpinEdit::AcceptsChar(wchar_t ch) const
{
    return SpinEditAcceptsChar(ch, decimalSeparator_);
}

LRESULT CALLBACK SpinEdit::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR selfData)
{
    auto* self = reinterpret_cast<SpinEdit*>(selfData);
    switch (message) {
    case WM_CHAR:
        if (!self->AcceptsChar(static_cast<wchar_t>(wParam))) {
            if (self->beep_)
                self->beep_();
            return 0;
        }
        break;
    case WM_GETDLGCODE: {
        // Enter comes to the edit, which refuses it with the beep, rather
        // than to the dialog manager as a default-button press; every other
        // key keeps its dialog meaning (Tab still moves on).
        LRESULT code = DefSubclassProc(window, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) && key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        // Enter's character is refused below; the key itself does nothing.
        if (wParam == VK_RETURN)
            return 0;
        if (wParam == VK_UP || wParam == VK_DOWN) {
            self->Step(wParam == VK_UP ? 1 : -1);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        self->ClampOnExit();
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, EditProc, kSpinEditSubclassId);
        self->edit_ = nullptr;
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace ui
