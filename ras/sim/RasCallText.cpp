#include "ras/sim/RasCallText.h"

#include "ras/FieldText.h"

#include <cstdio>
#include <cstring>

namespace ras::sim {
namespace {

std::string PointerState(bool isNull)
{
    return isNull ? "null" : "set";
}

std::string StateName(RASCONNSTATE state)
{
    switch (state) {
    case 0:
        return " (open port)";
    case 2:
        return " (connect device)";
    case 5:
        return " (authenticate)";
    case 14:
        return " (authenticated)";
    case RASCS_Connected:
        return " (connected)";
    case RASCS_Disconnected:
        return " (disconnected)";
    default:
        return "";
    }
}

std::string Counts(const RasCallRecord& r)
{
    std::string text;
    text += "dwSize=" + (r.recordsNull ? std::string("-") : std::to_string(r.recordSize));
    text += ", bytes " + (r.byteCountNull ? std::string("null")
                                          : std::to_string(r.byteCountIn) + "->" + std::to_string(r.byteCountOut));
    text += ", count " +
            (r.countNull ? std::string("null") : std::to_string(r.countIn) + "->" + std::to_string(r.countOut));
    return text;
}

std::string DescribeDial(const RasCallRecord& r)
{
    std::string text =
        "RasDialA(extensions=" + PointerState(r.extensionsNull) + ", phonebook=" + PointerState(r.phonebookNull);
    if (r.recordsNull) {
        text += ", params=null";
    } else {
        text += ", dwSize=" + std::to_string(r.recordSize);
    }
    if (r.params) {
        const RASDIALPARAMSA& p = *r.params;
        text += ", entry " + Quoted(FieldText(p.szEntryName, sizeof p.szEntryName));
        text += ", user " + Quoted(FieldText(p.szUserName, sizeof p.szUserName));
        text += ", password " + std::to_string(FieldText(p.szPassword, sizeof p.szPassword).size()) + " bytes";
        text += ", phone " + Quoted(FieldText(p.szPhoneNumber, sizeof p.szPhoneNumber));
        text += ", callback " + Quoted(FieldText(p.szCallbackNumber, sizeof p.szCallbackNumber));
        text += ", domain " + Quoted(FieldText(p.szDomain, sizeof p.szDomain));
    }
    text += ", notifier type " + std::to_string(r.notifierType) + " " + PointerState(r.notifier == nullptr);
    text += ", handle " +
            (r.handleCellNull ? std::string("cell null") : HandleText(r.handleIn) + "->" + HandleText(r.handleOut));
    return text + ") = " + std::to_string(r.result);
}

}  // namespace

std::string TimeStamp(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(when.time_since_epoch()).count();
    const long long millisOfDay = ((sinceEpoch % 86'400'000) + 86'400'000) % 86'400'000;
    char text[16];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", millisOfDay / 3'600'000, millisOfDay / 60'000 % 60,
                  millisOfDay / 1000 % 60, millisOfDay % 1000);
    return text;
}

std::string Quoted(std::string_view bytes)
{
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string HandleText(HRASCONN handle)
{
    if (!handle)
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
    return text;
}

std::string DescribeCall(const RasCallRecord& r)
{
    switch (r.kind) {
    case RasCallKind::EnumEntries: {
        std::string text = "RasEnumEntriesA(reserved=" + PointerState(r.reservedNull) +
                           ", phonebook=" + PointerState(r.phonebookNull) + ", " + Counts(r) +
                           ") = " + std::to_string(r.result);
        for (std::size_t i = 0; i < r.namesOut.size(); ++i)
            text += (i == 0 ? ": " : ", ") + Quoted(r.namesOut[i]);
        return text;
    }
    case RasCallKind::EnumConnections: {
        std::string text = "RasEnumConnectionsA(" + Counts(r) + ") = " + std::to_string(r.result);
        for (std::size_t i = 0; i < r.namesOut.size(); ++i)
            text += (i == 0 ? ": " : ", ") + Quoted(r.namesOut[i]) + " " + HandleText(r.handlesOut[i]);
        return text;
    }
    case RasCallKind::Dial:
        return DescribeDial(r);
    case RasCallKind::HangUp:
        return "RasHangUpA(" + HandleText(r.handle) + (r.entry.empty() ? "" : " " + Quoted(r.entry)) +
               ") = " + std::to_string(r.result);
    case RasCallKind::ProjectionInfo: {
        char projection[16];
        std::snprintf(projection, sizeof projection, "0x%X", static_cast<unsigned>(r.projection));
        std::string text = "RasGetProjectionInfoA(" + HandleText(r.handle) +
                           (r.entry.empty() ? "" : " " + Quoted(r.entry)) + ", projection " + projection + ", ";
        text += "dwSize=" + (r.recordsNull ? std::string("-") : std::to_string(r.recordSize));
        text += ", bytes " + (r.byteCountNull ? std::string("null")
                                              : std::to_string(r.byteCountIn) + "->" + std::to_string(r.byteCountOut));
        text += ") = " + std::to_string(r.result);
        if (r.result == SUCCESS)
            text += ": address " + r.address + ", server " + r.serverAddress;
        return text;
    }
    case RasCallKind::ErrorString: {
        std::string text = "RasGetErrorStringA(" + std::to_string(r.error) + ", buffer " + PointerState(r.recordsNull) +
                           ", size " + std::to_string(r.byteCountIn) + ") = " + std::to_string(r.result);
        if (r.result == SUCCESS)
            text += ": " + Quoted(r.text);
        return text;
    }
    case RasCallKind::Report: {
        char message[16];
        std::snprintf(message, sizeof message, "0x%X", static_cast<unsigned>(r.message));
        std::string text = "report " + HandleText(r.handle) + " " + Quoted(r.entry) + ": message " + message +
                           ", state " + std::to_string(r.state) + StateName(r.state) + ", error " +
                           std::to_string(r.error);
        if (!r.address.empty())
            text += ", address " + r.address;
        if (!r.notifier)
            text += " (no notifier)";
        if (r.afterHangUp)
            text += " (after its hang-up)";
        return text;
    }
    }
    return "unknown call";
}

}  // namespace ras::sim
