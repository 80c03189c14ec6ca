#pragma once
// The maker's web addresses: the update page shown in the update tab and the
// home page opened in Internet Explorer. Both are built on one web host.

#include <string>

namespace ui {

// The maker's web host, without scheme or slash.
inline constexpr char DefaultWebHost[] = "www.velmora.example";

// The host in use: DefaultWebHost unless a test has pointed it elsewhere.
const std::string& WebHost();

// Points both addresses at another host ("127.0.0.1:8080"); an empty text
// returns to DefaultWebHost. For tests that serve the pages themselves.
void SetWebHostForTests(std::string host);

// "http://<host>/update/main1.htm", for the embedded browser.
std::wstring UpdatePageAddress();

// "http://<host>", no trailing slash, for the shell (ANSI bytes).
std::string HomePageAddress();

}  // namespace ui
