// The error object a failed COM call posted on the calling thread
// (GetErrorInfo), for the error texts of the database result ranges.
#include "util/platform/Platform.h"

#include "util/platform/windows/WindowsApi.h"

#include <oledb.h>

namespace ostrel::platform {

namespace {

// The interface identifiers, spelled out here so that no import library
// needs to provide them.
const IID kErrorRecordsId = {0x0c733a67, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
const IID kSqlErrorInfoId = {0x0c733a74, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};

// Releases a COM object or frees a string when the scope ends.
template <typename Interface>
struct Held {
    Interface* object = nullptr;
    ~Held() {
        if (object != nullptr) {
            object->Release();
        }
    }
};
struct HeldString {
    BSTR text = nullptr;
    ~HeldString() { SysFreeString(text); }
};

// The objects' wide texts in the ANSI code page, the code page of the
// system's message texts they are shown beside.
std::string narrow(BSTR text) {
    const int length = text != nullptr ? static_cast<int>(SysStringLen(text)) : 0;
    if (length == 0) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string();
    }
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

LCID userLocale() {
    static const LCID locale = GetUserDefaultLCID();
    return locale;
}

// One record of a database error; false when any of its texts cannot be
// read (the record is then left out).
bool readRecord(IErrorRecords& records, ULONG index, PostedErrorRecord& record) {
    Held<IErrorInfo> information;
    HeldString description;
    HeldString source;
    ERRORINFO basic {};
    if (FAILED(records.GetErrorInfo(index, userLocale(), &information.object)) || information.object == nullptr ||
        FAILED(information.object->GetDescription(&description.text)) ||
        FAILED(information.object->GetSource(&source.text)) || FAILED(records.GetBasicErrorInfo(index, &basic))) {
        return false;
    }
    record.result = static_cast<std::uint32_t>(basic.hrError);
    record.description = narrow(description.text);
    record.source = narrow(source.text);
    Held<IUnknown> custom;
    if (SUCCEEDED(records.GetCustomErrorObject(index, kSqlErrorInfoId, &custom.object)) && custom.object != nullptr) {
        Held<ISQLErrorInfo> sql;
        HeldString state;
        LONG nativeError = 0;
        if (SUCCEEDED(custom.object->QueryInterface(kSqlErrorInfoId, reinterpret_cast<void**>(&sql.object))) &&
            sql.object != nullptr && SUCCEEDED(sql.object->GetSQLInfo(&state.text, &nativeError))) {
            record.hasSqlState = true;
            record.sqlState = narrow(state.text);
        }
    }
    return true;
}

}  // namespace

PostedErrorInfo takePostedErrorInfo() {
    PostedErrorInfo posted;
    Held<IErrorInfo> information;
    if (GetErrorInfo(0, &information.object) != S_OK || information.object == nullptr) {
        return posted;
    }
    Held<IErrorRecords> records;
    if (FAILED(information.object->QueryInterface(kErrorRecordsId, reinterpret_cast<void**>(&records.object))) ||
        records.object == nullptr) {
        HeldString description;
        HeldString source;
        information.object->GetDescription(&description.text);
        information.object->GetSource(&source.text);
        posted.kind = PostedErrorInfo::Kind::Single;
        posted.description = narrow(description.text);
        posted.source = narrow(source.text);
        return posted;
    }
    posted.kind = PostedErrorInfo::Kind::Records;
    ULONG count = 0;
    if (FAILED(records.object->GetRecordCount(&count))) {
        return posted;
    }
    for (ULONG index = 0; index < count; ++index) {
        PostedErrorRecord record;
        if (readRecord(*records.object, index, record)) {
            posted.records.push_back(std::move(record));
        }
    }
    return posted;
}

}  // namespace ostrel::platform
