#include "ras/sim/SimConfigFile.h"

#include <algorithm>
#include <charconv>

#include "text/AsciiText.h"

namespace ras::sim {
namespace {

constexpr std::uint64_t kMaxDelayMs = 3'600'000;

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view value)
{
    std::string lower(value);
    std::transform(lower.begin(), lower.end(), lower.begin(), text::LowerAscii);
    return lower;
}

std::optional<std::uint64_t> Number(std::string_view text, std::uint64_t max)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

std::optional<bool> Switch(std::string_view text)
{
    const std::string lower = Lower(text);
    if (lower == "on" || lower == "yes" || lower == "1" || lower == "true")
        return true;
    if (lower == "off" || lower == "no" || lower == "0" || lower == "false")
        return false;
    return std::nullopt;
}

class Parser {
public:
    SimConfig Parse(std::string_view text)
    {
        std::size_t lineNumber = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            const std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            ++lineNumber;
            ParseLine(lineNumber, Trim(line));
        }
        return std::move(config_);
    }

private:
    void ParseLine(std::size_t number, std::string_view line)
    {
        if (line.empty() || line.front() == '#' || line.front() == ';')
            return;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return Problem(number, "no '=' in the line");
        const std::string key = Lower(Trim(line.substr(0, equals)));
        const std::string_view value = Trim(line.substr(equals + 1));

        if (key == "entry") {
            if (Name(number, value))
                NoteEntry(value);
        } else if (key == "connected") {
            if (Name(number, value)) {
                NoteEntry(value);
                config_.connected.emplace_back(value);
            }
        } else if (key == "fail" || key == "fail_at_call") {
            // Name:code, split at the last colon: a name may hold colons.
            const std::size_t colon = value.rfind(':');
            if (colon == std::string_view::npos)
                return Problem(number, "expected Name:code");
            const std::string_view name = Trim(value.substr(0, colon));
            const auto code = Number(Trim(value.substr(colon + 1)), 0xFFFFFFFF);
            if (!code || *code == 0)
                return Problem(number, "the code is not a non-zero number");
            if (!Name(number, name))
                return;
            NoteEntry(name);
            const auto error = static_cast<DWORD>(*code);
            Setup(name) = key == "fail" ? EntrySetup::FailsLater(error) : EntrySetup::FailsAtCall(error);
        } else if (key == "addresses") {
            // Name:a,b,c, split at the last colon: a name may hold colons.
            const std::size_t colon = value.rfind(':');
            if (colon == std::string_view::npos)
                return Problem(number, "expected Name:address,address,...");
            const std::string_view name = Trim(value.substr(0, colon));
            std::vector<std::string> addresses;
            std::string_view list = value.substr(colon + 1);
            while (true) {
                const std::size_t comma = list.find(',');
                const std::string address(Trim(list.substr(0, comma)));
                if (!IsDottedAddress(address))
                    return Problem(number, "\"" + address + "\" is not an IPv4 address");
                addresses.push_back(address);
                if (comma == std::string_view::npos)
                    break;
                list.remove_prefix(comma + 1);
            }
            if (!Name(number, name))
                return;
            NoteEntry(name);
            for (auto& [entry, sequence] : config_.addresses)
                if (text::EqualsIgnoringAsciiCase(entry, name))
                    return void(sequence = std::move(addresses));
            config_.addresses.emplace_back(std::string(name), std::move(addresses));
        } else if (key == "fail_at") {
            // Name:state:code, the name ending at the second colon from the end.
            const std::size_t codeColon = value.rfind(':');
            const std::size_t stateColon = codeColon == std::string_view::npos || codeColon == 0
                                               ? std::string_view::npos
                                               : value.rfind(':', codeColon - 1);
            if (stateColon == std::string_view::npos)
                return Problem(number, "expected Name:state:code");
            const std::string_view name = Trim(value.substr(0, stateColon));
            const auto state = Number(Trim(value.substr(stateColon + 1, codeColon - stateColon - 1)), 0x7FFFFFFF);
            const auto code = Number(Trim(value.substr(codeColon + 1)), 0xFFFFFFFF);
            if (!state)
                return Problem(number, "the state is not a number");
            if (!code || *code == 0)
                return Problem(number, "the code is not a non-zero number");
            if (!Name(number, name))
                return;
            NoteEntry(name);
            Setup(name) = EntrySetup::FailsAt(static_cast<RASCONNSTATE>(*state), static_cast<DWORD>(*code));
        } else if (key == "succeed") {
            if (Name(number, value)) {
                NoteEntry(value);
                const bool early = Setup(value).reportBeforeReturn;
                Setup(value) = EntrySetup::Connects();
                Setup(value).reportBeforeReturn = early;
            }
        } else if (key == "report_before_return") {
            if (Name(number, value)) {
                NoteEntry(value);
                Setup(value).reportBeforeReturn = true;
            }
        } else if (key == "delay_ms" || key == "late_report_ms" || key == "report_lag_ms") {
            const auto delay = Number(value, kMaxDelayMs);
            if (!delay)
                return Problem(number, key + " takes 0 to 3600000");
            auto& field = key == "delay_ms"         ? config_.dialDelay
                          : key == "late_report_ms" ? config_.lateReport
                                                    : config_.reportLag;
            field = std::chrono::milliseconds(*delay);
        } else if (key == "progress" || key == "fresh_address" || key == "log") {
            const auto on = Switch(value);
            if (!on)
                return Problem(number, key + " takes on or off");
            (key == "progress" ? config_.progress : key == "log" ? config_.log : config_.freshAddress) = *on;
        } else if (key == "device_type") {
            config_.deviceType = std::string(value.substr(0, RAS_MaxDeviceType));
        } else if (key == "device_name") {
            config_.deviceName = std::string(value.substr(0, RAS_MaxDeviceName));
        } else {
            Problem(number, "unknown key \"" + key + "\"");
        }
    }

