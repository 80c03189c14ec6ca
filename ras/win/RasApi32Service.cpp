#include "ras/win/RasApi32Service.h"

// rasapi32's exports, declared over the older record forms. The platform's
// ras.h is deliberately not included: it only declares the newer forms.
// The names carry C linkage, so they bind to the import library's symbols.
extern "C" {
__declspec(dllimport) ras::DWORD RASAPI_CALL
    RasEnumEntriesA(const char* reserved, const char* phonebook, ras::RASENTRYNAMEA* entries, ras::DWORD* byteCount,
                    ras::DWORD* entryCount);
__declspec(dllimport) ras::DWORD RASAPI_CALL
    RasEnumConnectionsA(ras::RASCONNA* connections, ras::DWORD* byteCount, ras::DWORD* connectionCount);
__declspec(dllimport) ras::DWORD RASAPI_CALL
    RasDialA(void* extensions, const char* phonebook, ras::RASDIALPARAMSA* params, ras::DWORD notifierType,
             void* notifier, ras::HRASCONN* handle);
__declspec(dllimport) ras::DWORD RASAPI_CALL RasHangUpA(ras::HRASCONN handle);
// RASPROJECTION is an enumeration: passed as an int.
__declspec(dllimport) ras::DWORD RASAPI_CALL
    RasGetProjectionInfoA(ras::HRASCONN handle, ras::RASPROJECTION projection, void* record, ras::DWORD* byteCount);
__declspec(dllimport) ras::DWORD RASAPI_CALL RasGetErrorStringA(ras::UINT error, char* buffer, ras::DWORD bufferSize);
}

namespace ras {

DWORD RasApi32Service::EnumEntries(const char* reserved, const char* phonebook, RASENTRYNAMEA* entries,
                                   DWORD* byteCount, DWORD* entryCount)
{
    return RasEnumEntriesA(reserved, phonebook, entries, byteCount, entryCount);
}

DWORD RasApi32Service::EnumConnections(RASCONNA* connections, DWORD* byteCount, DWORD* connectionCount)
{
    return RasEnumConnectionsA(connections, byteCount, connectionCount);
}

DWORD RasApi32Service::Dial(void* extensions, const char* phonebook, RASDIALPARAMSA* params, DWORD notifierType,
                            RASDIALFUNC notifier, HRASCONN* handle)
{
    return RasDialA(extensions, phonebook, params, notifierType, reinterpret_cast<void*>(notifier), handle);
}

DWORD RasApi32Service::HangUp(HRASCONN handle)
{
    return RasHangUpA(handle);
}

DWORD RasApi32Service::GetProjectionInfo(HRASCONN handle, RASPROJECTION projection, void* record, DWORD* byteCount)
{
    return RasGetProjectionInfoA(handle, projection, record, byteCount);
}

DWORD RasApi32Service::GetErrorString(UINT error, char* buffer, DWORD bufferSize)
{
    return RasGetErrorStringA(error, buffer, bufferSize);
}

}  // namespace ras
