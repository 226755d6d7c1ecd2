#include "ui/layout/TileLayout.h"

#include <algorithm>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/RectAttributes.h"

namespace SkinUI {

void CTileLayoutUI::SetColumns(int columns) {
    m_nColumns = std::max(1, columns);
    NeedUpdate();
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    m_szItem = SIZE{std::max<LONG>(0, size.cx), std::max<LONG>(0, size.cy)};
    NeedUpdate();
}

Arrangement CTileLayoutUI::GetArrangement() const {
    return Arrangement{Arrangement::Kind::Tile, m_nColumns,
                       LayoutSize{static_cast<int>(m_szItem.cx), static_cast<int>(m_szItem.cy)}};
}

void CTileLayoutUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CTileLayoutUI> kAttributes[] = {
        {"columns",
         [](CTileLayoutUI& c, const char* v) {
             // A count that is not a number, or below one, leaves the one there.
             int columns = 0;
             if (ParseInt(v, columns) && columns >= 1)
                 c.SetColumns(columns);
         }},
        {"itemsize", [](CTileLayoutUI& c, const char* v) { c.SetItemSize(ParseSize(v)); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CContainerUI::SetAttribute(name, value);
}

}  // namespace SkinUI
