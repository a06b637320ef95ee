#include "Gui/ZKPopupMenuFileItem.h"

#include "Gui/ZKDC.h"

namespace {

using Kind = ZKFileKind;

constexpr ZKRGB kOutline{64, 64, 64};
constexpr ZKRGB kFolderFace{240, 200, 80};
constexpr ZKRGB kLockedFace{170, 170, 170};
constexpr ZKRGB kPaper{250, 250, 250};
constexpr ZKRGB kDrive{120, 140, 160};
constexpr ZKRGB kMark{40, 110, 200};
constexpr ZKRGB kCreate{40, 160, 60};
constexpr ZKRGB kLock{200, 40, 40};

void Folder(ZKDC& dc, ZKRGB face) {
    dc.FillRect({1, 2, 7, 5}, face);
    dc.FrameRect({1, 2, 7, 5}, kOutline);
    dc.FillRect({1, 4, 15, 14}, face);
    dc.FrameRect({1, 4, 15, 14}, kOutline);
}

void Page(ZKDC& dc) {
    dc.FillRect({3, 1, 13, 15}, kPaper);
    dc.FrameRect({3, 1, 13, 15}, kOutline);
    for (int y = 4; y < 13; y += 3)
        dc.Line({5, y}, {11, y}, kOutline);
}

}  // namespace

ZKPopupMenuFileItem::ZKPopupMenuFileItem(const ZKFileEntry& entry)
    : ZKPopupMenuItem("", entry.label, 0, entry.kind != Kind::LockedFolder && entry.kind != Kind::None,
                      std::nullopt, static_cast<std::uint32_t>(entry.kind)),
      entry_(entry) {}

void ZKPopupMenuFileItem::PaintIcon(ZKBitmap& icon, ZKFileKind kind) {
    ZKDC dc(icon);
    dc.FillRect({0, 0, kIconSize, kIconSize}, kTransparent);
    switch (kind) {
        case Kind::Folder:
        case Kind::Parent:
        case Kind::WorkingDirectory:
        case Kind::Desktop:
            Folder(dc, kFolderFace);
            if (kind == Kind::Parent) dc.Line({8, 12}, {8, 6}, kOutline, 2);
            if (kind == Kind::Desktop) dc.FillRect({5, 7, 11, 11}, kMark);
            if (kind == Kind::WorkingDirectory) dc.FillRect({5, 7, 11, 11}, kCreate);
            break;
        case Kind::LockedFolder:
            Folder(dc, kLockedFace);
            dc.FillRect({6, 8, 11, 12}, kLock);
            break;
        case Kind::Select:
            Folder(dc, kFolderFace);
            dc.Line({4, 9}, {7, 12}, kMark, 2);
            dc.Line({7, 12}, {13, 6}, kMark, 2);
            break;
        case Kind::Create:
            Folder(dc, kFolderFace);
            dc.FillRect({7, 6, 9, 13}, kCreate);
            dc.FillRect({4, 9, 12, 11}, kCreate);
            break;
        case Kind::Drive:
            dc.FillRect({1, 5, 15, 12}, kDrive);
            dc.FrameRect({1, 5, 15, 12}, kOutline);
            dc.FillRect({11, 8, 13, 10}, kCreate);
            break;
        case Kind::File:
        case Kind::RecentFiles:
            Page(dc);
            if (kind == Kind::RecentFiles) dc.Ellipse({7, 7, 15, 15}, kPaper, kMark);
            break;
        case Kind::Search:
            dc.Ellipse({1, 1, 11, 11}, kPaper, kOutline);
            dc.Line({9, 9}, {15, 15}, kOutline, 2);
            break;
        case Kind::None:
            break;
    }
}

void ZKPopupMenuFileItem::Draw(ZKDC& dc, const zk::Rect& rect, Look look) const {
    ZKPopupMenuItem::Draw(dc, rect, look);
    if (Kind() == Kind::None) return;
    ZKBitmap icon(kIconSize, kIconSize);
    PaintIcon(icon, Kind());
    dc.DrawBitmap(icon, {rect.left + 4, rect.top + (rect.Height() - kIconSize) / 2}, kTransparent);
}
