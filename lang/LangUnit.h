// The process-wide text table. The application creates it before the main
// window and destroys it after the window is gone; in between it always
// exists.
#pragma once

#include <memory>

#include "lang/TeLanguage.h"

namespace lang {

extern std::unique_ptr<TeLanguage> Language;

// Creates the empty table (keeping one that already exists). Running out
// of memory this early ends the process.
void CreateLanguage() noexcept;

// Destroys the table; Language is null afterwards.
void DestroyLanguage() noexcept;

}  // namespace lang
