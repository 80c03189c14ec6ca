#include "settings/Options.h"

#include <optional>

#include "settings/Int32Text.h"
#include "text/AsciiText.h"

namespace settings {
namespace {

bool HoldsControlCharacter(std::string_view text)
{
    for (unsigned char c : text) {
        if (c < 32 || c == 127)
            return true;
    }
    return false;
}

std::int32_t CapOf(OptionKey key)
{
    switch (key) {
    case OptionKey::NewIp:
        return kMaxNewIpTries;
    case OptionKey::NewIpHours:
        return kMaxNewIpHours;
    case OptionKey::AuthStop:
        return kMaxAuthStop;
    default:
        return 0;
    }
}

// A count in force: 0 for off.
std::int32_t CountInForce(OptionKey key, std::string_view text)
{
    if (HoldsControlCharacter(text))
        return 0;
    const std::optional<std::int32_t> value = ParseInt32(text::TrimBlanks(text));
    if (!value || *value <= 0)
        return 0;
    return *value < CapOf(key) ? *value : CapOf(key);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text::EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool IsWebAddress(std::string_view text)
{
    if (text.size() > kMaxUrlLength || HoldsControlCharacter(text) || text.find(' ') != std::string_view::npos)
        return false;
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        // A host must follow the scheme.
        if (StartsWithIgnoringCase(text, scheme) && text.size() > scheme.size() && text[scheme.size()] != '/')
            return true;
    }
    return false;
}

}  // namespace

const char* OptionName(OptionKey key)
{
    switch (key) {
    case OptionKey::NewIp:
        return "newip";
    case OptionKey::NewIpHours:
        return "newiphours";
    case OptionKey::IpCheckUrl:
        return "ipcheckurl";
    case OptionKey::AuthStop:
        return "authstop";
    case OptionKey::RedialOnDrop:
        return "redialondrop";
    case OptionKey::Log:
        return "log";
    case OptionKey::Balloon:
        return "balloon";
    }
    return "";
}

bool IsFlagOption(OptionKey key)
{
    return key == OptionKey::RedialOnDrop || key == OptionKey::Log || key == OptionKey::Balloon;
}

std::string OptionInForce(OptionKey key, std::string_view text)
{
    if (IsFlagOption(key))
        return text::TrimBlanks(text) == "1" && !HoldsControlCharacter(text) ? "1" : "";
    if (key == OptionKey::IpCheckUrl)
        return IsWebAddress(text) ? std::string(text) : std::string();
    const std::int32_t count = CountInForce(key, text);
    return count > 0 ? std::to_string(count) : std::string();
}

RedialOptions ReadOptions(const std::array<std::string, kOptionCount>& texts)
{
    auto inForce = [&](OptionKey key) {
        return OptionInForce(key, texts[static_cast<std::size_t>(key)]);
    };
    auto count = [&](OptionKey key) {
        const std::string value = inForce(key);
        return value.empty() ? 0 : *ParseInt32(value);
    };
    RedialOptions options;
    options.newIp = count(OptionKey::NewIp);
    options.newIpHours = count(OptionKey::NewIpHours);
    options.ipCheckUrl = inForce(OptionKey::IpCheckUrl);
    options.authStop = count(OptionKey::AuthStop);
    options.redialOnDrop = !inForce(OptionKey::RedialOnDrop).empty();
    options.log = !inForce(OptionKey::Log).empty();
    options.balloon = !inForce(OptionKey::Balloon).empty();
    return options;
}

}  // namespace settings
