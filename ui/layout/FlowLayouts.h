// The flow layouts: children stacked top to bottom or left to right. Fixed
// sizes stay, the other children share the rest, each within its minimum
// and maximum.
#pragma once

#include "ui/core/Container.h"

namespace SkinUI {

// The two flows differ only in their direction, which also names them.
class CFlowLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

protected:
    explicit CFlowLayoutUI(bool vertical) : m_bVertical(vertical) {}
    Arrangement GetArrangement() const override;

private:
    const bool m_bVertical;
};

class CVerticalLayoutUI : public CFlowLayoutUI {
public:
    CVerticalLayoutUI() : CFlowLayoutUI(true) {}
};

class CHorizontalLayoutUI : public CFlowLayoutUI {
public:
    CHorizontalLayoutUI() : CFlowLayoutUI(false) {}
};

}  // namespace SkinUI
