#include "ui/layout/FlowLayouts.h"

#include <cstring>

namespace SkinUI {

const char* CFlowLayoutUI::GetClass() const {
    return m_bVertical ? "VerticalLayoutUI" : "HorizontalLayoutUI";
}

void* CFlowLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, m_bVertical ? "VerticalLayout" : "HorizontalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

Arrangement CFlowLayoutUI::GetArrangement() const {
    Arrangement arrangement;
    arrangement.kind = m_bVertical ? Arrangement::Kind::Vertical : Arrangement::Kind::Horizontal;
    return arrangement;
}

}  // namespace SkinUI
