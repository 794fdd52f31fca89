#pragma once
// How the main window's menu reaches the program's features: each feature
// object names the menu entries it serves and runs them; the window looks an
// entry up in a MenuCommandTable instead of knowing who does what. An entry
// nobody serves stays visible but disabled.

#include <map>
#include <optional>
#include <vector>

namespace mr420 {

class MenuCommands {
public:
    // The menu ids (menu_id in MenuTable.h) this feature serves.
    virtual std::vector<int> commands() const = 0;
    // Runs one of them; returns when its dialog or write has ended.
    virtual void run(int menuId) = 0;
    // For an entry shown with a check mark, whether it is on now; nothing
    // for a plain entry.
    virtual std::optional<bool> checked(int /*menuId*/) const { return std::nullopt; }

protected:
    ~MenuCommands() = default;
};

class MenuCommandTable {
public:
    // The features' entries join the table; an id a feature added before
    // already serves stays with that one (false then: a wiring fault).
    bool add(MenuCommands& feature);
    // Who serves a menu id, or nullptr.
    MenuCommands* owner(int menuId) const;
    bool serves(int menuId) const { return owner(menuId) != nullptr; }

private:
    std::map<int, MenuCommands*> owners_;
};

}  // namespace mr420
