#include "ui/AnsiText.h"

#include <windows.h>

namespace ui {

namespace {

UINT Resolved(UINT codePage)
{
    return codePage == CP_ACP ? GetACP() : codePage;
}

// Code pages for which WideCharToMultiByte refuses WC_NO_BEST_FIT_CHARS
// and the used-default flag; whether a text is held exactly there is told
// by reading the bytes back.
bool TakesNoSubstitutionFlags(UINT codePage)
{
    return codePage == CP_UTF8 || codePage == CP_UTF7 || codePage == 54936 /* GB18030 */ ||
           codePage == 42 /* symbol */ || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011);
}

// Converts without best-fit mapping; `exact` (when given) tells whether no
// character was replaced by the default one. Empty on a failed call.
std::string Encode(std::wstring_view text, UINT codePage, bool* exact)
{
    if (exact)
        *exact = true;
    if (text.empty())
        return {};
    const UINT page = Resolved(codePage);
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultFlag = &usedDefault;
    if (TakesNoSubstitutionFlags(page)) {
        // In UTF-8 only a lone surrogate is no character.
        flags = page == CP_UTF8 && exact ? WC_ERR_INVALID_CHARS : 0;
        usedDefaultFlag = nullptr;
    }
    const int units = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(page, flags, text.data(), units, nullptr, 0, nullptr, usedDefaultFlag);
    if (length <= 0) {
        if (exact)
            *exact = false;
        return {};
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(page, flags, text.data(), units, bytes.data(), length, nullptr, usedDefaultFlag);
    if (exact)
        *exact = !usedDefault;
    return bytes;
}

}  // namespace

std::wstring WideFromBytes(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string BytesFromWide(std::wstring_view text, unsigned codePage)
{
    return Encode(text, codePage, nullptr);
}

std::optional<std::string> ExactBytesFromWide(std::wstring_view text, unsigned codePage)
{
    bool exact = false;
    std::string bytes = Encode(text, codePage, &exact);
    // The bytes must also read back as the very same text.
    if (!exact || WideFromBytes(bytes, codePage) != text)
        return std::nullopt;
    return bytes;
}

void PlacedBytes::Place(std::string bytes, std::wstring shown)
{
    bytes_ = std::move(bytes);
    shown_ = std::move(shown);
}

std::string PlacedBytes::BytesFor(const std::wstring& shown) const
{
    if (shown == shown_)
        return bytes_;
    return BytesFromWide(shown, codePage_);
}

bool PlacedBytes::ExactFor(const std::wstring& shown) const
{
    return shown == shown_ || ExactBytesFromWide(shown, codePage_).has_value();
}

std::wstring DisplayLineBreaks(const std::wstring& text)
{
    std::wstring shown;
    shown.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        shown += text[i];
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n'))
            shown += L'\n';
    }
    return shown;
}

}  // namespace ui
