#include "ui/HistoryTab.h"

#include <commctrl.h>

#include "ui/AnsiText.h"
#include "ui/HistoryTexts.h"

namespace ui {

namespace {

struct Column {
    const wchar_t* heading;
    int width;
};

// The widths fill a 492-pixel list with room for its scroll bar.
constexpr Column kColumns[kHistoryColumns] = {
    {texts::kTimeColumn, 60},          {texts::kEventColumn, 60}, {texts::kAddressColumn, 96},
    {texts::kPublicAddressColumn, 96}, {texts::kCodeColumn, 40},  {texts::kTextColumn, 118},
};

std::wstring Number(std::int64_t value)
{
    return std::to_wstring(value);
}

std::wstring Number(std::uint64_t value)
{
    return std::to_wstring(value);
}

// The time of day as the list and the state line show it: "10:26:37".
std::wstring ClockTime(const scheduler::LocalTime& time)
{
    return WideFromAnsi(scheduler::FormatClockTime(time));
}

std::wstring AddressAndPublic(const std::string& address, const std::string& publicAddress)
{
    std::wstring text = WideFromAnsi(address);
    if (!publicAddress.empty())
        text += texts::kPublicAlso + WideFromAnsi(publicAddress);
    return text;
}

}  // namespace

std::wstring EventName(scheduler::EventKind kind)
{
    using scheduler::EventKind;
    switch (kind) {
    case EventKind::HangUp:
        return texts::kHangUpEvent;
    case EventKind::Dial:
        return texts::kDialEvent;
    case EventKind::Connected:
        return texts::kConnectedEvent;
    case EventKind::Failed:
        return texts::kFailedEvent;
    case EventKind::Timeout:
        return texts::kTimeoutEvent;
    case EventKind::SameAddress:
        return texts::kSameAddressEvent;
    case EventKind::Dropped:
        return texts::kDroppedEvent;
    case EventKind::AuthStop:
        return texts::kAuthStopEvent;
    case EventKind::IpCheck:
        return texts::kIpCheckEvent;
    default:
        break;
    }
    // An event without a name of its own here shows its log file's word.
    return WideFromAnsi(scheduler::EventWord(kind));
}

std::wstring StateLine(const scheduler::RedialStatus& status)
{
    using scheduler::RedialState;
    switch (status.state) {
    case RedialState::Stopped:
        return texts::kStoppedState;
    case RedialState::Inactive:
        return texts::kInactiveState;
    case RedialState::Counting: {
        std::wstring line = texts::kCountingState + Number(std::int64_t{status.elapsed}) + L"/" +
                            Number(std::int64_t{status.period}) + texts::kSeconds;
        if (!status.address.empty())
            line += texts::kConnectedAlso + AddressAndPublic(status.address, status.publicAddress);
        return line;
    }
    case RedialState::HangingUp: {
        std::wstring line = texts::kHangingUpState;
        if (status.waitLeft > 0)
            line += texts::kWaitingOpen + Number(std::int64_t{status.waitLeft}) + texts::kWaitingClose;
        return line;
    }
    case RedialState::Pausing:
        return texts::kPausingState + Number(std::int64_t{status.waitLeft < 0 ? 0 : status.waitLeft}) + texts::kSeconds;
    case RedialState::Dialling:
        return texts::kDiallingState;
    case RedialState::Connected: {
        std::wstring line = texts::kConnectedState;
        if (!status.address.empty())
            line += L" " + WideFromAnsi(status.address);
        if (status.since)
            line += texts::kSinceOpen + ClockTime(*status.since) + texts::kSinceClose;
        if (!status.publicAddress.empty())
            line += texts::kPublicAlso + WideFromAnsi(status.publicAddress);
        return line;
    }
    case RedialState::Failed: {
        std::wstring line = texts::kFailedState;
        if (status.lastCode != 0)
            line += L" " + Number(std::uint64_t{status.lastCode});
        if (!status.lastText.empty())
            line += texts::kTextSeparator + WideFromAnsi(status.lastText);
        return line;
    }
    case RedialState::AuthStopped:
        return texts::kAuthStoppedOpen + Number(std::int64_t{status.authFailures}) + texts::kAuthStoppedClose;
    }
    return L"";
}

std::wstring CountersLine(const scheduler::RedialStatus& status)
{
    return texts::kRedialsOpen + Number(status.redials) + texts::kRedialsClose + Number(status.failures) +
           texts::kFailuresClose + Number(status.distinctAddresses) + texts::kAddressesClose;
}

EventCells EventRowCells(const scheduler::RedialEvent& event)
{
    std::wstring text = WideFromAnsi(event.text);
    if (event.kind == scheduler::EventKind::Connected && event.fresh)
        text =
            text.empty() ? std::wstring(texts::kFreshAddress) : texts::kFreshAddress + (texts::kTextSeparator + text);
    return EventCells{
        ClockTime(event.time),
        EventName(event.kind),
        WideFromAnsi(event.address),
        WideFromAnsi(event.publicAddress),
        event.code ? Number(std::uint64_t{*event.code}) : std::wstring(),
        std::move(text),
    };
}

std::wstring FreshAddressText(const scheduler::RedialEvent& event)
{
    return texts::kBalloonOpen + AddressAndPublic(event.address, event.publicAddress);
}

HWND CreateEventList(HWND parent, RECT bounds, int id)
{
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                    LVS_NOSORTHEADER,
                                bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!list)
        return nullptr;
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    for (std::size_t i = 0; i < kHistoryColumns; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
        column.cx = kColumns[i].width;
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

namespace {

void InsertRow(HWND list, int at, const scheduler::RedialEvent& event)
{
    EventCells cells = EventRowCells(event);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = at;
    item.pszText = cells[0].data();
    const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    for (std::size_t i = 1; i < kHistoryColumns; ++i) {
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(i);
        cell.pszText = cells[i].data();
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
}

}  // namespace

void AddEventRow(HWND list, const scheduler::RedialEvent& event)
{
    InsertRow(list, 0, event);
    while (EventRowCount(list) > kHistoryRows)
        SendMessageW(list, LVM_DELETEITEM, EventRowCount(list) - 1, 0);
}

void FillEventRows(HWND list, const std::vector<scheduler::RedialEvent>& newestFirst)
{
    // Drawn once, when the rows are all in.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const std::size_t count = newestFirst.size() < kHistoryRows ? newestFirst.size() : kHistoryRows;
    for (std::size_t i = 0; i < count; ++i)
        InsertRow(list, static_cast<int>(i), newestFirst[i]);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::size_t EventRowCount(HWND list)
{
    const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

EventCells EventRowText(HWND list, std::size_t row)
{
    EventCells cells;
    for (std::size_t i = 0; i < kHistoryColumns; ++i) {
        // A cell's text is short; the buffer grows if it is not.
        std::wstring buffer(256, L'\0');
        for (;;) {
            LVITEMW cell{};
            cell.iSubItem = static_cast<int>(i);
            cell.pszText = buffer.data();
            cell.cchTextMax = static_cast<int>(buffer.size());
            const auto length = static_cast<std::size_t>(
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell)));
            if (length + 1 < buffer.size()) {
                buffer.resize(length);
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
        cells[i] = std::move(buffer);
    }
    return cells;
}

}  // namespace ui
