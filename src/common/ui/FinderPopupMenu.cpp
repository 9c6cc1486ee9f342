// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/FinderPopupMenu.h"

#include <QAbstractItemView>
#include <QAction>

FinderPopupMenu::FinderPopupMenu(QWidget* window) : QMenu(window) {
    setObjectName(QStringLiteral("PopupMenu1"));
}

QAction* FinderPopupMenu::addSortItem(const char* name, const QString& text, std::function<void(QAction*)> onClick) {
    QAction* item = addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    m_sortItems.push_back(item);
    connect(item, &QAction::triggered, this, [this, item, onClick = std::move(onClick)] {
        checkSortItem(m_checked); // undo Qt's flip before the handler decides
        onClick(item);
    });
    return item;
}

void FinderPopupMenu::checkSortItem(QAction* item) {
    m_checked = item;
    for (QAction* a : m_sortItems)
        a->setChecked(a == item);
}

QAction* FinderPopupMenu::addTopPanelItems(QWidget* panel) {
    m_panel = panel;
    m_panelHeight = panel->height();
    QAction* separator = addSeparator();
    separator->setObjectName(QStringLiteral("N1"));
    m_shrink = addAction(QStringLiteral("Shrink top panel"));
    m_shrink->setObjectName(QStringLiteral("Shrinktoppanel1"));
    m_restore = addAction(QStringLiteral("Restore top panel"));
    m_restore->setObjectName(QStringLiteral("Restoretoppanel1"));
    m_restore->setEnabled(false);
    connect(m_shrink, &QAction::triggered, this, [this] { shrinkTopPanel(); });
    connect(m_restore, &QAction::triggered, this, [this] { restoreTopPanel(); });
    return separator;
}

void FinderPopupMenu::rememberPanelHeight() {
    if (m_panel && m_panel->height() > 0)
        m_panelHeight = m_panel->height();
}

void FinderPopupMenu::shrinkTopPanel() {
    if (!m_panel)
        return;
    m_panel->setFixedHeight(0);
    m_shrink->setEnabled(false);
    m_restore->setEnabled(true);
}

void FinderPopupMenu::restoreTopPanel() {
    if (!m_panel)
        return;
    m_panel->setFixedHeight(m_panelHeight);
    m_shrink->setEnabled(true);
    m_restore->setEnabled(false);
}

void FinderPopupMenu::serveAsContextMenu(QAbstractItemView* grid) {
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { popup(grid->viewport()->mapToGlobal(pos)); });
}

QPoint FinderPopupMenu::sortButtonPosition(const QWidget* button) {
    return button->mapToGlobal(QPoint(0, button->height()));
}
