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

bool IsIpAddress(std::string_view text)
{
    if (text.empty() || text.size() > 45)
        return false;
    const bool six = text.find(':') != std::string_view::npos;
    int dots = 0;
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (c == '.')
            ++dots;
        else if (!(digit || (six && (hex || c == ':'))))
            return false;
    }
    if (six)
        return true;
    // Dotted IPv4: four parts of 0 to 255.
    if (dots != 3)
        return false;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t end = part < 3 ? text.find('.', start) : text.size();
        const std::string_view digits = text.substr(start, end - start);
        if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0'))
            return false;
        int value = 0;
        for (char c : digits)
            value = value * 10 + (c - '0');
        if (value > 255)
            return false;
        start = end + 1;
    }
    return true;
}

bool IsToken(std::string_view text)
{
    if (text.empty() || text.size() > kMaxTokenLength)
        return false;
    for (unsigned char c : text) {
        if (c < 33 || c > 126)
            return false;
    }
    return true;
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
    case OptionKey::Api:
        return "api";
    case OptionKey::ApiHost:
        return "apihost";
    case OptionKey::ApiPort:
        return "apiport";
    case OptionKey::ApiToken:
        return "apitoken";
    case OptionKey::OnNewIp:
        return "onnewip";
    }
    return "";
}

bool IsFlagOption(OptionKey key)
{
    return key == OptionKey::RedialOnDrop || key == OptionKey::Log || key == OptionKey::Balloon ||
           key == OptionKey::Api;
}

std::string OptionInForce(OptionKey key, std::string_view text)
{
    if (IsFlagOption(key))
        return text::TrimBlanks(text) == "1" && !HoldsControlCharacter(text) ? "1" : "";
    switch (key) {
    case OptionKey::IpCheckUrl:
        return IsWebAddress(text) ? std::string(text) : std::string();
    case OptionKey::ApiHost:
        return IsIpAddress(text) ? std::string(text) : std::string();
    case OptionKey::ApiToken:
        return IsToken(text) ? std::string(text) : std::string();
    case OptionKey::OnNewIp:
        return text.size() <= kMaxCommandLength && !HoldsControlCharacter(text) && !text::IsBlank(text)
                   ? std::string(text)
                   : std::string();
    case OptionKey::ApiPort: {
        if (HoldsControlCharacter(text))
            return {};
        const std::optional<std::int32_t> port = ParseInt32(text::TrimBlanks(text));
        return port && *port >= 1 && *port <= 65535 ? std::to_string(*port) : std::string();
    }
    default:
        break;
    }
    const std::int32_t count = CountInForce(key, text);
    return count > 0 ? std::to_string(count) : std::string();
}

RedialOptions ReadOptions(const std::array<std::string, kOptionCount>& texts)
{
    auto inForce = [&](OptionKey key) { return OptionInForce(key, texts[static_cast<std::size_t>(key)]); };
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
    options.api = !inForce(OptionKey::Api).empty();
    if (std::string host = inForce(OptionKey::ApiHost); !host.empty())
        options.apiHost = std::move(host);
    if (const std::string port = inForce(OptionKey::ApiPort); !port.empty())
        options.apiPort = static_cast<std::uint16_t>(*ParseInt32(port));
    options.apiToken = inForce(OptionKey::ApiToken);
    options.onNewIp = inForce(OptionKey::OnNewIp);
    return options;
}

}  // namespace settings
