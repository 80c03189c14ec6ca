// The remote-access declarations the program needs, in the older, smaller
// record forms (the ones whose dwSize the program writes). The platform's
// own ras.h only offers the newer forms, so these are declared here, with
// the platform's 4-byte packing. This header is portable: it includes no
// Windows header, so the core and its tests build on any host.
#pragma once

#include <cstddef>
#include <cstdint>

// Calling convention of the remote-access API and of its callbacks: stdcall
// on 32-bit Windows, the one convention everywhere else.
#if defined(_WIN32) && defined(__i386__)
#define RASAPI_CALL __attribute__((stdcall))
#else
#define RASAPI_CALL
#endif

namespace ras {

using DWORD = std::uint32_t;
using UINT = std::uint32_t;

// Opaque connection handle; null means none.
struct HRASCONN__;
using HRASCONN = HRASCONN__*;

// Connection states the program acts on (RASCONNSTATE).
using RASCONNSTATE = int;
inline constexpr RASCONNSTATE RASCS_Connected = 0x2000;     // 8192
inline constexpr RASCONNSTATE RASCS_Disconnected = 0x2001;  // 8193

inline constexpr std::size_t RAS_MaxEntryName = 256;
inline constexpr std::size_t RAS_MaxDeviceType = 16;
inline constexpr std::size_t RAS_MaxDeviceName = 128;
inline constexpr std::size_t RAS_MaxPhoneNumber = 128;
inline constexpr std::size_t RAS_MaxCallbackNumber = 128;
inline constexpr std::size_t UNLEN = 256;
inline constexpr std::size_t PWLEN = 256;
inline constexpr std::size_t DNLEN = 15;

// Results the program and the simulated service use.
inline constexpr DWORD SUCCESS = 0;
inline constexpr DWORD ERROR_BUFFER_TOO_SMALL = 603;
inline constexpr DWORD ERROR_INVALID_SIZE = 632;
// The platform's ERROR_INVALID_HANDLE and ERROR_INVALID_PARAMETER, named
// apart from windows.h's macros of those names so that both headers can
// meet in one file.
inline constexpr DWORD ERROR_BAD_HANDLE = 6;
inline constexpr DWORD ERROR_BAD_PARAMETER = 87;
inline constexpr DWORD ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623;
inline constexpr DWORD ERROR_DIAL_ALREADY_IN_PROGRESS = 756;
inline constexpr DWORD ERROR_AUTHENTICATION_FAILURE = 691;
inline constexpr DWORD ERROR_NO_ANSWER = 678;
inline constexpr DWORD ERROR_PROJECTION_NOT_COMPLETE = 730;
// Errors about the account or the password rather than the line: logon
// hours (646), account disabled (647), password expired (648), no dial-in
// permission (649) and the provider refusing the name or password (691).
inline constexpr DWORD ERROR_RESTRICTED_LOGON_HOURS = 646;
inline constexpr DWORD ERROR_ACCT_DISABLED = 647;
inline constexpr DWORD ERROR_PASSWD_EXPIRED = 648;
inline constexpr DWORD ERROR_NO_DIALIN_PERMISSION = 649;

// The projection the program reads: the IP addresses of a PPP link.
using RASPROJECTION = int;
inline constexpr RASPROJECTION RASP_PppIp = 0x8021;
inline constexpr std::size_t RAS_MaxIpAddress = 15;

#pragma pack(push, 4)

struct RASENTRYNAMEA {
    DWORD dwSize;
    char szEntryName[RAS_MaxEntryName + 1];
};

struct RASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    char szEntryName[RAS_MaxEntryName + 1];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};

struct RASDIALPARAMSA {
    DWORD dwSize;
    char szEntryName[RAS_MaxEntryName + 1];
    char szPhoneNumber[RAS_MaxPhoneNumber + 1];
    char szCallbackNumber[RAS_MaxCallbackNumber + 1];
    char szUserName[UNLEN + 1];
    char szPassword[PWLEN + 1];
    char szDomain[DNLEN + 1];
};

// The first form of RASPPPIP: the link's own address and the server's,
// without the option fields that later versions added. Every version of the
// platform accepts it, and the program needs nothing beyond the addresses.
struct RASPPPIPA {
    DWORD dwSize;
    DWORD dwError;
    char szIpAddress[RAS_MaxIpAddress + 1];
    char szServerIpAddress[RAS_MaxIpAddress + 1];
};

#pragma pack(pop)

// Sizes of the forms, as written into dwSize.
inline constexpr DWORD kEntryNameSize = 264;
inline constexpr DWORD kDialParamsSize = 1052;
inline constexpr DWORD kPppIpSize = 40;
// RASCONN holds a pointer-sized handle: 412 bytes in 32-bit programs,
// 416 in 64-bit ones.
inline constexpr DWORD kConnSize32 = 412;
inline constexpr DWORD kConnSize = sizeof(void*) == 4 ? 412 : 416;

static_assert(sizeof(RASENTRYNAMEA) == kEntryNameSize);
static_assert(sizeof(RASDIALPARAMSA) == kDialParamsSize);
static_assert(sizeof(RASPPPIPA) == kPppIpSize);
static_assert(sizeof(RASCONNA) == kConnSize);
#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(RASCONNA) == kConnSize32, "32-bit Windows form of RASCONN");
#endif

// The dial-progress notifier, notifier type 0.
using RASDIALFUNC = void(RASAPI_CALL*)(UINT unMsg, RASCONNSTATE state, DWORD dwError);
inline constexpr DWORD kNotifierTypeRasDialFunc = 0;
// The message the platform passes to a RasDialFunc.
inline constexpr UINT WM_RASDIALEVENT = 0xCCCD;

}  // namespace ras
