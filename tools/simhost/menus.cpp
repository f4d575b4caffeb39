// Menus: the simulator's Plugins menu, the menus plugins create under it or
// in the menu bar, and choosing an item as a click would.
#include "XPLMMenus.h"
#include "handle_arena.h"
#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace {

struct MenuRecord {
    std::string name;
    bool live = false;
    XPLMMenuHandler_f handler = nullptr;
    void* menuRef = nullptr;
    std::vector<MenuItem> items;
    MenuRecord* parent = nullptr;
    int parentItem = -1;
};

detail::HandleArena<MenuRecord>& Menus() {
    static detail::HandleArena<MenuRecord> arena;
    return arena;
}

MenuRecord& PluginsMenuRecord() {
    static MenuRecord& plugins = []() -> MenuRecord& {
        MenuRecord& record = Menus().Add();
        record.name = "Plugins";
        record.live = true;
        return record;
    }();
    return plugins;
}

MenuRecord* LiveMenu(XPLMMenuID menu) {
    MenuRecord* record = Menus().Find(menu);
    return record != nullptr && record->live ? record : nullptr;
}

// Destroys a menu with its submenus and detaches it from its parent's item.
void DestroyMenu(MenuRecord& menu) {
    for (MenuItem& item : menu.items) {
        if (MenuRecord* submenu = LiveMenu(item.submenu)) DestroyMenu(*submenu);
        item.submenu = nullptr;
    }
    menu.live = false;
    MenuRecord* parent = menu.parent;
    if (parent != nullptr && menu.parentItem < static_cast<int>(parent->items.size()) &&
        parent->items[menu.parentItem].submenu == &menu) {
        parent->items[menu.parentItem].submenu = nullptr;
    }
}

// The submenu under the Plugins menu whose item (or own name) is menuName.
MenuRecord* FindPluginSubmenu(const std::string& menuName) {
    for (const MenuItem& item : PluginsMenuRecord().items) {
        MenuRecord* submenu = LiveMenu(item.submenu);
        if (submenu != nullptr && (item.name == menuName || submenu->name == menuName))
            return submenu;
    }
    return nullptr;
}

}  // namespace

namespace detail {

void ResetMenus() {
    MenuRecord& plugins = PluginsMenuRecord();
    for (MenuRecord& menu : Menus().Records()) {
        if (&menu != &plugins) menu.live = false;
    }
    plugins.items.clear();
}

}  // namespace detail

XPLMMenuID PluginsMenu() {
    return &PluginsMenuRecord();
}

std::string MenuName(XPLMMenuID menu) {
    MenuRecord* record = LiveMenu(menu);
    return record != nullptr ? record->name : std::string();
}

std::vector<MenuItem> MenuItems(XPLMMenuID menu) {
    MenuRecord* record = LiveMenu(menu);
    return record != nullptr ? record->items : std::vector<MenuItem>();
}

bool ChooseMenuItem(const std::string& menuName, const std::string& itemName) {
    MenuRecord* menu = FindPluginSubmenu(menuName);
    if (menu == nullptr) return false;
    for (int i = 0; i < static_cast<int>(menu->items.size()); ++i) {
        if (menu->items[i].name == itemName) return ChooseMenuItemAt(menu, i);
    }
    return false;
}

bool ChooseMenuItemAt(XPLMMenuID menu, int index) {
    MenuRecord* record = LiveMenu(menu);
    if (record == nullptr || record->handler == nullptr || index < 0 ||
        index >= static_cast<int>(record->items.size())) {
        return false;
    }
    // A disabled plugin's menu handler is not called: the click does nothing.
    if (!PluginCallable()) return false;
    record->handler(record->menuRef, record->items[index].itemRef);
    return true;
}

}  // namespace simhost

using simhost::MenuRecord;

XPLMMenuID XPLMFindPluginsMenu(void) {
    return simhost::PluginsMenu();
}

// A submenu replaces one the item had; a menu without a parent goes into the
// menu bar. Null when the parent or its item does not exist.
XPLMMenuID XPLMCreateMenu(const char* inName, XPLMMenuID inParentMenu, int inParentItem,
                          XPLMMenuHandler_f inHandler, void* inMenuRef) {
    MenuRecord* parent = nullptr;
    if (inParentMenu != nullptr) {
        parent = simhost::LiveMenu(inParentMenu);
        if (parent == nullptr || inParentItem < 0 ||
            inParentItem >= static_cast<int>(parent->items.size())) {
            return nullptr;
        }
        if (MenuRecord* old = simhost::LiveMenu(parent->items[inParentItem].submenu))
            simhost::DestroyMenu(*old);
    }
    MenuRecord& menu = simhost::Menus().Add();
    menu.name = inName != nullptr ? inName : "";
    menu.live = true;
    menu.handler = inHandler;
    menu.menuRef = inMenuRef;
    menu.parent = parent;
    menu.parentItem = parent != nullptr ? inParentItem : -1;
    if (parent != nullptr) parent->items[inParentItem].submenu = &menu;
    return &menu;
}

void XPLMDestroyMenu(XPLMMenuID inMenuID) {
    MenuRecord* menu = simhost::LiveMenu(inMenuID);
    if (menu != nullptr && menu != &simhost::PluginsMenuRecord()) simhost::DestroyMenu(*menu);
}

// A negative index reports a menu that does not exist, as the published API
// does.
int XPLMAppendMenuItem(XPLMMenuID inMenu, const char* inItemName, void* inItemRef,
                       int inDeprecatedAndIgnored) {
    (void)inDeprecatedAndIgnored;
    MenuRecord* menu = simhost::LiveMenu(inMenu);
    if (menu == nullptr) return -1;
    simhost::MenuItem item;
    item.name = inItemName != nullptr ? inItemName : "";
    item.itemRef = inItemRef;
    menu->items.push_back(item);
    return static_cast<int>(menu->items.size()) - 1;
}
