#include "Common/profile/ZKProfilePlus.h"

void ZKProfilePlus::Reset() {
    Clear();
    tail_ = MemFile();
    renamingCal_ = MemFile();
    selectRenamingCal_ = MemFile();
}

void ZKProfilePlus::TakeFrom(ZKProfilePlus& source) {
    ZPProfile::TakeFrom(source);
    tail_ = MemFile(source.tail_.TakeBytes());
    renamingCal_ = MemFile(source.renamingCal_.TakeBytes());
    selectRenamingCal_ = MemFile(source.selectRenamingCal_.TakeBytes());
}
