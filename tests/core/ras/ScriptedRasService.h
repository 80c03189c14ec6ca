// A scripted remote-access service for unit tests: the test sets what each
// operation answers and reads back exactly what the program passed.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ras/RasService.h"

namespace ras::testing {

inline HRASCONN FakeHandle(std::uintptr_t n)
{
    return reinterpret_cast<HRASCONN>(n);
}

struct ActiveConnectionRecord {
    std::string entry;
    HRASCONN handle;
};

class ScriptedRasService : public RasService {
public:
    // Phonebook and connections the service reports.
    std::vector<std::string> phonebook;
    std::vector<ActiveConnectionRecord> connections;
    DWORD enumConnectionsFailure = SUCCESS;  // a non-zero code to fail with

    // Dial behaviour.
    DWORD dialResult = SUCCESS;
    HRASCONN nextDialHandle = FakeHandle(0x1000);
    std::function<void()> duringDial;  // runs inside RasDialA, after the handle is written

    // What the program passed.
    struct DialCall {
        bool extensionsNull;
        bool phonebookNull;
        RASDIALPARAMSA params;
        DWORD notifierType;
        RASDIALFUNC notifier;
        HRASCONN handleCellOnEntry;
    };
    std::vector<DialCall> dials;
    std::vector<HRASCONN> hangUps;
    std::vector<DWORD> enumConnectionByteCounts;
    std::vector<DWORD> enumEntryByteCounts;

    // Projection answers: the address of each handle the service knows
    // (copied into szIpAddress as raw bytes, at most the field's 16); any
    // other handle answers ERROR_BAD_HANDLE. A non-zero projectionResult
    // fails every call with it; projectionError goes into dwError.
    std::map<HRASCONN, std::string> addresses;
    DWORD projectionResult = SUCCESS;
    DWORD projectionError = SUCCESS;
    struct ProjectionCall {
        HRASCONN handle;
        RASPROJECTION projection;
        DWORD recordSize;  // dwSize of the record passed
        DWORD byteCount;   // the byte count passed
    };
    std::vector<ProjectionCall> projectionCalls;

    // Error texts by code; any other code answers ERROR_BAD_PARAMETER, and a
    // text that does not fit the buffer with its NUL answers 122.
    std::map<DWORD, std::string> errorTexts;
    struct ErrorStringCall {
        UINT error;
        DWORD bufferSize;
    };
    std::vector<ErrorStringCall> errorStringCalls;

    DWORD EnumEntries(const char*, const char*, RASENTRYNAMEA* entries, DWORD* byteCount, DWORD* entryCount) override
    {
        enumEntryByteCounts.push_back(*byteCount);
        if (entries[0].dwSize != sizeof(RASENTRYNAMEA))
            return ERROR_INVALID_SIZE;
        const DWORD needed = static_cast<DWORD>(phonebook.size() * sizeof(RASENTRYNAMEA));
        if (*byteCount < needed) {
            *byteCount = needed;
            *entryCount = static_cast<DWORD>(phonebook.size());
            return ERROR_BUFFER_TOO_SMALL;
        }
        for (std::size_t i = 0; i < phonebook.size(); ++i) {
            entries[i].dwSize = sizeof(RASENTRYNAMEA);
            std::memset(entries[i].szEntryName, 0, sizeof entries[i].szEntryName);
            std::memcpy(entries[i].szEntryName, phonebook[i].data(), phonebook[i].size());
        }
        *entryCount = static_cast<DWORD>(phonebook.size());
        return SUCCESS;
    }

    DWORD EnumConnections(RASCONNA* table, DWORD* byteCount, DWORD* count) override
    {
        enumConnectionByteCounts.push_back(*byteCount);
        if (enumConnectionsFailure != SUCCESS)
            return enumConnectionsFailure;
        if (table[0].dwSize != sizeof(RASCONNA))
            return ERROR_INVALID_SIZE;
        const DWORD needed = static_cast<DWORD>(connections.size() * sizeof(RASCONNA));
        if (*byteCount < needed) {
            *byteCount = needed;
            *count = static_cast<DWORD>(connections.size());
            return ERROR_BUFFER_TOO_SMALL;
        }
        for (std::size_t i = 0; i < connections.size(); ++i) {
            table[i] = RASCONNA{};
            table[i].dwSize = sizeof(RASCONNA);
            table[i].hrasconn = connections[i].handle;
            std::memcpy(table[i].szEntryName, connections[i].entry.data(), connections[i].entry.size());
        }
        *count = static_cast<DWORD>(connections.size());
        return SUCCESS;
    }

    DWORD Dial(void* extensions, const char* phonebookPath, RASDIALPARAMSA* params, DWORD notifierType,
               RASDIALFUNC notifier, HRASCONN* handle) override
    {
        dials.push_back({extensions == nullptr, phonebookPath == nullptr, *params, notifierType, notifier, *handle});
        *handle = nextDialHandle;
        if (duringDial)
            duringDial();
        return dialResult;
    }

    // Calls the notifier the program handed to dial number `index` (the
    // last one by default), as the service's thread would.
    void Report(RASCONNSTATE state, DWORD error = SUCCESS, std::size_t index = static_cast<std::size_t>(-1)) const
    {
        const DialCall& dial = index < dials.size() ? dials[index] : dials.back();
        dial.notifier(WM_RASDIALEVENT, state, error);
    }

    DWORD HangUp(HRASCONN handle) override
    {
        hangUps.push_back(handle);
        std::erase_if(connections, [handle](const ActiveConnectionRecord& c) { return c.handle == handle; });
        return SUCCESS;
    }

    DWORD GetProjectionInfo(HRASCONN handle, RASPROJECTION projection, void* record, DWORD* byteCount) override
    {
        auto* ip = static_cast<RASPPPIPA*>(record);
        projectionCalls.push_back({handle, projection, ip->dwSize, *byteCount});
        if (projectionResult != SUCCESS)
            return projectionResult;
        const auto known = addresses.find(handle);
        if (known == addresses.end())
            return ERROR_BAD_HANDLE;
        ip->dwError = projectionError;
        std::memset(ip->szIpAddress, 0, sizeof ip->szIpAddress);
        std::memcpy(ip->szIpAddress, known->second.data(), std::min(known->second.size(), sizeof ip->szIpAddress));
        return SUCCESS;
    }

    DWORD GetErrorString(UINT error, char* buffer, DWORD bufferSize) override
    {
        errorStringCalls.push_back({error, bufferSize});
        const auto known = errorTexts.find(error);
        if (known == errorTexts.end())
            return ERROR_BAD_PARAMETER;
        if (known->second.size() + 1 > bufferSize)
            return kInsufficientBuffer;
        std::memcpy(buffer, known->second.c_str(), known->second.size() + 1);
        return SUCCESS;
    }

    static constexpr DWORD kInsufficientBuffer = 122;
};

}  // namespace ras::testing
