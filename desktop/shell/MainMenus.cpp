#include "desktop/shell/MainMenus.h"

#include "desktop/foundation/ImageList2.h"
#include "desktop/foundation/Translation.h"
#include "platform/widgets/KeyedPopupMenu.h"

namespace {

// One item of a menu: its key, the translation entry of its caption (0 for a
// separator) and its picture.
struct MenuItem {
    const char16_t* key;
    int entry;
    int icon;
};

struct Menu {
    const char16_t* rootKey;
    int rootEntry;
    bool onBar;
    std::initializer_list<MenuItem> items;
};

constexpr int kSeparator = 0;
constexpr int kPopupRootEntry = 75;
constexpr int kTrayExitKeyEntry = 347;

const Menu kMenus[] = {
    {u"mnuFileTop", 21, true,
        {{u"Dialer", 363, 17}, {u"mnuFile(7)", kSeparator, -1}, {u"Search", 110, 13},
            {u"mnuFile(4)", kSeparator, -1}, {u"Hide", 28, -1}, {u"Exit", 29, -1}}},
    {u"mnuEditTop", 35, true,
        {{u"BackMsg", 36, 8}, {u"NextMsg", 37, 7}, {u"mnuEdit(2)", kSeparator, -1}, {u"Edit", 22, 2},
            {u"Delete", 24, 4}, {u"mnuEdit(7)", kSeparator, -1}, {u"SaveToPC", 42, 5}}},
    {u"mnuViewTop", 50, true, {{u"Last", 123, -1}, {u"Today", 122, -1}, {u"Log", 125, -1}}},
    // The Tools root carries the View root's key.
    {u"mnuViewTop", 60, true,
        {{u"Events", 62, 10}, {u"Notice", 63, 18}, {u"Access", 64, 11}, {u"mnuTool(2)", kSeparator, -1},
            {u"Contacts", 65, 9}, {u"mnuTool(3)", kSeparator, -1}, {u"Properties", 66, 12},
            {u"Journal", 67, -1}}},
    {u"mnuHelpTop", 75, true,
        {{u"mnuHelp(0)", 76, 23}, {u"ChkForNewVer", 80, -1}, {u"support", 79, -1},
            {u"mnuHelp(support)", kSeparator, -1}, {u"mnuHelp(1)", 77, 24}, {u"mnuHelp(2)", kSeparator, -1},
            {u"mnuHelp(3)", 78, -1}}},
    {u"mnuModemStatus", kPopupRootEntry, false, {{u"ON", 100, -1}, {u"OFF", 101, -1}, {u"AUTO", 102, -1}}},
    {u"mnuSysTry", kPopupRootEntry, false,
        {{u"stExit", kTrayExitKeyEntry, -1}, {u"st4", kSeparator, -1}, {u"srContacts", 65, 9},
            {u"st3", kSeparator, -1}, {u"stProporties", 108, 12}, {u"st2", kSeparator, -1},
            {u"stCloseLine", 576, 16}, {u"stOpenLine", 575, 15}, {u"st1", kSeparator, -1},
            {u"stShow", 88, -1}}},
    {u"mnuCallslistRC", kPopupRootEntry, false,
        {{u"RCC_CallProp", 650, 2}, {u"RC_CLLS1", kSeparator, -1}, {u"RCC_DelCall", 24, -1},
            {u"RC_CLLS2", kSeparator, -1}, {u"RCC_CreateEditContact", 461, 9}, {u"RC_CLLS3", kSeparator, -1},
            {u"RCC_SaveToPC", 42, 5}}},
    // Its first separator repeats the call-list menu's key.
    {u"rcView", kPopupRootEntry, false,
        {{u"rcErase", 640, -1}, {u"RC_CLLS1", kSeparator, -1}, {u"rcViewBG", 293, -1},
            {u"rcViewFont", 294, -1}}},
};

QString itemCaption(const Menu& menu, const MenuItem& item)
{
    if (item.entry == kSeparator)
        return QStringLiteral("-");
    if (menu.onBar)
        return u'&' + g_sTrans(item.entry);
    // Every item of a menu starts at one edge: blanks before the tray's
    // exit pushed it to the far side.
    return g_sTrans(item.entry);
}

const char16_t* const kEditItems[] = {u"BackMsg", u"NextMsg", u"Edit", u"Delete", u"SaveToPC"};

} // namespace

void BuildMenus(KeyedPopupMenu& m_cMenu)
{
    m_cMenu.SetImageList(vbalImageList2());
    for (const Menu& menu : kMenus) {
        const QString rootKey = QString::fromUtf16(menu.rootKey);
        const qint32 root
            = m_cMenu.AddItem(u'&' + g_sTrans(menu.rootEntry), QString(), 0, 0, -1, false, true, rootKey);
        for (const MenuItem& item : menu.items)
            m_cMenu.AddItem(itemCaption(menu, item), QString(), 0, root, item.icon, false, true,
                QString::fromUtf16(item.key));
        if (!menu.onBar)
            m_cMenu.SetVisible(m_cMenu.IndexForKey(rootKey), false);
    }
}

void MakeEditMenuEna(KeyedPopupMenu& m_cMenu, bool bEna)
{
    for (const char16_t* key : kEditItems)
        m_cMenu.SetEnabled(m_cMenu.IndexForKey(QString::fromUtf16(key)), bEna);
}
