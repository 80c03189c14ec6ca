// Test doubles of what the main window is handed when it is made: its
// platform calls (RecordingPlatform) and an application object that records
// its showings and its end.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/win/shell/RecordingPlatform.h"
#include "ui/WindowApplication.h"

// The application as the window sees it, recording instead of looping.
struct RecordingApplication : ui::WindowApplication {
    std::wstring title;
    std::vector<std::string> calls;  // "ShowModal", "Terminate"
    // Runs inside ShowModal, while the window counts as shown.
    std::function<void(ui::TDialUpFrm&)> duringShowing;

    const std::wstring& Title() const override { return title; }
    void SetTitle(std::wstring text) override { title = std::move(text); }
    int ShowModal(ui::TDialUpFrm& window) override;
    void Terminate() override { calls.push_back("Terminate"); }
};

#include "ui/DialUpUnit.h"

inline int RecordingApplication::ShowModal(ui::TDialUpFrm& window)
{
    calls.push_back("ShowModal");
    if (duringShowing) {
        window.ShowForModal();
        duringShowing(window);
        window.HideAfterModal();
    }
    return ui::mrCancel;
}
