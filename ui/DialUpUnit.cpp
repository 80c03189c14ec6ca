#include "ui/DialUpUnit.h"

#include <commctrl.h>

#include <array>
#include <exception>
#include <iterator>
#include <stdexcept>

#include "ui/AnsiText.h"
#include "ui/HistoryTab.h"
#include "ui/SettingsTabTexts.h"
#include "ui/WindowClass.h"
#include "ui/WindowText.h"
#include "ui/shell/ApplicationIcon.h"
#include "ui/shell/ErrorReport.h"
#include "ui/shell/WebAddresses.h"

namespace ui {

namespace {

constexpr COLORREF kFormColour = 15986411;  // #EBEEF3
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 128);

constexpr int kClientWidth = 510;
constexpr int kClientHeight = 427;
constexpr int kLeft = 282;
constexpr int kTop = 152;
constexpr int kTabRowHeight = 19;
constexpr int kEntryItemHeight = 12;
constexpr int kEntryBoxFieldHeight = 14;  // with its frame, a 20-pixel box
// The longest address the API can listen on: an IPv6 address with an IPv4
// tail.
constexpr WPARAM kMaxApiHostLength = 45;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HMENU ControlMenuId(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

RECT Bounds(int left, int top, int width, int height)
{
    return RECT{left, top, left + width, top + height};
}

FontHandle MakeFont(int height, BYTE charset, bool underline)
{
    return FontHandle(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, charset, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
}

void SetFont(HWND control, HFONT font)
{
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void InitCommonControlClasses()
{
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&classes);
}

}  // namespace

TDialUpFrm::TDialUpFrm(DialUpActions& actions, WindowApplication& application, PlatformCalls& platform)
    : actions_(actions),
      application_(application),
      platform_(platform)
{
    CreateHandle();
    CreateWidgets();
    // The shell announces a new task bar (after Explorer restarts) with
    // this message; the tray icon then has to be added anew. It must get
    // through also while the program runs elevated, from Explorer's lower
    // level; the filter's answer is not looked at, as the icon's own calls
    // are not.
    TaskbarMessage = RegisterWindowMessageW(L"TaskbarCreated");
    if (TaskbarMessage != 0)
        platform_.AllowMessage(handle_, TaskbarMessage, MSGFLT_ALLOW);
    // From here on the history tab follows the events, those that loading
    // the settings brings included.
    actions_.SetEventListener(this);
    // FormCreate runs as a message of the window, so that a failure that
    // leaves it reaches the error report in WindowProcThunk: the window is
    // created all the same, and the rest of FormCreate is skipped.
    SendMessageW(handle_, WM_FORMCREATE, 0, 0);
}

TDialUpFrm::~TDialUpFrm()
{
    // No event reaches a window that is going.
    actions_.SetEventListener(nullptr);
    // The browser goes while the window that hosts it still exists.
    browser_.reset();
    Timer1.Detach();
    // WM_DESTROY runs FormDestroy while the widgets still exist.
    if (handle_)
        DestroyWindow(handle_);
}

void TDialUpFrm::CreateHandle()
{
    InitCommonControlClasses();
    RegisterPanelClass();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClassOnce(kMainWindowClass, WindowProcThunk, LoadCursorW(nullptr, IDC_ARROW),
                            LoadIconW(instance, MAKEINTRESOURCEW(1)));

    formBrush_.reset(CreateSolidBrush(kFormColour));
    formFont_ = MakeFont(12, GB2312_CHARSET, false);
    counterFont_ = MakeFont(11, ANSI_CHARSET, false);
    linkFont_ = MakeFont(12, GB2312_CHARSET, true);
    pageLook_ = PanelLook{formBrush_.get(), PanelBevel::None};
    bevelledLook_ = PanelLook{formBrush_.get(), PanelBevel::RaisedOuterLoweredInner};

    RECT frame = Bounds(kLeft, kTop, kClientWidth, kClientHeight);
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
    // Keep the top-left corner of the whole window at its place.
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    CreateWindowExW(0, kMainWindowClass, texts::kCaption, kFormStyle, kLeft, kTop, width, height, nullptr, nullptr,
                    instance, this);
    if (!handle_)
        throw std::runtime_error("cannot create the main window");
    Timer1.Attach(handle_);
}

// The window's widgets, one row each, in creation order. Positions are
// relative to the parent's client area. A spin edit's row names its
// SpinEdit instead of a handle; its text is its initial value.
enum class WidgetClass {
    RzPageControl,
    RzTabSheet,
    Label,
    Panel,
    ComboBox,
    Edit,
    SpinEdit,
    CheckBox,
    StatusBar,
    WebBrowser,
    SpeedButton,
    ListView,
};
enum class WidgetFont { Form, Counter, Link, System };
enum class WidgetColour { Form, WindowText, Teal, Blue, Red, Black, Navy };

enum WidgetFlag : unsigned {
    kNoFlags = 0,
    kInput = 1u << 0,        // drawn on the window colour, not the form's
    kTransparent = 1u << 1,  // text drawn without a background
    kClick = 1u << 2,        // a label that reports clicks
    kBevel = 1u << 3,        // raised outer and lowered inner bevel
    kPassword = 1u << 4,     // every character shown as "*"
    kDrawnOver = 1u << 5,    // drawn over the widgets before it in the table
};

struct WidgetRow {
    HWND TDialUpFrm::*field;
    ui::SpinEdit TDialUpFrm::*spin;
    WidgetClass widgetClass;
    HWND TDialUpFrm::*parent;  // null: the window itself
    int left, top, width, height;
    const wchar_t* text;
    WidgetFont font;
    WidgetColour colour;
    int id;        // -1: none
    int tabOrder;  // among the parent's tab stops; -1: none
    unsigned flags;
};

namespace {

using F = TDialUpFrm;
using C = WidgetClass;
using Font = WidgetFont;
using Colour = WidgetColour;

// clang-format off
constexpr WidgetRow kWidgets[] = {
    // field              spin                    class               parent             left top  width height text                      font           colour               id                   tab flags
    {&F::RzPageControl1,  nullptr,                C::RzPageControl,   nullptr,              0,   0, 510, 427, nullptr,                   Font::Form,    Colour::Form,        kRzPageControl1Id,    0, kNoFlags},
    {&F::TabSheet1,       nullptr,                C::RzTabSheet,      &F::RzPageControl1,   0,  19, 510, 408, texts::kSettingsTab,       Font::Form,    Colour::Form,        -1,                  -1, kNoFlags},
    {&F::Label2,          nullptr,                C::Label,           &F::TabSheet1,       25, 172, 449,  69, texts::kLabel2,            Font::Form,    Colour::Teal,        -1,                  -1, kDrawnOver},
    {&F::Label3,          nullptr,                C::Label,           &F::TabSheet1,       25, 246, 457, 151, texts::kLabel3,            Font::Form,    Colour::Blue,        -1,                  -1, kDrawnOver},
    {&F::Label4,          nullptr,                C::Label,           &F::TabSheet1,       26, 362, 405,  28, texts::kLabel4,            Font::Link,    Colour::Red,         kLabel4Id,           -1, kClick | kDrawnOver},
    {&F::Panel5,          nullptr,                C::Panel,           &F::TabSheet1,       36,   5, 425, 161, nullptr,                   Font::Form,    Colour::Form,        -1,                   0, kBevel | kDrawnOver},
    {&F::Label65,         nullptr,                C::Label,           &F::Panel5,          32,  14,  71,  12, texts::kLabel65,           Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::lbel343,         nullptr,                C::Label,           &F::Panel5,          32,  39,  47,  12, texts::kLbel343,           Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::label890,        nullptr,                C::Label,           &F::Panel5,          32,  65,  47,  12, texts::kLabel890,          Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::Label68,         nullptr,                C::Label,           &F::Panel5,          32,  91, 101,  12, texts::kLabel68,           Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::Label66,         nullptr,                C::Label,           &F::Panel5,         358,  91,  35,  12, texts::kLabel66,           Font::Form,    Colour::Black,       -1,                  -1, kTransparent},
    {&F::Label1,          nullptr,                C::Label,           &F::Panel5,          57, 143,  80,  13, texts::kLabel1Design,      Font::Counter, Colour::Red,         kLabel1Id,           -1, kNoFlags},
    {&F::Label131,        nullptr,                C::Label,           &F::Panel5,          32, 120,  83,  16, texts::kLabel131,          Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::Label132,        nullptr,                C::Label,           &F::Panel5,         358, 117,  61,  15, texts::kLabel132,          Font::Form,    Colour::Black,       -1,                  -1, kTransparent},
    {&F::edtDialer,       nullptr,                C::ComboBox,        &F::Panel5,         116,  10, 225,  20, nullptr,                   Font::Form,    Colour::Navy,        kEdtDialerId,         0, kInput},
    {&F::edtDialUser,     nullptr,                C::Edit,            &F::Panel5,         116,  35, 225,  20, L"",                       Font::Form,    Colour::Navy,        kEdtDialUserId,       1, kInput},
    {&F::edtDialPWD,      nullptr,                C::Edit,            &F::Panel5,         116,  61, 225,  20, L"",                       Font::Form,    Colour::Navy,        kEdtDialPWDId,        2, kInput | kPassword},
    {nullptr,             &F::edtDialTime,        C::SpinEdit,        &F::Panel5,         115,  87, 225,  21, L"0",                      Font::Form,    Colour::Black,       kEdtDialTimeId,       3, kInput},
    {&F::CheckBox1,       nullptr,                C::CheckBox,        &F::Panel5,         276, 142,  57,  17, texts::kCheckBox1,         Font::Form,    Colour::WindowText,  kCheckBox1Id,         4, kNoFlags},
    {nullptr,             &F::edtDialWaintTime,   C::SpinEdit,        &F::Panel5,         115, 114, 225,  21, L"5",                      Font::Form,    Colour::Black,       kEdtDialWaintTimeId,  5, kInput},
    {&F::StatusBar1,      nullptr,                C::StatusBar,       &F::TabSheet1,        0, 389, 510,  19, texts::kStatusCredit,      Font::System,  Colour::Form,        kStatusBar1Id,       -1, kDrawnOver},
    {&F::TabSheet10,      nullptr,                C::RzTabSheet,      &F::RzPageControl1,   0,  19, 510, 408, texts::kUpdateTab,         Font::Form,    Colour::Form,        -1,                  -1, kNoFlags},
    {&F::WebBrowser2,     nullptr,                C::WebBrowser,      &F::TabSheet10,       0,  23, 510, 385, nullptr,                   Font::Form,    Colour::Form,        -1,                   0, kNoFlags},
    {&F::Panel7,          nullptr,                C::Panel,           &F::TabSheet10,       0,   0, 510,  23, nullptr,                   Font::Form,    Colour::Form,        -1,                   1, kNoFlags},
    {&F::SpeedButton43,   nullptr,                C::SpeedButton,     &F::Panel7,           8,   1,  60,  21, texts::kSpeedButton43,     Font::Form,    Colour::Form,        kSpeedButton43Id,    -1, kNoFlags},
    // The history tab: the state line (up to three lines: the state, and
    // why the HTTP API is not served), the counters, the events.
    {&F::HistorySheet,    nullptr,                C::RzTabSheet,      &F::RzPageControl1,   0,  19, 510, 408, texts::kHistoryTab,        Font::Form,    Colour::Form,        -1,                  -1, kNoFlags},
    {&F::lblRedialState,  nullptr,                C::Label,           &F::HistorySheet,    12,   6, 486,  48, L"",                       Font::Form,    Colour::Navy,        kLblRedialStateId,   -1, kNoFlags},
    {&F::lblRedialCounters, nullptr,              C::Label,           &F::HistorySheet,    12,  56, 486,  12, L"",                       Font::Form,    Colour::Teal,        kLblRedialCountersId, -1, kNoFlags},
    {&F::pnlRedialEvents, nullptr,                C::Panel,           &F::HistorySheet,     8,  72, 494, 328, nullptr,                   Font::Form,    Colour::Form,        -1,                   0, kBevel},
    {&F::lvRedialEvents,  nullptr,                C::ListView,        &F::pnlRedialEvents,  1,   1, 492, 326, nullptr,                   Font::Form,    Colour::WindowText,  kLvRedialEventsId,    0, kNoFlags},
    // The options tab: labels left, fields right, in two panels like the
    // settings'; a note below.
    {&F::OptionsSheet,    nullptr,                C::RzTabSheet,      &F::RzPageControl1,   0,  19, 510, 408, texts::kOptionsTab,        Font::Form,    Colour::Form,        -1,                  -1, kNoFlags},
    {&F::pnlOptions,      nullptr,                C::Panel,           &F::OptionsSheet,    36,   5, 425, 212, nullptr,                   Font::Form,    Colour::Form,        -1,                   0, kBevel},
    {&F::lblNewIp,        nullptr,                C::Label,           &F::pnlOptions,      24,  14, 276,  12, texts::kNewIpLabel,        Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {nullptr,             &F::edtNewIp,           C::SpinEdit,        &F::pnlOptions,     304,  10,  97,  21, L"0",                      Font::Form,    Colour::Black,       kEdtNewIpId,          0, kInput},
    {&F::lblNewIpHours,   nullptr,                C::Label,           &F::pnlOptions,      24,  40, 276,  12, texts::kNewIpHoursLabel,   Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {nullptr,             &F::edtNewIpHours,      C::SpinEdit,        &F::pnlOptions,     304,  36,  97,  21, L"0",                      Font::Form,    Colour::Black,       kEdtNewIpHoursId,     1, kInput},
    {&F::lblIpCheckUrl,   nullptr,                C::Label,           &F::pnlOptions,      24,  66, 377,  12, texts::kIpCheckUrlLabel,   Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::edtIpCheckUrl,   nullptr,                C::Edit,            &F::pnlOptions,      24,  82, 377,  20, L"",                       Font::Form,    Colour::Navy,        kEdtIpCheckUrlId,     2, kInput},
    {&F::lblAuthStop,     nullptr,                C::Label,           &F::pnlOptions,      24, 114, 276,  12, texts::kAuthStopLabel,     Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {nullptr,             &F::edtAuthStop,        C::SpinEdit,        &F::pnlOptions,     304, 110,  97,  21, L"0",                      Font::Form,    Colour::Black,       kEdtAuthStopId,       3, kInput},
    {&F::chkRedialOnDrop, nullptr,                C::CheckBox,        &F::pnlOptions,      24, 140, 377,  17, texts::kRedialOnDropBox,   Font::Form,    Colour::WindowText,  kChkRedialOnDropId,   4, kNoFlags},
    {&F::chkLog,          nullptr,                C::CheckBox,        &F::pnlOptions,      24, 162, 377,  17, texts::kLogBox,            Font::Form,    Colour::WindowText,  kChkLogId,            5, kNoFlags},
    {&F::chkBalloon,      nullptr,                C::CheckBox,        &F::pnlOptions,      24, 184, 377,  17, texts::kBalloonBox,        Font::Form,    Colour::WindowText,  kChkBalloonId,        6, kNoFlags},
    // The HTTP API and the new-address command, in a second panel below.
    {&F::pnlApiOptions,   nullptr,                C::Panel,           &F::OptionsSheet,    36, 222, 425, 142, nullptr,                   Font::Form,    Colour::Form,        -1,                   1, kBevel},
    {&F::chkApi,          nullptr,                C::CheckBox,        &F::pnlApiOptions,   24,  10, 377,  17, texts::kApiBox,            Font::Form,    Colour::WindowText,  kChkApiId,            0, kNoFlags},
    {&F::lblApiHost,      nullptr,                C::Label,           &F::pnlApiOptions,   24,  38, 172,  12, texts::kApiHostLabel,      Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::edtApiHost,      nullptr,                C::Edit,            &F::pnlApiOptions,  200,  34, 201,  20, L"",                       Font::Form,    Colour::Navy,        kEdtApiHostId,        1, kInput},
    {&F::lblApiPort,      nullptr,                C::Label,           &F::pnlApiOptions,   24,  64, 276,  12, texts::kApiPortLabel,      Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {nullptr,             &F::edtApiPort,         C::SpinEdit,        &F::pnlApiOptions,  304,  60,  97,  21, L"",                       Font::Form,    Colour::Black,       kEdtApiPortId,        2, kInput},
    {&F::lblApiToken,     nullptr,                C::Label,           &F::pnlApiOptions,   24,  90, 172,  12, texts::kApiTokenLabel,     Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::edtApiToken,     nullptr,                C::Edit,            &F::pnlApiOptions,  200,  86, 201,  20, L"",                       Font::Form,    Colour::Navy,        kEdtApiTokenId,       3, kInput | kPassword},
    {&F::lblOnNewIp,      nullptr,                C::Label,           &F::pnlApiOptions,   24, 116, 172,  12, texts::kOnNewIpLabel,      Font::Form,    Colour::WindowText,  -1,                  -1, kNoFlags},
    {&F::edtOnNewIp,      nullptr,                C::Edit,            &F::pnlApiOptions,  200, 112, 201,  20, L"",                       Font::Form,    Colour::Navy,        kEdtOnNewIpId,        4, kInput},
    {&F::lblOptionsNote,  nullptr,                C::Label,           &F::OptionsSheet,    36, 372, 425,  30, texts::kOptionsNote,       Font::Form,    Colour::Blue,        -1,                  -1, kNoFlags},
};
// clang-format on

// The drop-down list is made taller than its box so that it can open.
constexpr int kEntryListHeight = 200;
// The status bar's panels: a 450-pixel credit line and a 50-pixel empty one.
constexpr int kStatusPanelEdges[2] = {450, 500};

COLORREF ColourOf(WidgetColour colour)
{
    switch (colour) {
    case WidgetColour::Teal:
        return kTeal;
    case WidgetColour::Blue:
        return kBlue;
    case WidgetColour::Red:
        return kRed;
    case WidgetColour::Black:
        return kBlack;
    case WidgetColour::Navy:
        return kNavy;
    case WidgetColour::WindowText:
    case WidgetColour::Form:
        break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

}  // namespace

HWND TDialUpFrm::CreateLabel(HWND parent, const WidgetRow& row, HFONT font)
{
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX | ((row.flags & kClick) ? SS_NOTIFY : 0);
    HWND label = CreateWindowExW(0, L"STATIC", DisplayLineBreaks(row.text).c_str(), style, row.left, row.top, row.width,
                                 row.height, parent, ControlMenuId(row.id), GetModuleHandleW(nullptr), nullptr);
    SetFont(label, font);
    return label;
}

void TDialUpFrm::CreateWidgets()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    N1 = static_cast<UINT>(TrayMenuCommand::ShowMainWindow);
    E1 = static_cast<UINT>(TrayMenuCommand::Exit);

    auto beep = [this] { platform_.Beep(); };
    for (const WidgetRow& row : kWidgets) {
        const HWND parent = row.parent ? this->*row.parent : handle_;
        const RECT bounds = Bounds(row.left, row.top, row.width, row.height);
        const HMENU id = ControlMenuId(row.id);
        HFONT font = nullptr;
        switch (row.font) {
        case WidgetFont::Form:
            font = formFont_.get();
            break;
        case WidgetFont::Counter:
            font = counterFont_.get();
            break;
        case WidgetFont::Link:
            font = linkFont_.get();
            break;
        case WidgetFont::System:
            break;
        }
        HWND widget = nullptr;
        switch (row.widgetClass) {
        case WidgetClass::RzPageControl:
            widget = CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, row.left,
                                     row.top, row.width, row.height, parent, id, instance, nullptr);
            SendMessageW(widget, TCM_SETITEMSIZE, 0, MAKELPARAM(0, kTabRowHeight));
            break;
        case WidgetClass::RzTabSheet: {
            // Each page brings its tab, in the order of the pages.
            TCITEMW tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = const_cast<wchar_t*>(row.text);
            const LRESULT count = SendMessageW(parent, TCM_GETITEMCOUNT, 0, 0);
            SendMessageW(parent, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&tab));
            widget = CreatePanel(parent, bounds, &pageLook_, true);
            break;
        }
        case WidgetClass::Label:
            widget = CreateLabel(parent, row, font);
            break;
        case WidgetClass::Panel:
        case WidgetClass::WebBrowser:
            widget = CreatePanel(parent, bounds, (row.flags & kBevel) ? &bevelledLook_ : &pageLook_, true);
            break;
        case WidgetClass::ComboBox: {
            // Drawn by the window, so that its items have their height and
            // colour.
            widget = CreateWindowExW(0, WC_COMBOBOXW, L"",
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                                         CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                     row.left, row.top, row.width, kEntryListHeight, parent, id, instance, nullptr);
            SendMessageW(widget, CB_SETITEMHEIGHT, 0, kEntryItemHeight);
            SendMessageW(widget, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kEntryBoxFieldHeight);
            // Its list takes the combo box's look.
            COMBOBOXINFO combo{};
            combo.cbSize = sizeof combo;
            if (GetComboBoxInfo(widget, &combo) && combo.hwndList)
                widgetRows_[combo.hwndList] = &row;
            break;
        }
        case WidgetClass::Edit:
            widget = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", row.text,
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL |
                                         ((row.flags & kPassword) ? ES_PASSWORD : 0),
                                     row.left, row.top, row.width, row.height, parent, id, instance, nullptr);
            if (row.flags & kPassword)
                SendMessageW(widget, EM_SETPASSWORDCHAR, L'*', 0);
            break;
        case WidgetClass::SpinEdit: {
            SpinEdit& spin = this->*row.spin;
            spin.Create(parent, bounds, row.id, font, beep);
            spin.SetText(row.text);
            widget = spin.Edit();
            break;
        }
        case WidgetClass::CheckBox:
            widget = CreateWindowExW(0, L"BUTTON", row.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                     row.left, row.top, row.width, row.height, parent, id, instance, nullptr);
            break;
        case WidgetClass::StatusBar:
            widget = CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE,
                                     row.left, row.top, row.width, row.height, parent, id, instance, nullptr);
            SendMessageW(widget, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(kStatusPanelEdges));
            SendMessageW(widget, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(row.text));
            break;
        case WidgetClass::SpeedButton:
            widget = CreateWindowExW(0, L"BUTTON", row.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, row.left,
                                     row.top, row.width, row.height, parent, id, instance, nullptr);
            break;
        case WidgetClass::ListView:
            widget = CreateEventList(parent, bounds, row.id);
            break;
        }
        if (font && row.widgetClass != WidgetClass::Label && row.widgetClass != WidgetClass::SpinEdit)
            SetFont(widget, font);
        if (row.field)
            this->*row.field = widget;
        widgetRows_[widget] = &row;
    }

    auto handleOf = [this](const WidgetRow& row) { return row.spin ? (this->*row.spin).Edit() : this->*row.field; };
    // The tab order: each parent's tab stops follow one another in the
    // order of their tab order numbers.
    for (const WidgetRow& row : kWidgets) {
        if (row.tabOrder <= 0)
            continue;
        for (const WidgetRow& previous : kWidgets) {
            if (previous.parent == row.parent && previous.tabOrder == row.tabOrder - 1) {
                SetWindowPos(handleOf(row), handleOf(previous), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                break;
            }
        }
    }
    // Where widgets overlap, the later one is drawn over the earlier: on the
    // settings tab the promotion over the usage notes, the status bar over
    // both.
    for (const WidgetRow& row : kWidgets) {
        if (row.flags & kDrawnOver)
            SetWindowPos(handleOf(row), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    // The number options' limits; a text longer than its option can hold
    // cannot be typed.
    edtNewIp.SetMaxValue(settings::kMaxNewIpTries);
    edtNewIpHours.SetMaxValue(settings::kMaxNewIpHours);
    edtAuthStop.SetMaxValue(settings::kMaxAuthStop);
    edtApiPort.SetMinValue(1);
    edtApiPort.SetMaxValue(65535);
    SendMessageW(edtIpCheckUrl, EM_SETLIMITTEXT, settings::kMaxUrlLength, 0);
    SendMessageW(edtApiHost, EM_SETLIMITTEXT, kMaxApiHostLength, 0);
    SendMessageW(edtApiToken, EM_SETLIMITTEXT, settings::kMaxTokenLength, 0);
    SendMessageW(edtOnNewIp, EM_SETLIMITTEXT, settings::kMaxCommandLength, 0);

    // Page 0 is current as designed; creation then turns to page 1.
    SetCurrentPage(kSettingsPage);
}

std::wstring TDialUpFrm::Caption() const
{
    return WindowText(handle_);
}

// Event handlers.

void TDialUpFrm::FormDestroy()
{
    // The icon is normally gone already (the exit item took it away).
    trayIcon_.Remove();
    SaveSettings();
}

void TDialUpFrm::N1Click()
{
    if (Shown()) {
        platform_.SetActiveWindow(handle_);
        platform_.SetForegroundWindow(handle_);
    } else {
        application_.ShowModal(*this);
    }
}

void TDialUpFrm::E1Click()
{
    trayIcon_.Remove();
    application_.Terminate();
}

void TDialUpFrm::FormCreate()
{
    // The flat look of the tray menu and of the controls, on from here to
    // the window's end.
    XPMenuStyler = std::make_unique<TXPMenu>(handle_);
    XPMenuStyler->AddMenu(PopupMenu);
    XPMenuStyler->SetActive(true);
    TickCount_ = 0;
    SetCurrentPage(kUpdatePage);
    // A page that cannot be opened is reported, and creation goes on: the
    // entry list and the stored settings must still be loaded, or the save
    // at the end of the run would overwrite the user's settings with the
    // defaults.
    // The navigation runs as a message of its own: its failure is reported
    // in WindowProcThunk, and FormCreate goes on.
    SendMessageW(handle_, WM_NAVIGATEUPDATEPAGE, 0, 0);
    SetWindowTextW(Label1, L"");
    FillEntryBox();
    LoadSettings();
    // The connection as it is now, for the history tab.
    RefreshHistory();
}

void TDialUpFrm::CheckBox1Click()
{
    // A change of the box saves by design, also over a file that could not
    // be read at start-up.
    keepUnreadableSettingsFile_ = false;
    actions_.CheckBox1Click(*this);
}

void TDialUpFrm::Timer1Timer()
{
    actions_.Timer1Timer(*this);
    ShowStatus();
}

void TDialUpFrm::SpeedButton43Click()
{
    if (browser_)
        browser_->Refresh();
}

void TDialUpFrm::Label4Click()
{
    OpenHomePage();
}

void TDialUpFrm::FormShow()
{
    application_.SetTitle(Caption());
}

// The tray icon.

void TDialUpFrm::AddTrayIcon()
{
    trayIcon_.Add(handle_, ApplicationIcon(), Caption());
}

void TDialUpFrm::WMTrayIcon(WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != kTrayIconId)
        return;
    if (mouseMessage == kTrayDoubleClick) {
        platform_.SetActiveWindow(handle_);
        if (Shown())
            platform_.SetForegroundWindow(handle_);
        else
            application_.ShowModal(*this);
    } else if (mouseMessage == kTrayRightButtonUp) {
        platform_.SetForegroundWindow(handle_);
        const POINT cursor = platform_.CursorPos();
        // The chosen item's handler runs once the menu has closed.
        switch (platform_.TrackMenu(PopupMenu, handle_, cursor.x, cursor.y)) {
        case TrayMenuCommand::ShowMainWindow:
            N1Click();
            break;
        case TrayMenuCommand::Exit:
            E1Click();
            break;
        case TrayMenuCommand::None:
            break;
        }
    }
}

// The update page.

void TDialUpFrm::NavigateUpdatePage()
{
    RECT area{};
    GetClientRect(WebBrowser2, &area);
    browser_ = platform_.MakeBrowser(WebBrowser2, area);
    browser_->Navigate(UpdatePageAddress());
}

bool TDialUpFrm::PreTranslateMessage(MSG& message)
{
    return browser_ && browser_->PreTranslateMessage(message);
}

// Creation steps and the settings file.

void TDialUpFrm::FillEntryBox()
{
    std::vector<std::string> items = actions_.EntryItems();
    SendMessageW(edtDialer, CB_RESETCONTENT, 0, 0);
    edtDialerItems.clear();
    for (std::string& item : items) {
        const std::wstring shown = WideFromAnsi(item);
        SendMessageW(edtDialer, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        edtDialerItems.push_back(std::move(item));
    }
}

void TDialUpFrm::LoadSettings()
{
    keepUnreadableSettingsFile_ = actions_.LoadSettings(*this) == settings::LoadOutcome::Unreadable;
}

void TDialUpFrm::SaveSettings()
{
    // A settings file that exists but could not be read at start-up (locked
    // by another program, say) is not replaced by the defaults the window
    // holds instead of its contents.
    if (keepUnreadableSettingsFile_)
        return;
    actions_.SaveSettings(*this);
}

void TDialUpFrm::OpenHomePage()
{
    // Internet Explorer in a window of its own, with the application's
    // window as the owner of any message from the shell; the shell's answer
    // is not looked at.
    const std::string address = HomePageAddress();
    platform_.OpenWithShell(handle_, "Open", "IEXPLORE.EXE", address.c_str(), nullptr, SW_SHOWNORMAL);
}

// Modal showing.

void TDialUpFrm::ShowForModal()
{
    ModalResult = mrNone;
    ShowingModal = true;
    ShowWindow(handle_, SW_SHOW);
    SetForegroundWindow(handle_);
    FormShow();
}

void TDialUpFrm::HideAfterModal()
{
    ShowWindow(handle_, SW_HIDE);
    ShowingModal = false;
}

bool TDialUpFrm::Shown() const
{
    return IsWindowVisible(handle_) != FALSE;
}

int TDialUpFrm::CurrentPage() const
{
    return static_cast<int>(SendMessageW(RzPageControl1, TCM_GETCURSEL, 0, 0));
}

void TDialUpFrm::SetCurrentPage(int page)
{
    SendMessageW(RzPageControl1, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    const HWND pages[] = {TabSheet1, TabSheet10, HistorySheet, OptionsSheet};
    for (int i = 0; i < static_cast<int>(std::size(pages)); ++i)
        ShowWindow(pages[i], page == i ? SW_SHOW : SW_HIDE);
}

// The history tab.

void TDialUpFrm::ShowStatus()
{
    const scheduler::RedialStatus status = actions_.Status(*this);
    // Set only when changed: the line is refreshed every second.
    auto show = [](HWND label, const std::wstring& text) {
        if (WindowText(label) != text)
            SetWindowTextW(label, text.c_str());
    };
    show(lblRedialState, StateLine(status));
    show(lblRedialCounters, CountersLine(status));
}

void TDialUpFrm::RefreshHistory()
{
    actions_.LookUpConnection(*this);
    ShowStatus();
    FillEventRows(lvRedialEvents, actions_.RecentEvents(kHistoryRows));
}

std::wstring TDialUpFrm::StateLineText() const
{
    return WindowText(lblRedialState);
}

std::wstring TDialUpFrm::CountersText() const
{
    return WindowText(lblRedialCounters);
}

void TDialUpFrm::EventAdded(const scheduler::RedialEvent& event)
{
    AddEventRow(lvRedialEvents, event);
    ShowStatus();
    if (event.kind == scheduler::EventKind::Connected && event.fresh && Options().balloon)
        trayIcon_.ShowBalloon(Caption(), FreshAddressText(event));
}

void TDialUpFrm::StateChanged()
{
    ShowStatus();
}

std::wstring TDialUpFrm::Label1Text() const
{
    return WindowText(Label1);
}

// settings::SettingsView

int TDialUpFrm::EntryIndex() const
{
    const LRESULT index = SendMessageW(edtDialer, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TDialUpFrm::SetEntryIndex(int index)
{
    const bool inside = index >= 0 && static_cast<std::size_t>(index) < edtDialerItems.size();
    SendMessageW(edtDialer, CB_SETCURSEL, inside ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

// The four text fields hand back the bytes placed into them for as long as
// they show what those bytes were shown as, so a value the user did not
// edit is written back byte for byte.

std::string TDialUpFrm::AccountText() const
{
    return accountBytes_.BytesFor(WindowText(edtDialUser));
}

void TDialUpFrm::SetAccountText(const std::string& text)
{
    SetWindowTextW(edtDialUser, WideFromAnsi(text).c_str());
    accountBytes_.Place(text, WindowText(edtDialUser));
}

std::string TDialUpFrm::PasswordText() const
{
    return passwordBytes_.BytesFor(WindowText(edtDialPWD));
}

void TDialUpFrm::SetPasswordText(const std::string& text)
{
    SetWindowTextW(edtDialPWD, WideFromAnsi(text).c_str());
    passwordBytes_.Place(text, WindowText(edtDialPWD));
}

std::string TDialUpFrm::PeriodText() const
{
    return periodBytes_.BytesFor(edtDialTime.Text());
}

void TDialUpFrm::SetPeriodText(const std::string& text)
{
    edtDialTime.SetText(WideFromAnsi(text));
    periodBytes_.Place(text, edtDialTime.Text());
}

std::string TDialUpFrm::PauseText() const
{
    return pauseBytes_.BytesFor(edtDialWaintTime.Text());
}

void TDialUpFrm::SetPauseText(const std::string& text)
{
    edtDialWaintTime.SetText(WideFromAnsi(text));
    pauseBytes_.Place(text, edtDialWaintTime.Text());
}

bool TDialUpFrm::EnabledTicked() const
{
    return SendMessageW(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TDialUpFrm::SetEnabledTicked(bool ticked)
{
    if (ticked == EnabledTicked())
        return;
    SendMessageW(CheckBox1, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    CheckBox1Click();
}

// The options. The number fields and the text fields hand back the bytes
// placed into them as the settings' text fields do.

struct OptionWidget {
    settings::OptionKey key;
    SpinEdit TDialUpFrm::*spin;  // a number option's field
    HWND TDialUpFrm::*window;    // a text option's edit box, or a flag's box
    PlacedBytes TDialUpFrm::*bytes;
    const char* offText;  // what a number field shows for an option that is off
};

const OptionWidget& TDialUpFrm::OptionWidgetOf(settings::OptionKey key)
{
    using settings::OptionKey;
    // Every option's widget, in the order of the keys.
    static constexpr OptionWidget widgets[] = {
        {OptionKey::NewIp, &F::edtNewIp, nullptr, &F::newIpBytes_, "0"},
        {OptionKey::NewIpHours, &F::edtNewIpHours, nullptr, &F::newIpHoursBytes_, "0"},
        {OptionKey::IpCheckUrl, nullptr, &F::edtIpCheckUrl, &F::ipCheckUrlBytes_, nullptr},
        {OptionKey::AuthStop, &F::edtAuthStop, nullptr, &F::authStopBytes_, "0"},
        {OptionKey::RedialOnDrop, nullptr, &F::chkRedialOnDrop, nullptr, nullptr},
        {OptionKey::Log, nullptr, &F::chkLog, nullptr, nullptr},
        {OptionKey::Balloon, nullptr, &F::chkBalloon, nullptr, nullptr},
        {OptionKey::Api, nullptr, &F::chkApi, nullptr, nullptr},
        {OptionKey::ApiHost, nullptr, &F::edtApiHost, &F::apiHostBytes_, nullptr},
        // An empty port is the default port, and shows as empty.
        {OptionKey::ApiPort, &F::edtApiPort, nullptr, &F::apiPortBytes_, ""},
        {OptionKey::ApiToken, nullptr, &F::edtApiToken, &F::apiTokenBytes_, nullptr},
        {OptionKey::OnNewIp, nullptr, &F::edtOnNewIp, &F::onNewIpBytes_, nullptr},
    };
    static_assert(std::size(widgets) == settings::kOptionCount);
    static_assert([] {
        for (std::size_t i = 0; i < std::size(widgets); ++i) {
            if (static_cast<std::size_t>(widgets[i].key) != i)
                return false;
        }
        return true;
    }());
    return widgets[static_cast<std::size_t>(key)];
}

std::string TDialUpFrm::OptionText(settings::OptionKey key) const
{
    const OptionWidget& widget = OptionWidgetOf(key);
    if (widget.spin)
        return (this->*widget.bytes).BytesFor((this->*widget.spin).Text());
    if (widget.bytes)
        return (this->*widget.bytes).BytesFor(WindowText(this->*widget.window));
    return SendMessageW(this->*widget.window, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "";
}

void TDialUpFrm::SetOptionText(settings::OptionKey key, const std::string& text)
{
    const OptionWidget& widget = OptionWidgetOf(key);
    if (widget.spin) {
        const std::string shown = text.empty() ? std::string(widget.offText) : text;
        SpinEdit& spin = this->*widget.spin;
        spin.SetText(WideFromAnsi(shown));
        (this->*widget.bytes).Place(shown, spin.Text());
    } else if (widget.bytes) {
        const HWND edit = this->*widget.window;
        SetWindowTextW(edit, WideFromAnsi(text).c_str());
        (this->*widget.bytes).Place(text, WindowText(edit));
    } else {
        const bool ticked = settings::OptionInForce(key, text) == "1";
        SendMessageW(this->*widget.window, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

settings::RedialOptions TDialUpFrm::Options() const
{
    std::array<std::string, settings::kOptionCount> texts;
    for (settings::OptionKey key : settings::kOptionKeys)
        texts[static_cast<std::size_t>(key)] = OptionText(key);
    return settings::ReadOptions(texts);
}

// scheduler::RedialWindow

std::string TDialUpFrm::EntryText() const
{
    const int index = EntryIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= edtDialerItems.size())
        return {};
    return edtDialerItems[static_cast<std::size_t>(index)];
}

bool TDialUpFrm::CredentialsExact() const
{
    return accountBytes_.ExactFor(WindowText(edtDialUser)) && passwordBytes_.ExactFor(WindowText(edtDialPWD));
}

std::int32_t TDialUpFrm::PeriodValue() const
{
    return edtDialTime.Value();
}

std::int32_t TDialUpFrm::PauseValue() const
{
    return edtDialWaintTime.Value();
}

void TDialUpFrm::SetCounterText(const std::string& text)
{
    SetWindowTextW(Label1, WideFromAnsi(text).c_str());
}

void TDialUpFrm::SetTimerRunning(bool running)
{
    // A stopped timer has no tick left to come, a deferred one included.
    if (!running)
        tickDeferred_ = false;
    Timer1.SetRunning(running);
}

// The window procedure.

void TDialUpFrm::ReportFailure(const std::exception& failure)
{
    // The standard error report: the application's title as caption, an
    // error icon and OK.
    const std::wstring text = MakeErrorReportText(FailureMessage(failure));
    platform_.ShowMessageBox(handle_, text.c_str(), application_.Title().c_str(), MB_ICONERROR | MB_OK);
}

LRESULT TDialUpFrm::ControlColour(HDC dc, HWND control)
{
    // The look comes from the control's row of the widget table; anything
    // else (the pages, the panels, the buttons of the spin edits) takes the
    // form's colour.
    const auto found = widgetRows_.find(control);
    if (found == widgetRows_.end() || found->second->colour == WidgetColour::Form) {
        SetBkColor(dc, kFormColour);
        return reinterpret_cast<LRESULT>(formBrush_.get());
    }
    const WidgetRow& row = *found->second;
    SetTextColor(dc, ColourOf(row.colour));
    if (row.flags & kInput) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    if (row.flags & kTransparent)
        SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, kFormColour);
    return reinterpret_cast<LRESULT>(formBrush_.get());
}

void TDialUpFrm::DrawEntryItem(const DRAWITEMSTRUCT& draw)
{
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (draw.itemID != static_cast<UINT>(-1) && draw.itemID < edtDialerItems.size()) {
        const std::wstring text = WideFromAnsi(edtDialerItems[draw.itemID]);
        const auto row = widgetRows_.find(edtDialer);
        const COLORREF itemColour = row != widgetRows_.end() ? ColourOf(row->second->colour) : kNavy;
        SetTextColor(draw.hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : itemColour);
        SetBkMode(draw.hDC, TRANSPARENT);
        const HGDIOBJ previous = SelectObject(draw.hDC, formFont_.get());
        RECT textBounds = draw.rcItem;
        textBounds.left += 2;
        DrawTextW(draw.hDC, text.c_str(), static_cast<int>(text.size()), &textBounds,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(draw.hDC, previous);
    }
    if (draw.itemState & ODS_FOCUS)
        DrawFocusRect(draw.hDC, &draw.rcItem);
}

LRESULT TDialUpFrm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // 0 would be WM_NULL, which the tray menu itself posts: never a new
    // task bar.
    if (TaskbarMessage != 0 && message == TaskbarMessage) {
        AddTrayIcon();
        RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return DefWindowProcW(handle_, message, wParam, lParam);
    }
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(handle_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, formBrush_.get());
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == kCheckBox1Id && code == BN_CLICKED)
            CheckBox1Click();
        else if (id == kSpeedButton43Id && code == BN_CLICKED)
            SpeedButton43Click();
        else if (id == kLabel4Id && code == STN_CLICKED)
            Label4Click();
        return 0;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (header.hwndFrom == RzPageControl1 && header.code == TCN_SELCHANGE) {
            SetCurrentPage(CurrentPage());
            // The history as it is when the user turns to it.
            if (CurrentPage() == kHistoryPage)
                RefreshHistory();
        } else if (edtDialTime.HandleNotify(header, result) || edtDialWaintTime.HandleNotify(header, result) ||
                   edtNewIp.HandleNotify(header, result) || edtNewIpHours.HandleNotify(header, result) ||
                   edtAuthStop.HandleNotify(header, result) || edtApiPort.HandleNotify(header, result)) {
            return result;
        }
        return 0;
    }
    case WM_MEASUREITEM: {
        // The tray menu's items are drawn by the styler, the entry box's
        // items by the window.
        LRESULT result = 0;
        if (XPMenuStyler && XPMenuStyler->OwnerMessage(message, wParam, lParam, result))
            return result;
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlType != ODT_COMBOBOX)
            break;
        measure.itemHeight = measure.itemID == static_cast<UINT>(-1) ? kEntryBoxFieldHeight : kEntryItemHeight;
        return TRUE;
    }
    case WM_DRAWITEM: {
        LRESULT result = 0;
        if (XPMenuStyler && XPMenuStyler->OwnerMessage(message, wParam, lParam, result))
            return result;
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlType != ODT_COMBOBOX)
            break;
        DrawEntryItem(draw);
        return TRUE;
    }
    case WM_MENUCHAR: {
        // An access key typed in the open tray menu.
        LRESULT result = 0;
        if (XPMenuStyler && XPMenuStyler->OwnerMessage(message, wParam, lParam, result))
            return result;
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Label4) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_TIMER:
        if (wParam == Timer1.Id()) {
            // The tray menu's loop and the window's move and size loop
            // dispatch timer messages too. A tick's waits would then take
            // that loop's mouse and keys and freeze it: the tick runs once
            // the loop has ended, one tick however many came.
            if (foreignLoops_ > 0)
                tickDeferred_ = true;
            else
                Timer1Timer();
            return 0;
        }
        break;
    case WM_ENTERMENULOOP:
    case WM_ENTERSIZEMOVE:
        ++foreignLoops_;
        break;
    case WM_EXITMENULOOP:
    case WM_EXITSIZEMOVE:
        if (foreignLoops_ > 0)
            --foreignLoops_;
        // Posted, so that the tick runs from one of our own loops.
        if (foreignLoops_ == 0 && tickDeferred_)
            PostMessageW(handle_, WM_DEFERREDTICK, 0, 0);
        break;
    case WM_DEFERREDTICK:
        if (foreignLoops_ == 0 && tickDeferred_) {
            tickDeferred_ = false;
            Timer1Timer();
        }
        return 0;
    case kTrayMessage:
        WMTrayIcon(wParam, lParam);
        return 0;
    case WM_FORMCREATE:
        if (!created_) {
            created_ = true;
            FormCreate();
        }
        return 0;
    case WM_NAVIGATEUPDATEPAGE:
        if (!browser_)
            NavigateUpdatePage();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    case WM_CLOSE:
        // Closing only hides the shown window. A close request while the
        // window is hidden ends the application.
        if (ShowingModal)
            ModalResult = mrCancel;
        else
            PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            // The session ends and the process may be stopped as soon as
            // this message returns: write the settings now rather than on
            // the way out, which may never come.
            SaveSettings();
            PostQuitMessage(0);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TDialUpFrm::WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TDialUpFrm*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TDialUpFrm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self)
            self->handle_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->WndProc(message, wParam, lParam);
    } catch (const std::exception& failure) {
        // The one place where a failure that leaves a handler of the window
        // is caught: FormCreate, its navigation step and FormDestroy run as
        // messages too. It is shown in the standard error report, and the
        // program goes on with the next message.
        self->ReportFailure(failure);
        return 0;
    }
}

}  // namespace ui
