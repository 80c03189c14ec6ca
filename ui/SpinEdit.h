// A spin edit: an edit box with up and down buttons at its right end,
// holding a whole number between its limits (0 and 10000000 unless set
// narrower). Typing lets through only the characters of a number; the
// buttons and the arrow keys step the value by one; leaving the field
// brings its value within the limits. Text placed from code stays as placed
// until the value is stepped or the field is left.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/SpinEditText.h"

namespace ui {

class SpinEdit {
public:
    SpinEdit() = default;
    ~SpinEdit();
    SpinEdit(const SpinEdit&) = delete;
    SpinEdit& operator=(const SpinEdit&) = delete;

    // Makes the edit box and its buttons as children of `parent`, filling
    // the given rectangle together. `beep` is sounded for a refused key.
    void Create(HWND parent, RECT bounds, int id, HFONT font, std::function<void()> beep);

    HWND Edit() const { return edit_; }
    HWND Buttons() const { return buttons_; }

    std::wstring Text() const;
    void SetText(const std::wstring& text);

    // The text read as a signed decimal integer; the lowest value when it
    // is none.
    std::int32_t Value() const;

    // The lowest value that stepping and leaving the field let through
    // (kSpinEditMinValue unless set higher).
    void SetMinValue(std::int32_t minValue) { minValue_ = minValue; }
    std::int32_t MinValue() const { return minValue_; }

    // The highest value that stepping and leaving the field let through
    // (kSpinEditMaxValue unless set lower).
    void SetMaxValue(std::int32_t maxValue) { maxValue_ = maxValue; }
    std::int32_t MaxValue() const { return maxValue_; }

    // One step up (+1) or down (-1), the result held within the limits.
    void Step(int direction);

    // What leaving the field does: a value outside the limits is brought
    // within them; any other text stays.
    void ClampOnExit();

    // The buttons' WM_NOTIFY; true when it was theirs and has been handled.
    bool HandleNotify(const NMHDR& header, LRESULT& result);

private:
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                     DWORD_PTR self);
    bool AcceptsChar(wchar_t ch) const;
    std::int32_t Held(std::int64_t value) const;

    HWND edit_ = nullptr;
    HWND buttons_ = nullptr;
    wchar_t decimalSeparator_ = L'.';
    std::int32_t minValue_ = kSpinEditMinValue;
    std::int32_t maxValue_ = kSpinEditMaxValue;
    std::function<void()> beep_;
};

}  // namespace ui