    bool Name(std::size_t number, std::string_view name)
    {
        if (name.empty())
            Problem(number, "the entry name is empty");
        else if (name.size() > RAS_MaxEntryName)
            Problem(number, "the entry name is longer than 256 bytes");
        else if (name.find('\0') != std::string_view::npos)
            Problem(number, "the entry name holds a NUL byte");
        else
            return true;
        return false;
    }

    void NoteEntry(std::string_view name)
    {
        const bool known = std::any_of(config_.entries.begin(), config_.entries.end(), [&](const std::string& entry) {
            return text::EqualsIgnoringAsciiCase(entry, name);
        });
        if (!known)
            config_.entries.emplace_back(name);
    }

    EntrySetup& Setup(std::string_view name)
    {
        for (auto& [entry, setup] : config_.setups)
            if (text::EqualsIgnoringAsciiCase(entry, name))
                return setup;
        return config_.setups.emplace_back(std::string(name), EntrySetup{}).second;
    }

    void Problem(std::size_t number, const std::string& what)
    {
        config_.problems.push_back("line " + std::to_string(number) + ": " + what);
    }

    SimConfig config_;
};

}  // namespace

SimConfig ParseSimConfig(std::string_view text)
{
    return Parser{}.Parse(text);
}

void ApplySimConfig(const SimConfig& config, SimulatedRasService& service)
{
    if (config.dialDelay)
        service.SetDialDelay(*config.dialDelay);
    if (config.lateReport)
        service.SetLateReportDelay(*config.lateReport);
    if (config.reportLag)
        service.SetReportLag(*config.reportLag);
    if (config.progress)
        service.SetProgressStates(*config.progress ? DefaultProgressStates() : std::vector<RASCONNSTATE>{});
    if (config.freshAddress)
        service.SetFreshAddress(*config.freshAddress);
    if (config.deviceType || config.deviceName)
        service.SetDevice(config.deviceType.value_or(SimulatedRasService::kDefaultDeviceType),
                          config.deviceName.value_or(SimulatedRasService::kDefaultDeviceName));
    for (const std::string& entry : config.entries)
        service.AddEntry(entry);
    for (const auto& [entry, setup] : config.setups)
        service.SetEntrySetup(entry, setup);
    for (const auto& [entry, addresses] : config.addresses)
        service.SetAddressSequence(entry, addresses);
    for (const std::string& entry : config.connected)
        service.ConnectEntry(entry);
}

}  // namespace ras::sim
