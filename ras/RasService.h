// The seam between the program and the remote-access service: the six
// operations the program uses, with the platform's arguments and results.
// The Windows build binds it to rasapi32; tests and the demo use the
// simulated service.
#pragma once

#include "ras/Ras.h"

namespace ras {

class RasService {
public:
    virtual ~RasService() = default;

    // RasEnumEntriesA(reserved, phonebook, entries, byte count, entry count).
    virtual DWORD EnumEntries(const char* reserved, const char* phonebook, RASENTRYNAMEA* entries, DWORD* byteCount,
                              DWORD* entryCount) = 0;

    // RasEnumConnectionsA(connections, byte count, connection count).
    virtual DWORD EnumConnections(RASCONNA* connections, DWORD* byteCount, DWORD* connectionCount) = 0;

    // RasDialA(extensions, phonebook, parameters, notifier type, notifier,
    // handle cell). The extensions are never used by the program: null.
    virtual DWORD Dial(void* extensions, const char* phonebook, RASDIALPARAMSA* params, DWORD notifierType,
                       RASDIALFUNC notifier, HRASCONN* handle) = 0;

    // RasHangUpA(handle).
    virtual DWORD HangUp(HRASCONN handle) = 0;

    // RasGetProjectionInfoA(handle, projection, record, byte count): the
    // program asks for RASP_PppIp in the 40-byte RASPPPIPA form.
    virtual DWORD GetProjectionInfo(HRASCONN handle, RASPROJECTION projection, void* record, DWORD* byteCount) = 0;

    // RasGetErrorStringA(error, buffer, buffer size): the platform's text
    // for a remote-access error code, in the ANSI code page.
    virtual DWORD GetErrorString(UINT error, char* buffer, DWORD bufferSize) = 0;
};

}  // namespace ras
