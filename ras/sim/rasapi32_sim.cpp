// The drop-in rasapi32.dll: RasEnumEntriesA, RasEnumConnectionsA, RasDialA,
// RasHangUpA, RasGetProjectionInfoA and RasGetErrorStringA over one
// process-wide simulated service. The service is
// made on the first call and configured from "rassim.ini" beside the DLL
// (or the file named by the RASSIM_CONFIG environment variable); each call
// and each dial report is printed on standard error with a time stamp.
//
// The platform's ras.h is not included: its records are the newer forms,
// and these exports take the older ones. RASAPI_CALL is the platform's
// WINAPI convention (stdcall on 32-bit Windows).
#include <exception>
#include <memory>
#include <string>

#include "ras/Ras.h"
#include "ras/sim/SimConfigFile.h"
#include "ras/sim/SimDllPlatform.h"
#include "ras/sim/SimulatedRasService.h"

namespace {

std::unique_ptr<ras::sim::SimulatedRasService> MakeService()
{
    using namespace ras::sim;
    // The report thread runs this module's code to the end of the process:
    // no FreeLibrary may unload it under the thread.
    PinThisModule();
    auto service = std::make_unique<SimulatedRasService>();
    const std::optional<std::string> text = ReadSimConfigText();
    if (!text) {
        PrintOnStandardError("no rassim.ini found: the phonebook is empty");
        service->SetLogger(PrintOnStandardError);
        return service;
    }
    const SimConfig config = ParseSimConfig(*text);
    for (const std::string& problem : config.problems)
        PrintOnStandardError("rassim.ini " + problem + " (skipped)");
    if (config.log.value_or(true))
        service->SetLogger(PrintOnStandardError);
    try {
        ApplySimConfig(config, *service);
    } catch (const std::exception& failure) {
        // The exports must not throw: go on with what was configured.
        PrintOnStandardError(std::string("rassim.ini not fully applied: ") + failure.what());
    }
    return service;
}

ras::sim::SimulatedRasService& Service()
{
    // Made on the first call and deliberately never destroyed: destroying it
    // joins the report thread, which at unload would happen under the
    // loader lock and hang the process. The end of the process reclaims it.
    static ras::sim::SimulatedRasService* const service = MakeService().release();
    return *service;
}

}  // namespace

extern "C" {

ras::DWORD RASAPI_CALL RasEnumEntriesA(const char* reserved, const char* phonebook, ras::RASENTRYNAMEA* entries,
                                       ras::DWORD* byteCount, ras::DWORD* entryCount)
{
    return Service().EnumEntries(reserved, phonebook, entries, byteCount, entryCount);
}

ras::DWORD RASAPI_CALL RasEnumConnectionsA(ras::RASCONNA* connections, ras::DWORD* byteCount,
                                           ras::DWORD* connectionCount)
{
    return Service().EnumConnections(connections, byteCount, connectionCount);
}

ras::DWORD RASAPI_CALL RasDialA(void* extensions, const char* phonebook, ras::RASDIALPARAMSA* params,
                                ras::DWORD notifierType, void* notifier, ras::HRASCONN* handle)
{
    return Service().Dial(extensions, phonebook, params, notifierType, reinterpret_cast<ras::RASDIALFUNC>(notifier),
                          handle);
}

ras::DWORD RASAPI_CALL RasHangUpA(ras::HRASCONN handle)
{
    return Service().HangUp(handle);
}

// RASPROJECTION is an enumeration: an int.
ras::DWORD RASAPI_CALL RasGetProjectionInfoA(ras::HRASCONN handle, ras::RASPROJECTION projection, void* record,
                                             ras::DWORD* byteCount)
{
    return Service().GetProjectionInfo(handle, projection, record, byteCount);
}

ras::DWORD RASAPI_CALL RasGetErrorStringA(ras::UINT error, char* buffer, ras::DWORD bufferSize)
{
    return Service().GetErrorString(error, buffer, bufferSize);
}

}  // extern "C"
