// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TfrmAbout.h"

#include "BuildConfig.h"
#include "app/TGradientBack.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QtMath>

namespace {
// Design geometry at 96 pixels per inch.
constexpr int AboutWidth = 400;
constexpr int AboutHeight = 212;
constexpr int AnimLeft = 20;
constexpr int AnimTop = 24;
constexpr int AnimSize = 96;
constexpr int TextLeft = 136;
constexpr int TextWidth = 252;
} // namespace

TDiskAnimation::TDiskAnimation(QWidget* parent) : QWidget(parent) {
    m_timer.setInterval(FrameMs);
    connect(&m_timer, &QTimer::timeout, this, &TDiskAnimation::step);
}

void TDiskAnimation::step() {
    m_frame = (m_frame + 1) % FrameCount;
    update();
}

void TDiskAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height()) - 2.0;
    const QRectF disk((width() - side) / 2.0, (height() - side) / 2.0, side, side);

    painter.setPen(QPen(QColor(40, 40, 40), 1.5));
    painter.setBrush(QColor(200, 200, 210));
    painter.drawEllipse(disk);

    // The lit sector: Qt angles are in sixteenths of a degree, counter-clockwise; the disk turns
    // clockwise, one eighth of a turn per frame.
    const int span = 360 / FrameCount;
    const int start = 90 - m_frame * span;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 220, 60));
    painter.drawPie(disk.adjusted(4, 4, -4, -4), (start - span) * 16, span * 16);

    // Tracks and the hub.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(120, 120, 130), 1.0));
    for (qreal inset : {14.0, 24.0, 34.0})
        painter.drawEllipse(disk.adjusted(inset, inset, -inset, -inset));
    painter.setPen(QPen(QColor(40, 40, 40), 1.5));
    painter.setBrush(QColor(90, 90, 100));
    const qreal hub = side * 0.14;
    painter.drawEllipse(disk.center(), hub, hub);

    // A read head resting on the outer tracks.
    painter.setPen(QPen(QColor(30, 30, 30), 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(disk.right() - 2, disk.bottom() - 2),
                     QPointF(disk.center().x() + side * 0.22, disk.center().y() + side * 0.22));
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Vantorel '95"));
    setFixedSize(scaled(AboutWidth), scaled(AboutHeight));

    m_back = new TGradientBack(this);
    m_back->setObjectName(QStringLiteral("GradientBack"));
    m_back->setIsAllBlue(false);
    m_back->setGeometry(rect());

    m_animation = new TDiskAnimation(this);
    m_animation->setObjectName(QStringLiteral("imgAnimation"));
    m_animation->setGeometry(scaled(AnimLeft), scaled(AnimTop), scaled(AnimSize), scaled(AnimSize));

    addText("lblProduct", QStringLiteral("Vantorel '95"), 16, 14, true);
    addText("lblTagline", QStringLiteral("Disk-space utility for Linux"), 44, 9, false);
    addText("lblMaker", QStringLiteral("Vantorel Software"), 76, 10, true);
    addText("lblAddress", QStringLiteral("14 Harbour Lane, Kingsport KP3 7RD"), 98, 9, false);
    addText("lblWeb", QStringLiteral("www.vantorel.example"), 118, 9, false);
    addText("lblMail", QStringLiteral("support@vantorel.example"), 138, 9, false);

    m_btOK = new QPushButton(QStringLiteral("OK"), this);
    m_btOK->setObjectName(QStringLiteral("btOK"));
    m_btOK->setDefault(true);
    m_btOK->setGeometry(scaled(AboutWidth - 95 - 12), scaled(AboutHeight - 28 - 12), scaled(95), scaled(28));

    // The version that --version prints, level with OK, below the animation.
    QLabel* version = addText("lblVersion", QStringLiteral("Version " VANTOREL_VERSION), 0, 9, false);
    version->setGeometry(scaled(AnimLeft), m_btOK->geometry().center().y() - version->height() / 2,
                         scaled(TextLeft - AnimLeft), version->height());
    connect(m_btOK, &QPushButton::clicked, this, &QDialog::accept);
}

int TfrmAbout::scaled(int designPixels) const { return qRound(designPixels * logicalDpiX() / 96.0); }

QLabel* TfrmAbout::addText(const char* name, const QString& text, int top, int pointSize, bool bold) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("Arial"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setGeometry(scaled(TextLeft), scaled(top), scaled(TextWidth), label->sizeHint().height());
    return label;
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_animation->start();
}

void TfrmAbout::hideEvent(QHideEvent* event) {
    m_animation->stop();
    QDialog::hideEvent(event);
}
