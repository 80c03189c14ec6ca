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

}  // namespace ras
