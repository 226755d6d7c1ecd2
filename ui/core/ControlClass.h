// The identity of a control class: the class name it reports, and the
// interface names it answers to, each class its own and then its base
// class's.
#pragma once

#include <cstring>

namespace SkinUI {

// GetInterface of a class with one name of its own: that name gives the
// object, any other is the base class's to answer.
template <typename Base, typename Self>
void* InterfaceOf(Self* self, const char* name, const char* own) {
    if (std::strcmp(name, own) == 0)
        return self;
    return self->Base::GetInterface(name);
}

}  // namespace SkinUI

// Declares GetClass and GetInterface inside a control class with one
// interface name of its own.
#define SKINUI_CONTROL_CLASS(Base, className, interfaceName)           \
    const char* GetClass() const override {                            \
        return className;                                              \
    }                                                                  \
    void* GetInterface(const char* name) override {                    \
        return ::SkinUI::InterfaceOf<Base>(this, name, interfaceName); \
    }
