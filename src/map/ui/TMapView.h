// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapLayout.h"
#include "map/MapModel.h"

#include <QImage>
#include <QWidget>
#include <cstdint>

// The map area of the map window: the picture of one folder of a model (tiles and legend), laid out
// again only when the size, the folder in view or the model changes. The pointer tells which tile it
// is over; a click selects a tile and its folder (framed), a double-click or Enter enters the
// selected tile's folder, Backspace goes back up, the arrows move to the neighbouring tile. Drawn
// at the screen's full pixel density.
class TMapView : public QWidget {
    Q_OBJECT
public:
    explicit TMapView(QWidget* parent = nullptr);

    // The model to draw (not owned; nullptr: nothing). The view starts at the model's top folder,
    // nothing selected.
    void setModel(const MapModel* model);
    // The model drawn (nullptr: none).
    const MapModel* model() const { return m_model; }
    // The model lost files or folders: drawn again, view and selection kept where they still are.
    void modelChanged();

    std::uint32_t viewFolder() const { return m_view; }
    void setViewFolder(std::uint32_t folder);
    bool canGoUp() const;
    void goUp();
    // Enters the selected tile's folder (when it lies below the one in view).
    void zoomIn();

    // The selection: a tile (a file, or a folder's merged small items) and the folder it lies in.
    bool hasSelection() const { return m_selected; }
    std::uint32_t selectedFolder() const { return m_selFolder; }
    bool selectedIsFile() const { return m_selected && m_selKind == MapTile::File; }
    std::uint32_t selectedFile() const { return m_selFile; }
    // The selected tile in the present layout, or -1 (not selected, or too small to show now).
    int selectedTile();
    void selectTile(int tile);
    // Selects a folder by itself (framed; no tile of it selected).
    void selectFolder(std::uint32_t folder);
    void clearSelection();

    // The present layout (laid out first when something changed). Its coordinates are device pixels
    // from the widget's top left; tileCentre gives a tile's middle in the widget's own pixels.
    const MapLayout& layout();
    QPoint tileCentre(int tile);
    int tileAt(const QPoint& widgetPoint);

Q_SIGNALS:
    // The pointer is over another tile (-1: over none, or it left).
    void hovered(int tile);
    void selectionChanged();
    void viewChanged();
    void contextMenuAsked(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ensureLaidOut();
    void invalidate();
    qreal ratio() const;

    const MapModel* m_model = nullptr;
    std::uint32_t m_view = 0;
    MapLayout m_layout;
    QImage m_picture;
    bool m_dirty = true;
    int m_hover = -1;

    bool m_selected = false;
    MapTile::Kind m_selKind = MapTile::File;
    std::uint32_t m_selFile = 0;
    std::uint32_t m_selFolder = 0;
    bool m_folderOnly = false;
};
