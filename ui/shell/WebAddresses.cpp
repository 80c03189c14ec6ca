#include "ui/shell/WebAddresses.h"

namespace {

std::string& HostOverride()
{
    static std::string host;
    return host;
}

}  // namespace

const std::string& WebHost()
{
    static const std::string defaultHost = DefaultWebHost;
    const std::string& host = HostOverride();
    return host.empty() ? defaultHost : host;
}

void SetWebHostForTests(std::string host)
{
    HostOverride() = std::move(host);
}

std::wstring UpdatePageAddress()
{
    // The host is plain ASCII: a widening copy is the whole conversion.
    const std::string& host = WebHost();
    return L"http://" + std::wstring(host.begin(), host.end()) + L"/update/main1.htm";
}

std::string HomePageAddress()
{
    return "http://" + WebHost();
}
