// Children in a grid of equal cells, row by row: a fixed column count, or
// as many columns of "itemsize" as fit the width.
#pragma once

#include "ui/core/Container.h"
#include "ui/core/ControlClass.h"

namespace SkinUI {

class CTileLayoutUI : public CContainerUI {
public:
    SKINUI_CONTROL_CLASS(CContainerUI, "TileLayoutUI", "TileLayout")

    int GetColumns() const { return m_nColumns; }
    void SetColumns(int columns);
    SIZE GetItemSize() const { return m_szItem; }
    void SetItemSize(SIZE size);

    void SetAttribute(const char* name, const char* value) override;

protected:
    Arrangement GetArrangement() const override;

private:
    int m_nColumns = 1;
    SIZE m_szItem = {0, 0};
};

}  // namespace SkinUI
