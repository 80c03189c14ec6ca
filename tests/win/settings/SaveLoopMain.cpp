// settings_save_loop FOLDER: saves the settings to FOLDER\dialup.ini over
// and over, each time with the next values, until it is killed.
#include <windows.h>

#include "settings/SettingsFile.h"
#include "tests/win/settings/SaveLoop.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        return 2;
    }
    settings_test::StoreInFolder store(argv[1]);
    settings_test::PlainSettingsView view;
    for (long n = 1;; ++n) {
        view.values = settings_test::NthSave(n);
        settings::SaveSettings(view, store);
    }
}
