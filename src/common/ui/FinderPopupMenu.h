// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QMenu>
#include <QPoint>
#include <functional>
#include <vector>

class QAbstractItemView;
class QAction;

// The pop-up menu PopupMenu1 of a finder window's grid, also opened by its Sort button: the sort
// items, at most one of which carries the check mark (the order the rows are in; none while no item
// names that order), then a separator and "Shrink top panel" / "Restore top panel", which take the
// top panel's height away and give it back.
class FinderPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit FinderPopupMenu(QWidget* window);

    // A sort item; a click runs onClick with the item. Qt flips a checkable item on its own before
    // the handler runs: that flip is undone, so only checkSortItem moves the check mark.
    QAction* addSortItem(const char* name, const QString& text, std::function<void(QAction*)> onClick);
    // The one checked item (nullptr: none, while a sort runs).
    void checkSortItem(QAction* item);
    QAction* checkedSortItem() const { return m_checked; }

    // Adds the separator N1, Shrinktoppanel1 and Restoretoppanel1 (disabled) for the panel, whose
    // height now is the height that Restore gives back. Returns the separator.
    QAction* addTopPanelItems(QWidget* panel);
    // Takes the panel's height as the one to give back, unless it is shrunk now.
    void rememberPanelHeight();
    void shrinkTopPanel();
    void restoreTopPanel();

    // Opens as the grid's context menu where the mouse was pressed.
    void serveAsContextMenu(QAbstractItemView* grid);
    // Where the Sort button opens the menu: under the button, its left edge with the button's
    // (global coordinates), so that it opens where the mouse is however wide the window.
    static QPoint sortButtonPosition(const QWidget* button);

private:
    std::vector<QAction*> m_sortItems;
    QAction* m_checked = nullptr;
    QWidget* m_panel = nullptr;
    QAction* m_shrink = nullptr;
    QAction* m_restore = nullptr;
    int m_panelHeight = 0;
};
