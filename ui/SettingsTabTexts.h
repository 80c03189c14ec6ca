// The texts of the settings tab, of the status bar and of the options tab.
// Lines are separated by a single CR; the indents are blanks.
#pragma once

namespace ui::texts {

inline constexpr wchar_t kCaption[] = L"Velmora V2.0.10";
inline constexpr wchar_t kSettingsTab[] = L"参数设置";
inline constexpr wchar_t kUpdateTab[] = L"官方更新";
inline constexpr wchar_t kHistoryTab[] = L"运行记录";
inline constexpr wchar_t kOptionsTab[] = L"高级设置";

inline constexpr wchar_t kLabel65[] = L"拨号连接";
inline constexpr wchar_t kLbel343[] = L"账号";
inline constexpr wchar_t kLabel890[] = L"密码";
inline constexpr wchar_t kLabel68[] = L"重复拨号时间 ";
inline constexpr wchar_t kLabel66[] = L"秒";
inline constexpr wchar_t kLabel1Design[] = L"Label1";
inline constexpr wchar_t kLabel131[] = L"断线后等待";
inline constexpr wchar_t kLabel132[] = L"秒再重拨";
inline constexpr wchar_t kCheckBox1[] = L"启用";
inline constexpr wchar_t kSpeedButton43[] = L"刷新(&R)";

inline constexpr wchar_t kLabel2[] =
    L"功能简介： \r"
    L"    本软件为完全免费的绿色软件，无需安装，下载解压后直接可用。适合ADSL、Modem等各种各样的windows标准连接"
    L"重复拨号，只要在“拨号连接”中能选到，就可以使用。适用于各种需要重新拨号换IP的场合。注意：拨号上网和发信电脑"
    L"是同一台才可以使用此功能。";

inline constexpr wchar_t kLabel3[] =
    L"使用方法：     \r"
    L"    \"拨号连接\"：选你拨号上网的连接，注意：只有windows的标准连接才会在下接菜单中出现，否则不能使用该定时拨号"
    L"功能。\r"
    L"    \"账号\"：填你的拨号的账号。\r"
    L"    \"密码\"：填你的拨号的密码。\r"
    L"    \"重复拨号时间\"：必须大于2秒，小于或等于2不会执行该功能。可以填180秒（3分钟）或300秒(5分钟)，视情况自己"
    L"填写。\r"
    L"    进行以上设置后，别忘了点击“启用”，否则不会定时进行拨号。\r"
    L"    欢迎访问Velmora网站及论坛交流提问：http://www.velmora.example";

inline constexpr wchar_t kLabel4[] = L"下载Velmora网速监视器，请访问 www.velmora.example\r"
                                     L"下载Velmora定时关机助手，请访问 www.velmora.example";

inline constexpr wchar_t kStatusCredit[] =
    L"Velmora工作室  邮箱：support@velmora.example  网址：http://www.velmora.example";

// The options tab: a label for each option's field, and a note below them.
inline constexpr wchar_t kNewIpLabel[] = L"换IP：地址未变时重拨，最多 N 次（0 不检查）";
inline constexpr wchar_t kNewIpHoursLabel[] = L"新地址也须不同于最近 H 小时的地址";
inline constexpr wchar_t kIpCheckUrlLabel[] = L"公网IP检查网址（http/https，空为不查）";
inline constexpr wchar_t kAuthStopLabel[] = L"账号或密码错误连续 N 次后停止拨号（0 不停止）";
inline constexpr wchar_t kRedialOnDropBox[] = L"掉线后立即重拨";
inline constexpr wchar_t kLogBox[] = L"写运行日志 dialup.log";
inline constexpr wchar_t kBalloonBox[] = L"取得新地址时托盘气泡提示";
// The HTTP API's and the new-address command's group.
inline constexpr wchar_t kApiBox[] = L"启用HTTP接口（仅供本机程序调用）";
inline constexpr wchar_t kApiHostLabel[] = L"监听地址（默认 127.0.0.1）";
inline constexpr wchar_t kApiPortLabel[] = L"端口（默认 17080）";
inline constexpr wchar_t kApiTokenLabel[] = L"访问令牌（空为不验证）";
inline constexpr wchar_t kOnNewIpLabel[] = L"取得新地址后运行";
inline constexpr wchar_t kOptionsNote[] =
    L"以上选项与参数设置一同保存在 dialup.ini 中（点击“启用”时和退出时）；修改后在下一次计时时生效。";

}  // namespace ui::texts
