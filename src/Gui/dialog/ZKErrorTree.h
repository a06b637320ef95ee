#pragma once
// The error state of a device as a tree, named through its profile's error databases: one line per group
// of the local database, under it one line per error source, under each source one line per active or
// stored cause (ZKErrorItem colours). A source whose "error present" cause (the global database's
// reference cause) is active is left out; bits beyond the group's causes show as "Unknown Cause bit%d".
// Sources with something active or stored, and their groups, are opened, so that their causes show at once.

#include "Gui/ZKTreeItem.h"

class ZKDevice;
class ZPProfile;

class ZKErrorTree {
public:
    enum class Result {
        Built,
        NoDevice,     // no device: nothing built
        NoDatabases,  // the profile lacks its global or its local error database: nothing built
        ReadFailed,   // the device did not answer a read of the states: nothing built
    };

    // Replaces `items` with the tree of `device`'s error states. The states of all sources are read in
    // batches of 25, in the local database's order.
    static Result Build(ZKDevice* device, const ZPProfile& profile, ZKTreeItems& items);
};
