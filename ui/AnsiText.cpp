#include "ui/AnsiText.h"

#include <windows.h>

namespace ui {

std::wstring WideFromAnsi(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::string AnsiFromWide(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
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
