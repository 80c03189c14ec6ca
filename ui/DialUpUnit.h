// The main window: four tabs, the settings of the re-dial, the maker's
// update page, the history of the re-dials and the further options; the
// one-second timer and the tray icon's menu. It is created hidden, shown
// only modally, hidden again when closed, and destroyed at the end of the
// run.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "scheduler/RedialEvent.h"
#include "scheduler/RedialWindow.h"
#include "settings/SettingsView.h"
#include "ui/AnsiText.h"
#include "ui/DialUpActions.h"
#include "ui/GdiObject.h"
#include "ui/Panel.h"
#include "ui/SpinEdit.h"
#include "ui/WindowApplication.h"
#include "ui/WindowProtocol.h"
#include "ui/WindowTimer.h"
#include "ui/XPMenu.h"
#include "ui/shell/NotifyIconRecord.h"
#include "ui/shell/PlatformCalls.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/TrayPopupMenu.h"
#include "ui/shell/WebBrowser.h"

namespace ui {

// One row of the table the window builds its widgets from.
struct WidgetRow;
// The widget of an option and the bytes placed into it.
struct OptionWidget;

// Results of a modal showing.
inline constexpr int mrNone = 0;
inline constexpr int mrCancel = 2;

// The pages of RzPageControl1, in the order of their tabs.
inline constexpr int kSettingsPage = 0;
inline constexpr int kUpdatePage = 1;
inline constexpr int kHistoryPage = 2;
inline constexpr int kOptionsPage = 3;

class TDialUpFrm final : public settings::SettingsView,
                         public scheduler::RedialWindow,
                         public scheduler::EventListener {
public:
    // Creates the window hidden with all its widgets, becomes the actions'
    // event listener, then runs FormCreate. The window uses the three for
    // its whole life: they outlive it.
    TDialUpFrm(DialUpActions& actions, WindowApplication& application, PlatformCalls& platform);
    // Stops listening to events, lets the browser go, runs FormDestroy,
    // then destroys the window and its widgets.
    ~TDialUpFrm() override;
    TDialUpFrm(const TDialUpFrm&) = delete;
    TDialUpFrm& operator=(const TDialUpFrm&) = delete;

    HWND Handle() const { return handle_; }
    std::wstring Caption() const;

    // Event handlers.
    void FormDestroy();
    void N1Click();
    void E1Click();
    void FormCreate();
    void CheckBox1Click();
    void Timer1Timer();
    void SpeedButton43Click();
    void Label4Click();
    void FormShow();

    // The window procedure; every message of the window passes here.
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The tray icon: adding it from the window's handle and caption, and
    // its callback message (first parameter the icon's identifier, second
    // the mouse message).
    void AddTrayIcon();
    void WMTrayIcon(WPARAM iconId, LPARAM mouseMessage);

    // Offered every message before the dialog manager: keys go first to
    // the update page's active object while the focus is in the page. True
    // when the page has used the message, which then goes no further.
    bool PreTranslateMessage(MSG& message);

    // Creation steps and the settings file.
    void FillEntryBox();
    void LoadSettings();

    // Modal showing: the application's loop shows the window, runs until
    // ModalResult is set or the application terminates, then hides it.
    void ShowForModal();
    void HideAfterModal();
    bool Shown() const;
    int ModalResult = mrNone;
    bool ShowingModal = false;

    // The pages of RzPageControl1 (kSettingsPage ... kOptionsPage).
    int CurrentPage() const;
    void SetCurrentPage(int page);

    // The history tab: the state and counter lines from the actions'
    // status; RefreshHistory first looks the connection up and also fills
    // the list anew (as turning to the tab does).
    void ShowStatus();
    void RefreshHistory();
    std::wstring StateLineText() const;
    std::wstring CountersText() const;

    // What the controls hold, for the program's other parts and for tests.
    std::wstring Label1Text() const;
    bool Timer1Running() const { return Timer1.Running(); }
    std::size_t EntryItemCount() const { return edtDialerItems.size(); }
    SpinEdit& PeriodEdit() { return edtDialTime; }
    SpinEdit& PauseEdit() { return edtDialWaintTime; }
    HWND EnableBox() const { return CheckBox1; }
    HWND EntryBox() const { return edtDialer; }
    HWND AccountBox() const { return edtDialUser; }
    HWND PasswordBox() const { return edtDialPWD; }
    HWND WebBrowserHost() const { return WebBrowser2; }
    HMENU PopupMenuHandle() const { return PopupMenu.Handle(); }
    const TXPMenu* Styler() const { return XPMenuStyler.get(); }
    // The update page's browser; null when it could not be made.
    TWebBrowser* Browser() const { return browser_.get(); }

    // settings::SettingsView
    int EntryIndex() const override;
    void SetEntryIndex(int index) override;
    std::string AccountText() const override;
    void SetAccountText(const std::string& text) override;
    std::string PasswordText() const override;
    void SetPasswordText(const std::string& text) override;
    std::string PeriodText() const override;
    void SetPeriodText(const std::string& text) override;
    std::string PauseText() const override;
    void SetPauseText(const std::string& text) override;
    bool EnabledTicked() const override;
    void SetEnabledTicked(bool ticked) override;

    // scheduler::RedialWindow
    std::string EntryText() const override;
    bool CredentialsExact() const override;
    std::int32_t PeriodValue() const override;
    std::int32_t PauseValue() const override;
    void SetCounterText(const std::string& text) override;
    void SetTimerRunning(bool running) override;
    void SaveSettings() override;
    void OpenHomePage() override;
    std::int32_t& ElapsedSeconds() override { return ElapsedSeconds_; }
    std::int32_t& TickCount() override { return TickCount_; }
    settings::RedialOptions Options() const override;

    // settings::SettingsView: the options' widgets. A count's spin edit
    // shows 0 for an empty text, the port's stays empty (the default port);
    // a box's text is "1" when it is ticked, else empty. A text field hands
    // back the bytes placed into it until it is edited.
    std::string OptionText(settings::OptionKey key) const override;
    void SetOptionText(settings::OptionKey key, const std::string& text) override;

    // scheduler::EventListener: a new event at the top of the history and,
    // with the balloon option, a fresh address shown over the tray icon.
    void EventAdded(const scheduler::RedialEvent& event) override;
    void StateChanged() override;

private:
    static LRESULT CALLBACK WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateHandle();
    void CreateWidgets();
    // FormCreate's step that starts loading the update page.
    void NavigateUpdatePage();
    HWND CreateLabel(HWND parent, const WidgetRow& row, HFONT font);
    void ReportFailure(const std::exception& failure);
    LRESULT ControlColour(HDC dc, HWND control);
    void DrawEntryItem(const DRAWITEMSTRUCT& draw);
    // Which widget holds an option.
    static const OptionWidget& OptionWidgetOf(settings::OptionKey key);

    DialUpActions& actions_;
    WindowApplication& application_;
    PlatformCalls& platform_;
    HWND handle_ = nullptr;
    // FormCreate has run (it runs once, however often its message comes).
    bool created_ = false;

    // Resources the widgets use; they outlive the widgets.
    BrushHandle formBrush_;
    FontHandle formFont_;
    FontHandle counterFont_;
    FontHandle linkFont_;
    PanelLook pageLook_;
    PanelLook bevelledLook_;
    // Each widget's row of the widget table, by its handle (a spin edit's
    // by its edit box, the entry box's also by its drop-down list).
    std::unordered_map<HWND, const WidgetRow*> widgetRows_;
    // The bytes the settings placed into the text fields.
    PlacedBytes accountBytes_;
    PlacedBytes passwordBytes_;
    PlacedBytes periodBytes_;
    PlacedBytes pauseBytes_;
    PlacedBytes newIpBytes_;
    PlacedBytes newIpHoursBytes_;
    PlacedBytes ipCheckUrlBytes_;
    PlacedBytes authStopBytes_;
    PlacedBytes apiHostBytes_;
    PlacedBytes apiPortBytes_;
    PlacedBytes apiTokenBytes_;
    PlacedBytes onNewIpBytes_;
    // The settings file existed at start-up but could not be read: it is
    // not overwritten until the Enable box changes.
    bool keepUnreadableSettingsFile_ = false;
    // Loops of the system's own (a menu's, a move's or a resize's) running
    // now, and whether a tick came during one of them.
    int foreignLoops_ = 0;
    bool tickDeferred_ = false;

public:
    // The widgets, in their declaration order.
    WindowTimer Timer1{kTimer1Id, 1000};
    TrayPopupMenu PopupMenu;
    UINT N1 = kN1Id;  // menu command identifiers
    UINT E1 = kE1Id;
    HWND RzPageControl1 = nullptr;
    HWND TabSheet1 = nullptr;
    HWND TabSheet10 = nullptr;
    HWND WebBrowser2 = nullptr;
    HWND Panel7 = nullptr;
    HWND SpeedButton43 = nullptr;
    HWND Panel5 = nullptr;
    HWND Label65 = nullptr;
    HWND lbel343 = nullptr;
    HWND label890 = nullptr;
    HWND Label68 = nullptr;
    HWND Label66 = nullptr;
    HWND edtDialer = nullptr;
    std::vector<std::string> edtDialerItems;  // each item's exact bytes
    HWND edtDialUser = nullptr;
    HWND edtDialPWD = nullptr;
    SpinEdit edtDialTime;
    HWND CheckBox1 = nullptr;
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND Label4 = nullptr;
    HWND StatusBar1 = nullptr;
    HWND Label131 = nullptr;
    SpinEdit edtDialWaintTime;
    HWND Label132 = nullptr;
    // The history tab.
    HWND HistorySheet = nullptr;
    HWND lblRedialState = nullptr;
    HWND lblRedialCounters = nullptr;
    HWND pnlRedialEvents = nullptr;
    HWND lvRedialEvents = nullptr;
    // The options tab.
    HWND OptionsSheet = nullptr;
    HWND pnlOptions = nullptr;
    HWND lblNewIp = nullptr;
    SpinEdit edtNewIp;
    HWND lblNewIpHours = nullptr;
    SpinEdit edtNewIpHours;
    HWND lblIpCheckUrl = nullptr;
    HWND edtIpCheckUrl = nullptr;
    HWND lblAuthStop = nullptr;
    SpinEdit edtAuthStop;
    HWND chkRedialOnDrop = nullptr;
    HWND chkLog = nullptr;
    HWND chkBalloon = nullptr;
    HWND pnlApiOptions = nullptr;
    HWND chkApi = nullptr;
    HWND lblApiHost = nullptr;
    HWND edtApiHost = nullptr;
    HWND lblApiPort = nullptr;
    SpinEdit edtApiPort;
    HWND lblApiToken = nullptr;
    HWND edtApiToken = nullptr;
    HWND lblOnNewIp = nullptr;
    HWND edtOnNewIp = nullptr;
    HWND lblOptionsNote = nullptr;

    // The window's own state.
    std::int32_t ElapsedSeconds_ = 0;
    std::unique_ptr<TXPMenu> XPMenuStyler;
    UINT TaskbarMessage = 0;
    NotifyIconDataA88 TrayIconData{};
    std::int32_t TickCount_ = 0;

private:
    // The window's parts beside its widgets; the tray icon describes itself
    // in TrayIconData.
    TrayIcon trayIcon_{TrayIconData, platform_};
    std::unique_ptr<TWebBrowser> browser_;
};

static_assert(static_cast<UINT>(TrayMenuCommand::ShowMainWindow) == kN1Id &&
              static_cast<UINT>(TrayMenuCommand::Exit) == kE1Id);

}  // namespace ui
