// The texts of the history tab: the list's column headings, the events'
// names, and the pieces of the state and counter lines.
#pragma once

namespace ui::texts {

inline constexpr wchar_t kTimeColumn[] = L"时间";
inline constexpr wchar_t kEventColumn[] = L"事件";
inline constexpr wchar_t kAddressColumn[] = L"地址";
inline constexpr wchar_t kPublicAddressColumn[] = L"公网地址";
inline constexpr wchar_t kCodeColumn[] = L"代码";
inline constexpr wchar_t kTextColumn[] = L"说明";

// The events' names.
inline constexpr wchar_t kHangUpEvent[] = L"断开";
inline constexpr wchar_t kDialEvent[] = L"拨号";
inline constexpr wchar_t kConnectedEvent[] = L"已连接";
inline constexpr wchar_t kFailedEvent[] = L"拨号失败";
inline constexpr wchar_t kTimeoutEvent[] = L"超时";
inline constexpr wchar_t kSameAddressEvent[] = L"地址未变";
inline constexpr wchar_t kDroppedEvent[] = L"掉线";
inline constexpr wchar_t kAuthStopEvent[] = L"停止拨号";
inline constexpr wchar_t kIpCheckEvent[] = L"公网地址";
inline constexpr wchar_t kHookEvent[] = L"新地址命令";
inline constexpr wchar_t kApiEvent[] = L"HTTP接口";
// Put before the text of a connection that brought a fresh address.
inline constexpr wchar_t kFreshAddress[] = L"新地址";

// The state line.
inline constexpr wchar_t kStoppedState[] = L"未启用";
inline constexpr wchar_t kInactiveState[] = L"未生效：重复拨号时间须大于2秒，并选择拨号连接";
inline constexpr wchar_t kCountingState[] = L"计时 ";  // then elapsed/period
inline constexpr wchar_t kSeconds[] = L" 秒";
inline constexpr wchar_t kHangingUpState[] = L"正在断开";
inline constexpr wchar_t kWaitingOpen[] = L"（等待 ";  // then seconds
inline constexpr wchar_t kWaitingClose[] = L" 秒）";
inline constexpr wchar_t kPausingState[] = L"断线后等待 ";  // then seconds
inline constexpr wchar_t kDiallingState[] = L"正在拨号…";
inline constexpr wchar_t kConnectedState[] = L"已连接";
inline constexpr wchar_t kConnectedAlso[] = L"，已连接 ";  // after the count
inline constexpr wchar_t kSinceOpen[] = L"（自 ";          // then the time
inline constexpr wchar_t kSinceClose[] = L"）";
inline constexpr wchar_t kPublicAlso[] = L"，公网 ";  // then the public address
inline constexpr wchar_t kFailedState[] = L"拨号失败";
inline constexpr wchar_t kTextSeparator[] = L"：";
inline constexpr wchar_t kAuthStoppedOpen[] = L"账号或密码错误 ";  // then the failures
inline constexpr wchar_t kAuthStoppedClose[] = L" 次，已停止拨号：修改账号或密码，或重新点击“启用”后继续";
// A second line when the HTTP API the options ask for is not served: then
// why.
inline constexpr wchar_t kApiProblemOpen[] = L"HTTP接口未启动：";

// The counters line: "重拨 N 次  失败 N 次  不同地址 N 个".
inline constexpr wchar_t kRedialsOpen[] = L"重拨 ";
inline constexpr wchar_t kRedialsClose[] = L" 次  失败 ";
inline constexpr wchar_t kFailuresClose[] = L" 次  不同地址 ";
inline constexpr wchar_t kAddressesClose[] = L" 个";

// The tray balloon on a fresh address: "新地址 10.64.0.3".
inline constexpr wchar_t kBalloonOpen[] = L"新地址 ";

}  // namespace ui::texts
