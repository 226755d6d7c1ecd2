// One table per control class maps the skin's attribute names to setters, in
// place of a chain of string comparisons. A class looks in its own table and
// hands any other name to its base class, so the tables stack like the
// classes do.
#pragma once

#include <cstddef>
#include <cstring>

namespace SkinUI {

template <typename T>
struct AttributeSetter {
    const char* name;
    void (*apply)(T& target, const char* value);
};

// Runs the setter the table has for name; false when it has none.
template <typename T, size_t N>
bool ApplyAttribute(const AttributeSetter<T> (&table)[N], T& target, const char* name,
                    const char* value) {
    for (const AttributeSetter<T>& setter : table) {
        if (std::strcmp(setter.name, name) == 0) {
            setter.apply(target, value);
            return true;
        }
    }
    return false;
}

}  // namespace SkinUI
