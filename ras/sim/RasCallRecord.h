// One call that a program made to the simulated remote-access service, or
// one dial-progress report that the service delivered: what was passed,
// what came back, and when. Tests read these to check exactly what the
// program handed to the service.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ras/Ras.h"

namespace ras::sim {

enum class RasCallKind {
    EnumEntries,      // RasEnumEntriesA
    EnumConnections,  // RasEnumConnectionsA
    Dial,             // RasDialA
    HangUp,           // RasHangUpA
    ProjectionInfo,   // RasGetProjectionInfoA
    ErrorString,      // RasGetErrorStringA
    Report,           // a call of the dial's notifier, made by the service
};

struct RasCallRecord {
    using Clock = std::chrono::steady_clock;

    // Order in which the records were completed: a call is recorded when it
    // returns, a report once the notifier has returned.
    std::uint64_t sequence = 0;
    RasCallKind kind = RasCallKind::EnumEntries;
    Clock::time_point calledAt{};    // a report: when it was started
    Clock::time_point returnedAt{};  // a report: when the notifier returned
    DWORD result = SUCCESS;          // a report: unused (0)

    // Null-ness of the pointer arguments.
    bool reservedNull = true;    // EnumEntries
    bool phonebookNull = true;   // EnumEntries, Dial
    bool extensionsNull = true;  // Dial
    // EnumEntries, EnumConnections, ProjectionInfo: the record buffer; Dial:
    // the parameters; ErrorString: the text buffer.
    bool recordsNull = false;
    bool byteCountNull = false;   // EnumEntries, EnumConnections, ProjectionInfo
    bool countNull = false;       // EnumEntries, EnumConnections
    bool handleCellNull = false;  // Dial

    // EnumEntries, EnumConnections, Dial, ProjectionInfo: dwSize of the
    // (first) record passed.
    DWORD recordSize = 0;
    // EnumEntries, EnumConnections, ProjectionInfo: the byte count and the
    // count cell, before and after the call. ErrorString: the buffer's size,
    // in `byteCountIn`.
    DWORD byteCountIn = 0;
    DWORD byteCountOut = 0;
    DWORD countIn = 0;
    DWORD countOut = 0;
    // EnumEntries: the names written. EnumConnections: the entry names of the
    // records written, with their handles in `handlesOut`.
    std::vector<std::string> namesOut;
    std::vector<HRASCONN> handlesOut;

    // Dial: a copy of the parameter record, when its dwSize was the known one.
    std::optional<RASDIALPARAMSA> params;
    DWORD notifierType = 0;
    RASDIALFUNC notifier = nullptr;

    // Dial: the handle cell before and after the call. HangUp: the handle
    // passed, in `handle`. Report: the dial's handle, in `handle`.
    // ProjectionInfo: the connection asked about, in `handle`.
    HRASCONN handleIn = nullptr;
    HRASCONN handleOut = nullptr;
    HRASCONN handle = nullptr;

    // Dial, HangUp, Report, ProjectionInfo: the entry concerned (empty when
    // unknown).
    std::string entry;

    // Report: the message, the state and the error code passed to the
    // notifier, and the connection's address once it has connected.
    // ErrorString: the code asked about, in `error`. ProjectionInfo: the
    // addresses written, when the call succeeded.
    UINT message = 0;
    RASCONNSTATE state = 0;
    DWORD error = SUCCESS;
    std::string address;
    std::string serverAddress;  // ProjectionInfo

    // ProjectionInfo: the projection asked for.
    RASPROJECTION projection = 0;
    // ErrorString: the text written, when the call succeeded.
    std::string text;
    // Report: delivered after the program had hung the dial up.
    bool afterHangUp = false;
};

}  // namespace ras::sim
