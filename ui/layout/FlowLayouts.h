// The flow layouts: children stacked top to bottom or left to right.
#pragma once

#include "ui/core/Container.h"

namespace SkinUI {

// Fixed sizes stay, the other children share the rest, each within its
// minimum and maximum.
class CFlowLayoutUI : public CContainerUI {
protected:
    void LayoutFlow(bool vertical);
};

class CVerticalLayoutUI : public CFlowLayoutUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
};

class CHorizontalLayoutUI : public CFlowLayoutUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
};

}  // namespace SkinUI
