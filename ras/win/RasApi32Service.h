// The remote-access seam bound to the platform's rasapi32.
#pragma once

#include "ras/RasService.h"

namespace ras {

class RasApi32Service final : public RasService {
public:
    DWORD EnumEntries(const char* reserved, const char* phonebook, RASENTRYNAMEA* entries, DWORD* byteCount,
                      DWORD* entryCount) override;
    DWORD EnumConnections(RASCONNA* connections, DWORD* byteCount, DWORD* connectionCount) override;
    DWORD Dial(void* extensions, const char* phonebook, RASDIALPARAMSA* params, DWORD notifierType,
               RASDIALFUNC notifier, HRASCONN* handle) override;
    DWORD HangUp(HRASCONN handle) override;
    DWORD GetProjectionInfo(HRASCONN handle, RASPROJECTION projection, void* record, DWORD* byteCount) override;
    DWORD GetErrorString(UINT error, char* buffer, DWORD bufferSize) override;
};

}  // namespace ras
