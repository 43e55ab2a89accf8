#include "window/ControlTable.h"

#include <algorithm>

namespace kelvanter {

std::vector<const ControlSpec*> tabOrder(const MainWindowDesign& design) {
    std::vector<const ControlSpec*> order;
    for (const ControlSpec* control : design.controls()) {
        if (control->tabIndex >= 0)
            order.push_back(control);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

} // namespace kelvanter
