// The history tab: what the program is doing now in one line, its counters
// since the start, and a report-style list of the last events, newest
// first. The texts are made here from the core's status and events; the
// list's rows live in a list view control.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "scheduler/RedialEvent.h"
#include "scheduler/RedialStatus.h"

namespace ui {

// The list keeps this many rows at most: a new one at the top pushes the
// oldest out at the bottom.
inline constexpr std::size_t kHistoryRows = 500;

// One row's cells: time, event, address, public address, code, text.
inline constexpr std::size_t kHistoryColumns = 6;
using EventCells = std::array<std::wstring, kHistoryColumns>;

// The event's name as the list shows it.
std::wstring EventName(scheduler::EventKind kind);

// "计时 12/180 秒", "已连接 10.64.0.3（自 10:26:37）", "拨号失败 691：...";
// when the HTTP API is not served although the options ask for it, a
// second line (after CR LF) says why: "HTTP接口未启动：...".
std::wstring StateLine(const scheduler::RedialStatus& status);
// "重拨 3 次  失败 1 次  不同地址 2 个".
std::wstring CountersLine(const scheduler::RedialStatus& status);

EventCells EventRowCells(const scheduler::RedialEvent& event);

// The tray balloon's text for a connection with a fresh address.
std::wstring FreshAddressText(const scheduler::RedialEvent& event);

// The list view: report style, whole rows selected, nothing editable, one
// column per cell.
HWND CreateEventList(HWND parent, RECT bounds, int id);
// A new row at the top, the oldest going when there are too many.
void AddEventRow(HWND list, const scheduler::RedialEvent& event);
// The list anew from events given newest first (at most kHistoryRows kept).
void FillEventRows(HWND list, const std::vector<scheduler::RedialEvent>& newestFirst);

std::size_t EventRowCount(HWND list);
EventCells EventRowText(HWND list, std::size_t row);

}  // namespace ui
