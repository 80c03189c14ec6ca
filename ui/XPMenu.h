// The menu and control styling component. The flat look itself comes from
// the common controls 6 visual styles that the application manifest asks
// for; this object holds the switch the window turns on at creation and
// keeps on for its whole life.
#pragma once

namespace ui {

class TXPMenu {
public:
    void SetActive(bool active) { active_ = active; }
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

}  // namespace ui
