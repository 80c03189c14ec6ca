// The one place where text crosses between the window's UTF-16 and the
// bytes of the ANSI code page that the settings file and the remote-access
// service use.
#pragma once

#include <string>

namespace ui {

std::wstring WideFromAnsi(const std::string& bytes);
std::string AnsiFromWide(const std::wstring& text);

// A label's logical text with every lone CR turned into CR LF, the line
// break a static control understands.
std::wstring DisplayLineBreaks(const std::wstring& text);

}  // namespace ui
