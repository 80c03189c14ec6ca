// The window's real actions over a simulated remote-access service, a
// settings file in a given directory, an empty text table and a pump that
// only counts its slices.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/DialUpActions.h"

namespace ras {
class ConnectionControl;
namespace sim {
class SimulatedRasService;
}
}  // namespace ras

class SimulatedCore {
public:
    explicit SimulatedCore(const std::string& directory);
    ~SimulatedCore();

    void AddEntry(const std::string& name);
    std::string SettingsPath() const;
    // The password of every dial started, in order.
    std::vector<std::string> DialledPasswords() const;
    ras::sim::SimulatedRasService& Service();
    // Deliver its dial reports on the test's thread.
    ras::ConnectionControl& Connections();
    ui::DialUpActions& Actions();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};
