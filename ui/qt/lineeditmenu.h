#pragma once

#include <functional>

class QMenu;
class QObject;

// QLineEdit's standard context menu.
namespace lineeditmenu {

// Makes the menu's Paste entry call `paste`, for as long as `receiver` lives, instead of
// QLineEdit's own paste; warns where the menu has no such entry.
void takeOverPaste(QMenu *menu, QObject *receiver, std::function<void()> paste);

} // namespace lineeditmenu
