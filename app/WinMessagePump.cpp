#include "app/WinMessagePump.h"

namespace app {

void WinMessagePump::DispatchWaiting()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            application_.MarkTerminating();
        else
            application_.Deliver(message);
    }
}

void WinMessagePump::SleepSlice(std::int32_t ms)
{
    if (ms > 0) {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms);
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                break;
            const DWORD result = MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now),
                                                             QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (result == WAIT_TIMEOUT)
                break;
            DispatchWaiting();
        }
    }
    DispatchWaiting();
}

}  // namespace app
