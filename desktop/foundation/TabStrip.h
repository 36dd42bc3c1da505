#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QTabBar;

// A row of tabs over a page area. The window puts its pages into pageArea()
// and shows and hides them itself on TabClick, which a selection by code
// raises just as a click does, also for the tab already in front.
class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Icons for AddTab's icon index.
    void setImageList(const QList<QIcon>& icons) { m_images = icons; }
    // Adds a tab; icon is an index into the image list, -1 for none.
    void AddTab(const QString& caption, int icon, const QString& key);
    // Brings the tab with that key to the front and raises TabClick; an
    // unknown key does nothing.
    void SelectTab(const QString& key);

    int count() const { return int(m_keys.size()); }
    // The key of the tab in front; empty when there is none.
    QString SelectedKey() const;
    QTabBar* tabBar() const { return m_bar; }
    // Where the pages go: lay them over one another here.
    QWidget* pageArea() const { return m_area; }

signals:
    // The tab's number, from 1 in the order the tabs were added.
    void TabClick(int tab);

private:
    QTabBar* m_bar = nullptr;
    QWidget* m_area = nullptr;
    QStringList m_keys;
    QList<QIcon> m_images;
};
