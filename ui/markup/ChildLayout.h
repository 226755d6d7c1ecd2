// A container whose children come from another markup file, named by its
// "xmlfile" attribute: a file under the resource path or in the package,
// markup text, or a resource number, as for "Include".
#pragma once

#include "ui/core/ControlClass.h"
#include "ui/layout/FlowLayouts.h"

namespace SkinUI {

class IDialogBuilderCallback;

class CChildLayoutUI : public CVerticalLayoutUI {
public:
    SKINUI_CONTROL_CLASS(CVerticalLayoutUI, "ChildLayoutUI", "ChildLayout")

    // Replaces the children with the ones the file builds; false when it
    // cannot be loaded or parsed, or would include itself.
    bool SetChildLayoutXML(const char* source);
    std::string GetChildLayoutXML() const { return m_sXmlFile; }
    // Makes the file's controls of unknown tags (the builder passes its own).
    void SetBuilderCallback(IDialogBuilderCallback* callback) { m_pCallback = callback; }

    void SetAttribute(const char* name, const char* value) override;

private:
    std::string m_sXmlFile;
    IDialogBuilderCallback* m_pCallback = nullptr;
};

}  // namespace SkinUI
