#include "lang/LangUnit.h"

namespace lang {

std::unique_ptr<TeLanguage> Language;

void CreateLanguage() noexcept
{
    if (!Language) {
        Language = std::make_unique<TeLanguage>();
    }
}

void DestroyLanguage() noexcept
{
    Language.reset();
}

}  // namespace lang
