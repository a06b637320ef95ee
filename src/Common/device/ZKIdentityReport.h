#pragma once
// The identity report that the main window appends to its log each time a device comes back in sync: who
// the device is, its code versions, box state, reset causes and programming times, one rich-text row per
// line ("$cg" green, "$t" between label and value). The first row is empty.

#include <optional>
#include <string>
#include <vector>

#include "Common/device/ZKDeviceRecords.h"

// A time of the identity (seconds since 1970-01-01 UTC) as the standard asctime text in local time, with its
// trailing line feed; "UNKNOWN\n" when the conversion fails.
std::string ZKIdentityTimeText(std::uint32_t seconds);

// The rows of the report, line feeds already removed: 16 rows, and one more for each extended time that is
// not 0. `identityName` is the server's name for the root id; without one the number is shown.
std::vector<std::string> ZKIdentityReportRows(const ZKDeviceIdentity& identity,
                                              const std::optional<std::string>& identityName);
