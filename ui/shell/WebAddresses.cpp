#include "ui/shell/WebAddresses.h"

#include "ui/AnsiText.h"

namespace ui {

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
    return L"http://" + WideFromAnsi(WebHost()) + L"/update/main1.htm";
}

std::string HomePageAddress()
{
    return "http://" + WebHost();
}

}  // namespace ui
