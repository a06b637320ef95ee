#pragma once
// A row of a file or folder chooser: a 16 x 16 icon of its kind, then its label 30 pixels further right
// than a menu item's. The kind travels in the item's extra word. Folders that may not be read are disabled:
// they are shown but cannot be chosen.

#include "Gui/ZKFileBrowser.h"
#include "Gui/ZKPopupMenuItem.h"

class ZKBitmap;

class ZKPopupMenuFileItem : public ZKPopupMenuItem {
public:
    static constexpr int kIconSize = 16;
    static constexpr ZKRGB kTransparent{255, 0, 255};

    explicit ZKPopupMenuFileItem(const ZKFileEntry& entry);

    const ZKFileEntry& Entry() const { return entry_; }
    ZKFileKind Kind() const { return entry_.kind; }

    void Draw(ZKDC& dc, const zk::Rect& rect, Look look) const override;

    // The icon of a kind, drawn on magenta, the colour that is left out when it is drawn.
    static void PaintIcon(ZKBitmap& icon, ZKFileKind kind);

protected:
    int TextIndent() const override { return 4 + 30; }

private:
    ZKFileEntry entry_;
};
