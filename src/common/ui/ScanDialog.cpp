// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/ScanDialog.h"

#include "common/ui/DpiScale.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/SkippedEntriesPanel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

ScanDialog::ScanDialog(QWidget* parent) : QDialog(parent) {
    // Resizable with a maximise box, but no minimise box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
}

void ScanDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void ScanDialog::stackPanels(QWidget* top, QWidget* list, QWidget* bottom) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(list, 1);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(bottom, 1);
    makeSkippedPanels();
    if (bottom->minimumHeight() > 0) { // the bottom panel's fixed height
        m_excludedPanel->setFixedHeight(bottom->minimumHeight());
        m_skippedPanel->setFixedHeight(bottom->minimumHeight());
    }
    row->addWidget(m_excludedPanel);
    row->addWidget(m_skippedPanel);
    layout->addLayout(row);
}

void ScanDialog::makeSkippedPanels() {
    if (!m_skippedPanel)
        m_skippedPanel = new SkippedEntriesPanel(this);
    if (!m_excludedPanel)
        m_excludedPanel = new SkippedEntriesPanel(this, SkippedEntriesPanel::Kind::Excluded);
}

void ScanDialog::setSkippedEntries(const SkippedEntries* skipped) {
    makeSkippedPanels();
    m_skippedPanel->setSource(skipped);
    m_excludedPanel->setSource(skipped);
}

void ScanDialog::refreshSkippedPanels() {
    if (m_skippedPanel)
        m_skippedPanel->refresh();
    if (m_excludedPanel)
        m_excludedPanel->refresh();
}

QLabel* ScanDialog::addPanelLabel(QWidget* panel, const char* name, const char* text, const QRect& design,
                                  double scale) {
    auto* l = new QLabel(QString::fromUtf8(text), panel);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(ScaledRect(design.x(), design.y(), design.width(), design.height(), scale));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton* ScanDialog::addPanelButton(QWidget* panel, const char* name, const char* text,
                                        const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(text), panel);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoDefault(false);
    return b;
}

void ScanDialog::placeDrivePanel(QWidget* drives, QWidget* label, int clientWidth, double scale) {
    drives->move(clientWidth - Scaled(10, scale) - drives->width(), drives->y());
    label->move(drives->x() - Scaled(10, scale) - label->width(), label->y());
}

QRect ScanDialog::screenArea() const { return AvailableScreenArea(this); }

void ScanDialog::centreOnScreen() { CentreOnScreen(this); }

void ScanDialog::setScanning(bool scanning) {
    m_scanning = scanning;
    if (scanning)
        m_sinceYield.restart();
    refreshSkippedPanels();
}

void ScanDialog::closeIfAsked() {
    if (m_closeRequested) {
        m_closeRequested = false;
        reject();
    }
}

void ScanDialog::yieldToEvents(QLabel* status) {
    // Repainting after every entry would slow the walk down; a few dozen times a second is plenty.
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < m_yieldIntervalMs)
        return;
    m_sinceYield.restart();
    if (status && m_walkStatus) {
        const QString text = m_walkStatus();
        if (status->text() != text)
            status->setText(text);
    }
    refreshSkippedPanels();
    aboutToYield();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ScanDialog::reject() {
    if (m_scanning) {
        m_closeRequested = true;
        return;
    }
    QDialog::reject();
}

void ScanDialog::closeEvent(QCloseEvent* event) {
    if (m_scanning) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ScanDialog::keyPressEvent(QKeyEvent* event) {
    // Esc presses Close, which a running scan disables.
    if (event->key() == Qt::Key_Escape && m_scanning) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
