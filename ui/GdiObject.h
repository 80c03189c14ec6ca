// Owning handles for GDI objects.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace ui {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;

}  // namespace ui
