#include "ui/shell/ShellFailure.h"

#include "ui/AnsiText.h"

namespace ui {

ShellFailure::ShellFailure(std::wstring message) : message_(std::move(message)), utf8_(Utf8FromWide(message_)) {}

}  // namespace ui
