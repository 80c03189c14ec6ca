// The one place where text crosses between UTF-16 (the window, messages,
// paths) and bytes: those of the ANSI code page that the settings file and
// the remote-access service use, and UTF-8 for console output and the
// messages of failures. No conversion substitutes a look-alike: a
// character a code page cannot hold is either reported or becomes the code
// page's default character ("?").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui {

inline constexpr unsigned kAnsiCodePage = 0;  // CP_ACP, the system's ANSI code page
inline constexpr unsigned kUtf8CodePage = 65001;

// Bytes of a code page read as UTF-16. A byte sequence that is no character
// there comes out as the platform's replacement for it.
std::wstring WideFromBytes(std::string_view bytes, unsigned codePage);

// UTF-16 as bytes of a code page; a character the code page cannot hold
// becomes its default character, never a best-fit look-alike.
std::string BytesFromWide(std::wstring_view text, unsigned codePage);

// UTF-16 as bytes of a code page when every character is held exactly (the
// bytes read back as the same text); nothing otherwise.
std::optional<std::string> ExactBytesFromWide(std::wstring_view text, unsigned codePage);

inline std::wstring WideFromAnsi(std::string_view bytes)
{
    return WideFromBytes(bytes, kAnsiCodePage);
}
inline std::string AnsiFromWide(std::wstring_view text)
{
    return BytesFromWide(text, kAnsiCodePage);
}
inline std::optional<std::string> ExactAnsiFromWide(std::wstring_view text)
{
    return ExactBytesFromWide(text, kAnsiCodePage);
}
inline std::string Utf8FromWide(std::wstring_view text)
{
    return BytesFromWide(text, kUtf8CodePage);
}

// Bytes placed into a text box from outside (the settings file), kept with
// the text the box showed for them. Bytes that are no character in the code
// page, or that do not read back as the same bytes (a NUL cuts a box's
// text), are still handed back unchanged for as long as the box shows that
// text; once the user has changed it, the box's text is converted.
class PlacedBytes {
public:
    explicit PlacedBytes(unsigned codePage = kAnsiCodePage) : codePage_(codePage) {}

    // Remembers bytes placed into a box and the text the box then showed.
    void Place(std::string bytes, std::wstring shown);

    // The bytes for the text a box shows now.
    std::string BytesFor(const std::wstring& shown) const;

    // Whether BytesFor hands back exactly what the box shows: the placed
    // bytes, or a text whose every character the code page holds.
    bool ExactFor(const std::wstring& shown) const;

private:
    unsigned codePage_;
    std::string bytes_;
    std::wstring shown_;
};

// A label's logical text with every lone CR turned into CR LF, the line
// break a static control understands.
std::wstring DisplayLineBreaks(const std::wstring& text);

}  // namespace ui
