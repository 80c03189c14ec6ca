#include "ui/HistoryTab.h"

#include <commctrl.h>

#include <initializer_list>
#include <iterator>
#include <string_view>

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

// A whole number in plain decimal.
std::wstring Number(std::uint64_t value, bool negative = false)
{
    wchar_t digits[24];
    wchar_t* first = std::end(digits);
    do {
        *--first = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (negative)
        *--first = L'-';
    return std::wstring(first, std::end(digits));
}

std::wstring Number(std::int64_t value)
{
    return value < 0 ? Number(0 - static_cast<std::uint64_t>(value), true) : Number(static_cast<std::uint64_t>(value));
}

// The parts one after another, in one text.
std::wstring Join(std::initializer_list<std::wstring_view> parts)
{
    std::size_t length = 0;
    for (std::wstring_view part : parts)
        length += part.size();
    std::wstring text;
    text.reserve(length);
    for (std::wstring_view part : parts)
        text += part;
    return text;
}

// The time of day as the list and the state line show it: "10:26:37".
std::wstring ClockTime(const scheduler::LocalTime& time)
{
    return WideFromAnsi(scheduler::FormatClockTime(time));
}

std::wstring AddressAndPublic(const std::string& address, const std::string& publicAddress)
{
    if (publicAddress.empty())
        return WideFromAnsi(address);
    return Join({WideFromAnsi(address), texts::kPublicAlso, WideFromAnsi(publicAddress)});
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
    case EventKind::Hook:
        return texts::kHookEvent;
    case EventKind::Api:
        return texts::kApiEvent;
    default:
        break;
    }
    // An event without a name of its own here shows its log file's word.
    return WideFromAnsi(scheduler::EventWord(kind));
}

namespace {

std::wstring RedialStateText(const scheduler::RedialStatus& status)
{
    using scheduler::RedialState;
    const bool connected = !status.address.empty();
    switch (status.state) {
    case RedialState::Stopped:
        return texts::kStoppedState;
    case RedialState::Inactive:
        return texts::kInactiveState;
    case RedialState::Counting:
        return Join({texts::kCountingState, Number(std::int64_t{status.elapsed}), L"/",
                     Number(std::int64_t{status.period}), texts::kSeconds, connected ? texts::kConnectedAlso : L"",
                     connected ? AddressAndPublic(status.address, status.publicAddress) : std::wstring()});
    case RedialState::HangingUp:
        if (status.waitLeft <= 0)
            return texts::kHangingUpState;
        return Join(
            {texts::kHangingUpState, texts::kWaitingOpen, Number(std::int64_t{status.waitLeft}), texts::kWaitingClose});
    case RedialState::Pausing:
        return Join(
            {texts::kPausingState, Number(std::int64_t{status.waitLeft < 0 ? 0 : status.waitLeft}), texts::kSeconds});
    case RedialState::Dialling:
        return texts::kDiallingState;
    case RedialState::Connected:
        return Join({texts::kConnectedState, connected ? L" " : L"", WideFromAnsi(status.address),
                     status.since ? texts::kSinceOpen : L"", status.since ? ClockTime(*status.since) : std::wstring(),
                     status.since ? texts::kSinceClose : L"", status.publicAddress.empty() ? L"" : texts::kPublicAlso,
                     WideFromAnsi(status.publicAddress)});
    case RedialState::Failed:
        return Join({texts::kFailedState, status.lastCode != 0 ? L" " : L"",
                     status.lastCode != 0 ? Number(std::uint64_t{status.lastCode}) : std::wstring(),
                     status.lastText.empty() ? L"" : texts::kTextSeparator, WideFromAnsi(status.lastText)});
    case RedialState::AuthStopped:
        return Join({texts::kAuthStoppedOpen, Number(std::int64_t{status.authFailures}), texts::kAuthStoppedClose});
    }
    return L"";
}

}  // namespace

std::wstring StateLine(const scheduler::RedialStatus& status)
{
    std::wstring line = RedialStateText(status);
    if (status.apiProblem.empty())
        return line;
    return Join({line, L"\r\n", texts::kApiProblemOpen, WideFromAnsi(status.apiProblem)});
}

std::wstring CountersLine(const scheduler::RedialStatus& status)
{
    return Join({texts::kRedialsOpen, Number(status.redials), texts::kRedialsClose, Number(status.failures),
                 texts::kFailuresClose, Number(status.distinctAddresses), texts::kAddressesClose});
}

EventCells EventRowCells(const scheduler::RedialEvent& event)
{
    std::wstring text = WideFromAnsi(event.text);
    if (event.kind == scheduler::EventKind::Connected && event.fresh)
        text = Join({texts::kFreshAddress, text.empty() ? L"" : texts::kTextSeparator, text});
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
    return Join({texts::kBalloonOpen, AddressAndPublic(event.address, event.publicAddress)});
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
