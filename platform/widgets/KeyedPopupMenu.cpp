#include "platform/widgets/KeyedPopupMenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>

KeyedPopupMenu::KeyedPopupMenu(QObject* parent)
    : QObject(parent)
{
}

KeyedPopupMenu::~KeyedPopupMenu() = default;

const KeyedPopupMenu::Item* KeyedPopupMenu::item(qint32 index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return m_items[static_cast<size_t>(index - 1)].get();
}

KeyedPopupMenu::Item* KeyedPopupMenu::item(qint32 index)
{
    return const_cast<Item*>(std::as_const(*this).item(index));
}

qint32 KeyedPopupMenu::AddItem(const QString& caption, const QString& helpText, qint32 itemData,
    qint32 parent, qint32 icon, bool checked, bool enabled, const QString& key)
{
    auto entry = std::make_unique<Item>();
    entry->caption = caption;
    entry->helpText = helpText;
    entry->itemData = itemData;
    entry->parent = parent;
    entry->icon = icon;
    entry->key = key;
    entry->checked = checked;
    entry->enabled = enabled;
    const qint32 number = Count() + 1;
    const QIcon picture = icon >= 0 && icon < m_images.size() ? m_images.at(icon) : QIcon();

    if (parent == 0) {
        entry->menu = std::make_unique<QMenu>(caption);
        entry->menu->setObjectName(key);
        entry->menu->setIcon(picture);
        entry->action = entry->menu->menuAction();
        if (m_bar)
            m_bar->addMenu(entry->menu.get());
    } else if (Item* root = item(parent); root && root->menu) {
        QMenu* menu = root->menu.get();
        QAction* action = caption == u"-" ? menu->addSeparator() : menu->addAction(picture, caption);
        action->setObjectName(key);
        action->setStatusTip(helpText);
        action->setCheckable(checked);
        action->setChecked(checked);
        connect(action, &QAction::triggered, this, [this, number] { emit Click(number); });
        entry->action = action;
    }
    if (entry->action)
        entry->action->setEnabled(enabled);
    m_items.push_back(std::move(entry));
    return number;
}

qint32 KeyedPopupMenu::IndexForKey(const QString& key) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->key == key)
            return static_cast<qint32>(i + 1);
    return 0;
}

QString KeyedPopupMenu::ItemKey(qint32 index) const
{
    const Item* entry = item(index);
    return entry ? entry->key : QString();
}

QString KeyedPopupMenu::Caption(qint32 index) const
{
    const Item* entry = item(index);
    return entry ? entry->caption : QString();
}

qint32 KeyedPopupMenu::Parent(qint32 index) const
{
    const Item* entry = item(index);
    return entry ? entry->parent : 0;
}

qint32 KeyedPopupMenu::IconIndex(qint32 index) const
{
    const Item* entry = item(index);
    return entry ? entry->icon : -1;
}

bool KeyedPopupMenu::Checked(qint32 index) const
{
    const Item* entry = item(index);
    return entry && entry->checked;
}

void KeyedPopupMenu::SetChecked(qint32 index, bool checked)
{
    Item* entry = item(index);
    if (!entry)
        return;
    entry->checked = checked;
    if (entry->action && !entry->menu) {
        // A mark comes and goes with the check box.
        entry->action->setCheckable(checked);
        entry->action->setChecked(checked);
    }
}

bool KeyedPopupMenu::Enabled(qint32 index) const
{
    const Item* entry = item(index);
    return entry && entry->enabled;
}

void KeyedPopupMenu::SetEnabled(qint32 index, bool enabled)
{
    Item* entry = item(index);
    if (!entry)
        return;
    entry->enabled = enabled;
    if (entry->action)
        entry->action->setEnabled(enabled);
}

bool KeyedPopupMenu::Visible(qint32 index) const
{
    const Item* entry = item(index);
    return entry && entry->visible;
}

void KeyedPopupMenu::SetVisible(qint32 index, bool visible)
{
    Item* entry = item(index);
    if (!entry)
        return;
    entry->visible = visible;
    if (entry->action)
        entry->action->setVisible(visible);
}

void KeyedPopupMenu::AttachMenuBar(QMenuBar* bar)
{
    m_bar = bar;
    if (!bar)
        return;
    for (const auto& entry : m_items)
        if (entry->menu)
            bar->addMenu(entry->menu.get());
}

QMenu* KeyedPopupMenu::MenuOf(qint32 index) const
{
    const Item* entry = item(index);
    if (entry && !entry->menu)
        entry = item(entry->parent);
    return entry ? entry->menu.get() : nullptr;
}

void KeyedPopupMenu::ShowPopupMenu(qint32 index, const QPoint& globalPosition)
{
    if (QMenu* menu = MenuOf(index))
        menu->popup(globalPosition);
}

void KeyedPopupMenu::ShowTrayPopupMenu(qint32 index)
{
    ShowPopupMenu(index, QCursor::pos());
}
