#include "ui/shell/ApplicationIcon.h"

#include "ui/shell/VelmoraIcon.h"

namespace ui {

HICON ApplicationIcon()
{
    if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(MAINICON))) {
        return icon;
    }
    return LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace ui
