#include "ui/MenuCommands.h"

namespace mr420 {

bool MenuCommandTable::add(MenuCommands& feature) {
    bool alone = true;
    for (int id : feature.commands()) alone &= owners_.emplace(id, &feature).second;
    return alone;
}

MenuCommands* MenuCommandTable::owner(int menuId) const {
    auto it = owners_.find(menuId);
    return it == owners_.end() ? nullptr : it->second;
}

}  // namespace mr420
