// The flow layouts: children stacked top to bottom or left to right. Fixed
// sizes stay, the other children share the rest, each within its minimum
// and maximum.
#pragma once

#include "ui/core/Container.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

protected:
    Arrangement GetArrangement() const override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

protected:
    Arrangement GetArrangement() const override;
};

}  // namespace SkinUI
