// The one place where failures of reading and writing the settings are
// swallowed. Settings trouble is never reported: a load that fails leaves
// the widgets as far as it got, a save that fails leaves the old file, and
// the program carries on either way.
#pragma once

namespace settings {

template <class Work>
void RunSwallowingFailures(Work&& work) noexcept
{
    try {
        work();
    } catch (...) {
        // Swallowed by design; see above.
    }
}

}  // namespace settings
