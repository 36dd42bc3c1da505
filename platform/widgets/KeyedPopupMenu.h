#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

// Every menu of a window in one object, each item found by its key. Roots
// (parent 0) become menus; the items after a root, naming it as parent, are
// its entries, one level deep. Keys may repeat: lookups find the first. Item
// numbers start at 1; 0 is no item, and every operation ignores it.
class KeyedPopupMenu : public QObject {
    Q_OBJECT
public:
    explicit KeyedPopupMenu(QObject* parent = nullptr);
    ~KeyedPopupMenu() override;
    KeyedPopupMenu(const KeyedPopupMenu&) = delete;
    KeyedPopupMenu& operator=(const KeyedPopupMenu&) = delete;

    // The pictures that items name by position.
    void SetImageList(const QList<QIcon>& images) { m_images = images; }

    // Adds an item; a caption "-" makes a separator. A parent that is not a
    // root adds the item to no menu (its number is still given). The new
    // item's number.
    qint32 AddItem(const QString& caption, const QString& helpText, qint32 itemData, qint32 parent,
        qint32 icon, bool checked, bool enabled, const QString& key);

    qint32 Count() const { return static_cast<qint32>(m_items.size()); }
    // The first item with exactly this key; 0 when none has it.
    qint32 IndexForKey(const QString& key) const;
    QString ItemKey(qint32 index) const;
    QString Caption(qint32 index) const;
    qint32 Parent(qint32 index) const;
    qint32 IconIndex(qint32 index) const;
    bool Checked(qint32 index) const;
    void SetChecked(qint32 index, bool checked);
    bool Enabled(qint32 index) const;
    void SetEnabled(qint32 index, bool enabled);
    bool Visible(qint32 index) const;
    void SetVisible(qint32 index, bool visible);

    // The menu bar shows the visible roots in the order they were added.
    void AttachMenuBar(QMenuBar* bar);
    // The menu of the root that the item belongs to (the root itself or one
    // of its entries); null for no item. Shown even when the root is hidden.
    QMenu* MenuOf(qint32 index) const;
    void ShowPopupMenu(qint32 index, const QPoint& globalPosition);
    // At the mouse, as a tray icon's menu opens.
    void ShowTrayPopupMenu(qint32 index);

signals:
    void Click(qint32 itemNumber);

private:
    struct Item {
        QString caption;
        QString helpText;
        qint32 itemData = 0;
        qint32 parent = 0;
        qint32 icon = -1;
        QString key;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        QPointer<QAction> action; // the root's menu action, or the entry's
        std::unique_ptr<QMenu> menu; // roots only
    };

    const Item* item(qint32 index) const;
    Item* item(qint32 index);

    std::vector<std::unique_ptr<Item>> m_items;
    QList<QIcon> m_images;
    QPointer<QMenuBar> m_bar;
};
