// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ui/TMapView.h"

#include "map/paint/MapPicture.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor kFolderFrame(0xFF, 0xE0, 0x30);
const QColor kTileFrame(0xFF, 0xFF, 0xFF);
} // namespace

TMapView::TMapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

qreal TMapView::ratio() const { return devicePixelRatioF(); }

void TMapView::invalidate() {
    m_dirty = true;
    m_hover = -1;
    update();
}

void TMapView::setModel(const MapModel* model) {
    m_model = model;
    m_view = model ? model->top() : 0;
    m_selected = false;
    invalidate();
    Q_EMIT viewChanged();
    Q_EMIT selectionChanged();
}

void TMapView::modelChanged() {
    if (!m_model)
        return;
    // The folder in view, or the selection, may be gone: the nearest folder above that is left.
    while (m_view != MapModel::Scan && m_model->folder(m_view).removed)
        m_view = m_model->folder(m_view).parent;
    if (m_selected) {
        bool gone = m_selKind == MapTile::File && m_model->file(m_selFile).removed;
        for (std::uint32_t f = m_selFolder; f != MapModel::NoFolder && !gone; f = m_model->folder(f).parent)
            gone = m_model->folder(f).removed;
        if (gone)
            m_selected = false;
    }
    invalidate();
    Q_EMIT viewChanged();
    Q_EMIT selectionChanged();
}

void TMapView::setViewFolder(std::uint32_t folder) {
    if (!m_model || folder >= m_model->folderCount() || folder == m_view)
        return;
    m_view = folder;
    invalidate();
    Q_EMIT viewChanged();
}

bool TMapView::canGoUp() const {
    return m_model && m_view != m_model->top() && m_model->folder(m_view).parent != MapModel::NoFolder;
}

void TMapView::goUp() {
    if (canGoUp())
        setViewFolder(m_model->folder(m_view).parent);
}

void TMapView::zoomIn() {
    if (m_model && m_selected && m_selFolder != m_view && m_model->contains(m_view, m_selFolder))
        setViewFolder(m_selFolder);
}

void TMapView::ensureLaidOut() {
    const QSize device = size() * ratio();
    if (!m_dirty && m_picture.size() == device)
        return;
    m_dirty = false;
    if (m_model) {
        m_picture = MapPicture::render(*m_model, m_view, size(), ratio(), font(), m_layout);
    } else {
        m_layout.clear();
        m_picture = QImage(device, QImage::Format_RGB32);
        m_picture.fill(palette().color(QPalette::Window));
        m_picture.setDevicePixelRatio(ratio());
    }
}

const MapLayout& TMapView::layout() {
    ensureLaidOut();
    return m_layout;
}

int TMapView::selectedTile() {
    if (!m_selected || m_folderOnly)
        return -1;
    ensureLaidOut();
    if (m_selKind == MapTile::File) {
        const int tile = m_layout.tileOfFile(m_selFile);
        if (tile >= 0)
            return tile;
    }
    // A file too small for a tile of its own now shows in its folder's merged part.
    return m_layout.restTileOf(m_selFolder);
}

void TMapView::selectTile(int tile) {
    ensureLaidOut();
    if (tile < 0 || std::size_t(tile) >= m_layout.tiles().size())
        return;
    const MapTile& t = m_layout.tiles()[std::size_t(tile)];
    m_selected = true;
    m_folderOnly = false;
    m_selKind = t.kind;
    m_selFile = t.file;
    m_selFolder = t.folder;
    update();
    Q_EMIT selectionChanged();
}

void TMapView::selectFolder(std::uint32_t folder) {
    if (!m_model || folder >= m_model->folderCount())
        return;
    m_selected = true;
    m_folderOnly = true;
    m_selKind = MapTile::Rest;
    m_selFolder = folder;
    update();
    Q_EMIT selectionChanged();
}

void TMapView::clearSelection() {
    m_selected = false;
    update();
    Q_EMIT selectionChanged();
}

QPoint TMapView::tileCentre(int tile) {
    ensureLaidOut();
    if (tile < 0 || std::size_t(tile) >= m_layout.tiles().size())
        return {};
    const MapRect& r = m_layout.tiles()[std::size_t(tile)].rect;
    return QPoint(int((PixelEdge(r.x0) + PixelEdge(r.x1)) / 2 / ratio()),
                  int((PixelEdge(r.y0) + PixelEdge(r.y1)) / 2 / ratio()));
}

int TMapView::tileAt(const QPoint& p) {
    ensureLaidOut();
    // A point of the widget stands for the device pixels under it: ask for their middle.
    return m_layout.tileAt((p.x() + 0.5) * ratio(), (p.y() + 0.5) * ratio());
}

void TMapView::paintEvent(QPaintEvent*) {
    ensureLaidOut();
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
    if (!m_model || !m_selected)
        return;
    if (m_selFolder != m_view) {
        const int folder = m_layout.folderTileOf(m_selFolder);
        if (folder >= 0)
            MapPicture::drawFrame(painter, m_layout.folders()[std::size_t(folder)].rect, ratio(), QPoint(),
                                  kFolderFrame, 2);
    }
    const int tile = selectedTile();
    if (tile >= 0)
        MapPicture::drawFrame(painter, m_layout.tiles()[std::size_t(tile)].rect, ratio(), QPoint(), kTileFrame, 2);
}

void TMapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    invalidate();
}

void TMapView::mouseMoveEvent(QMouseEvent* event) {
    const int tile = tileAt(event->position().toPoint());
    if (tile != m_hover) {
        m_hover = tile;
        Q_EMIT hovered(tile);
    }
    QWidget::mouseMoveEvent(event);
}

void TMapView::leaveEvent(QEvent* event) {
    if (m_hover != -1) {
        m_hover = -1;
        Q_EMIT hovered(-1);
    }
    QWidget::leaveEvent(event);
}

void TMapView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        const int tile = tileAt(event->position().toPoint());
        if (tile >= 0)
            selectTile(tile);
    }
    QWidget::mousePressEvent(event);
}

void TMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int tile = tileAt(event->position().toPoint());
        if (tile >= 0) {
            selectTile(tile);
            zoomIn();
        }
    }
}

void TMapView::keyPressEvent(QKeyEvent* event) {
    auto move = [this](MapLayout::Direction direction) {
        const int from = selectedTile();
        const int to = from < 0 ? (m_layout.tiles().empty() ? -1 : 0) : m_layout.neighbour(from, direction);
        if (to >= 0)
            selectTile(to);
    };
    switch (event->key()) {
    case Qt::Key_Left:
        move(MapLayout::Direction::Left);
        break;
    case Qt::Key_Right:
        move(MapLayout::Direction::Right);
        break;
    case Qt::Key_Up:
        move(MapLayout::Direction::Up);
        break;
    case Qt::Key_Down:
        move(MapLayout::Direction::Down);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        zoomIn();
        break;
    case Qt::Key_Backspace:
        goUp();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TMapView::contextMenuEvent(QContextMenuEvent* event) { Q_EMIT contextMenuAsked(event->globalPos()); }
