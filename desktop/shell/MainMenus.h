#pragma once

class KeyedPopupMenu;

// The main window's nine menus in one keyed menu: File, Edit, View, Tools and
// Help for the bar, then the line-state, tray, call-list and details-pane
// pop-ups (hidden roots). Captions come from the loaded translation.
void BuildMenus(KeyedPopupMenu& m_cMenu);

// Enables or disables the Edit menu's five call commands together.
void MakeEditMenuEna(KeyedPopupMenu& m_cMenu, bool bEna);
