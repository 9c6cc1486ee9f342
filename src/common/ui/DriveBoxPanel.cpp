// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/DriveBoxPanel.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveCombo.h"
#include "platform/CurrentFolder.h"
#include "platform/DriveTable.h"

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QStyle>
#include <algorithm>

namespace {
constexpr int ColumnX[5] = {8, 46, 84, 122, 160};
constexpr int RowY[5] = {6, 30, 54, 78, 102};
constexpr int BoxWidth = 36;
constexpr int BoxHeight = 20;
} // namespace

DriveBoxPanel::DriveBoxPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("pnlDrives"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    for (int i = 0; i < BoxCount; ++i) {
        auto* cb = new QCheckBox(this);
        cb->setObjectName(QStringLiteral("cb%1").arg(i + 1));
        cb->hide();
        connect(cb, &QCheckBox::toggled, this, [this] { Q_EMIT tickedChanged(anyTicked()); });
        m_boxes[std::size_t(i)] = cb;
    }
    m_cbDrive = new QComboBox(this);
    m_cbDrive->setObjectName(QStringLiteral("cbDrive"));
    m_cbDrive->hide();
    applyScale(1.0);
}

QCheckBox* DriveBoxPanel::box(int number) const {
    if (number < 1 || number > BoxCount)
        return nullptr;
    return m_boxes[std::size_t(number - 1)];
}

void DriveBoxPanel::applyScale(double scale) {
    m_scale = scale;
    resize(Scaled(200, scale), Scaled(127, scale));
    for (int i = 0; i < BoxCount; ++i)
        m_boxes[std::size_t(i)]->setGeometry(ScaledRect(ColumnX[i / 5], RowY[i % 5], BoxWidth, BoxHeight, scale));
    fitBoxTexts();
}

void DriveBoxPanel::fitBoxTexts() {
    const int drives = std::min(m_cbDrive->count(), BoxCount);
    for (int i = 0; i < drives; ++i) {
        QCheckBox* cb = m_boxes[std::size_t(i)];
        const int column = i / 5;
        const int right = (column + 1) * 5 < drives ? Scaled(ColumnX[column + 1] - 2, m_scale)
                                                    : width() - Scaled(4, m_scale);
        cb->resize(std::max(right - cb->x(), Scaled(BoxWidth, m_scale)), cb->height());
        const int indicator = cb->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, cb) +
                              cb->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, cb);
        cb->setText(
            ElideDriveText(DriveBoxText(m_cbDrive, i), cb->fontMetrics(), cb->width() - indicator - 2));
    }
}

void DriveBoxPanel::loadDrives() {
    const std::vector<Drive> drives = DriveTable::load();
    m_cbDrive->clear();
    for (const Drive& d : drives)
        m_cbDrive->addItem(d.itemText(), QByteArray::fromStdString(d.mountPoint));
    m_cbDrive->setCurrentIndex(DriveTable::indexOfPath(drives, CurrentFolder::get()));
    untickAll(); // so that a reopened panel never keeps an old tick
    SetUpDriveBoxes(window(), m_cbDrive);
    fitBoxTexts();
}

void DriveBoxPanel::untickAll() {
    for (QCheckBox* cb : m_boxes)
        cb->setChecked(false);
}

bool DriveBoxPanel::anyTicked() const {
    for (const QCheckBox* cb : m_boxes)
        if (cb->isChecked())
            return true;
    return false;
}

std::vector<TickedDrive> DriveBoxPanel::tickedDrives() const {
    std::vector<TickedDrive> out;
    for (int i = 0; i < BoxCount; ++i) {
        const QCheckBox* cb = m_boxes[std::size_t(i)];
        // isVisibleTo: the box counts while its window is hidden too.
        if (!cb->isVisibleTo(this) || !cb->isChecked() || i >= m_cbDrive->count())
            continue;
        TickedDrive t;
        t.box = i + 1;
        t.caption = m_cbDrive->itemText(i).left(2);
        t.letter = t.caption.isEmpty() ? QChar() : t.caption.at(0);
        // Item data: the exact mount point bytes.
        t.mountPoint = m_cbDrive->itemData(i).toByteArray().toStdString();
        out.push_back(std::move(t));
    }
    return out;
}

QString DriveBoxPanel::tickedCaptionList() const {
    QString list;
    for (const TickedDrive& t : tickedDrives())
        list += t.caption + QLatin1Char(' ');
    return list;
}

QString DriveBoxText(const QComboBox* cbDrive, int i) {
    const QString item = cbDrive->itemText(i);
    const QByteArray mount = cbDrive->itemData(i).toByteArray();
    const QString where = mount.isEmpty()
                              ? item.mid(item.indexOf(u' ') + 1)
                              : DisplayText(std::string_view(mount.constData(), std::size_t(mount.size())));
    return item.left(2) + QStringLiteral("  ") + where;
}

void SetUpDriveBoxes(QWidget* window, QComboBox* cbDrive) {
    std::array<QCheckBox*, DriveBoxPanel::BoxCount> boxes{};
    for (int i = 0; i < DriveBoxPanel::BoxCount; ++i) {
        boxes[std::size_t(i)] = window->findChild<QCheckBox*>(QStringLiteral("cb%1").arg(i + 1));
        if (boxes[std::size_t(i)])
            boxes[std::size_t(i)]->hide();
    }
    for (int i = 0; i < cbDrive->count() && i < DriveBoxPanel::BoxCount; ++i) {
        QCheckBox* cb = boxes[std::size_t(i)];
        if (!cb)
            continue;
        cb->setText(DriveBoxText(cbDrive, i));
        cb->setToolTip(cbDrive->itemText(i));
        cb->show();
        if (i == cbDrive->currentIndex())
            cb->setChecked(true);
    }
}

void ScanTickedDrives(const DriveBoxPanel& panel, const std::function<bool(const std::string& root)>& walk,
                      const std::function<bool()>& stop) {
    for (const TickedDrive& t : panel.tickedDrives()) {
        if (stop && stop())
            return;
        if (t.letter.isNull() || !DriveReady(t.letter))
            continue;
        CurrentFolder::set(t.mountPoint);
        if (!walk(t.mountPoint))
            ShowPlainErrorBox(QStringLiteral("Can't open drive ") + t.caption);
    }
}
