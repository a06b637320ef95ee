#pragma once
// The application's profile: a profile plus the buffers that come with a profile image and the device.
//
// The trailing section of an image of main version 4 or later is kept here as loaded; the two renaming
// calibration buffers hold the bytes read from the device (renaming groups and select renaming groups).

#include "Common/MemFile.h"
#include "Common/profile/ZPProfile.h"

class ZKProfilePlus : public ZPProfile {
public:
    // Empties the profile and its buffers.
    void Reset();
    // Takes every object, slot and buffer of `source`, which is left empty.
    void TakeFrom(ZKProfilePlus& source);

    MemFile& Tail() { return tail_; }
    const MemFile& Tail() const { return tail_; }
    MemFile& RenamingCal() { return renamingCal_; }
    MemFile& SelectRenamingCal() { return selectRenamingCal_; }

private:
    MemFile tail_;
    MemFile renamingCal_;
    MemFile selectRenamingCal_;
};
