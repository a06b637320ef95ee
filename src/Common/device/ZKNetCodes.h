#pragma once
// Results of the server and device operations: COM-style HRESULTs (negative = failure) and the 16-bit
// result codes of the device calls. Shared by zelknetserver and its clients.

#include <cstdint>

namespace zknet {

constexpr std::int32_t Hr(std::uint32_t bits) {
    return static_cast<std::int32_t>(bits);
}

constexpr std::int32_t kS_OK = 0;
constexpr std::int32_t kE_NOTIMPL = Hr(0x80004001);        // the server's version has no such operation
constexpr std::int32_t kE_FAIL = Hr(0x80004005);           // a failure made on purpose (simulation)
constexpr std::int32_t kE_HANDLE = Hr(0x80070006);         // unknown or closed device handle
constexpr std::int32_t kE_INVALIDARG = Hr(0x80070057);     // malformed request
constexpr std::int32_t kE_NOT_CONNECTED = Hr(0x8007048F);  // the device is not reachable (unplugged)
constexpr std::int32_t kE_NOT_FOUND = Hr(0x80070490);      // no such device, profile or session
constexpr std::int32_t kE_TIMEOUT = Hr(0x800705B4);        // client side: no answer before the deadline
constexpr std::int32_t kE_UNAVAILABLE = Hr(0x800706BA);    // client side: the server cannot be reached
constexpr std::int32_t kE_UNEXPECTED = Hr(0x8000FFFF);     // client side: a reply of the wrong shape

constexpr bool Failed(std::int32_t hresult) {
    return hresult < 0;
}

// Device result codes.
constexpr std::uint16_t kResultOk = 0;
constexpr std::uint16_t kResultWrongKey = 13;  // the identity key does not match the device
constexpr std::uint16_t kResultNoData = 46;    // the data is not available (outside the store, ...)

// Limits of single requests.
constexpr std::uint32_t kMaxErrorIds = 25;
constexpr std::uint32_t kMaxMonitorItems = 256;
constexpr std::uint32_t kMaxItemRights = 4096;
constexpr std::uint32_t kMaxCalibrationPiece = 512;
constexpr std::uint32_t kMaxStoreRead = 4u << 20;  // the largest profile image
constexpr std::uint32_t kFeatureCount = 64;
// gRPC message size limit, both directions, both sides: a whole store read plus room for the envelope.
constexpr int kMaxMessageBytes = (4 << 20) + 65536;

}  // namespace zknet
