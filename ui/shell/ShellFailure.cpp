#include "ui/shell/ShellFailure.h"

#include "ui/AnsiText.h"

TShellFailure::TShellFailure(std::wstring message) : message_(std::move(message)), utf8_(ui::Utf8FromWide(message_)) {}
