#include "ui/layout/FlowLayouts.h"

#include <cstring>

namespace SkinUI {

const char* CVerticalLayoutUI::GetClass() const {
    return "VerticalLayoutUI";
}

void* CVerticalLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "VerticalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

Arrangement CVerticalLayoutUI::GetArrangement() const {
    Arrangement arrangement;
    arrangement.kind = Arrangement::Kind::Vertical;
    return arrangement;
}

const char* CHorizontalLayoutUI::GetClass() const {
    return "HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "HorizontalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

Arrangement CHorizontalLayoutUI::GetArrangement() const {
    Arrangement arrangement;
    arrangement.kind = Arrangement::Kind::Horizontal;
    return arrangement;
}

}  // namespace SkinUI
