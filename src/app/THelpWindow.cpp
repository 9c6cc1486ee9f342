// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/THelpWindow.h"

#include "BuildConfig.h"
#include "common/MessageService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QPointer<THelpWindow> THelpWindow::s_instance;
QString THelpWindow::s_helpFile;

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString FindHelpFile(const QString& programFolder) {
    const QString name = QStringLiteral("vantorel.hlp");
    const QString beside = JoinPath(programFolder, name);
    const QString candidates[] = {
        beside,
        QDir::cleanPath(JoinPath(JoinPath(programFolder, QStringLiteral(VANTOREL_DATA_DIR_FROM_BIN)), name)),
        JoinPath(QStringLiteral(VANTOREL_DATA_DIR), name),
    };
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return beside;
}

QString THelpWindow::programHelpFile() { return FindHelpFile(QCoreApplication::applicationDirPath()); }

QString THelpWindow::helpFile() {
    if (s_helpFile.isEmpty())
        return programHelpFile();
    return s_helpFile;
}

void THelpWindow::setHelpFile(const QString& path) { s_helpFile = path; }

THelpWindow* THelpWindow::current() { return s_instance.data(); }

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("THelpWindow"));
    setWindowTitle(QStringLiteral("Vantorel '95 Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    m_browser->setOpenLinks(true);
    // Links to web pages leave the help file; links inside it stay in this window.
    m_browser->setOpenExternalLinks(true);
    // Examples keep their lines where they fit and wrap where the window is narrower, so that the
    // text never needs scrolling sideways.
    m_browser->document()->setDefaultStyleSheet(QStringLiteral("pre { white-space: pre-wrap; }"));

    m_btContents = new QPushButton(QStringLiteral("&Contents"), this);
    m_btContents->setObjectName(QStringLiteral("btContents"));
    m_btBack = new QPushButton(QStringLiteral("&Back"), this);
    m_btBack->setObjectName(QStringLiteral("btBack"));
    m_btBack->setEnabled(false);
    m_btClose = new QPushButton(QStringLiteral("&Close"), this);
    m_btClose->setObjectName(QStringLiteral("btClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btContents);
    buttons->addWidget(m_btBack);
    buttons->addStretch(1);
    buttons->addWidget(m_btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);

    connect(m_btContents, &QPushButton::clicked, this, [this] {
        QUrl url = m_browser->source();
        url.setFragment(QStringLiteral("topic-1"));
        m_browser->setSource(url, QTextDocument::HtmlResource);
    });
    connect(m_btBack, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_btBack, &QPushButton::setEnabled);
    connect(m_btClose, &QPushButton::clicked, this, &QDialog::close);

    const qreal scale = logicalDpiY() / 96.0;
    resize(qRound(620 * scale), qRound(520 * scale));
}

THelpWindow* THelpWindow::showTopic(int topic, QWidget* parent) {
    const QString path = helpFile();
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        ShowErrorMessage(QStringLiteral("Cannot open the help file ") + path);
        return nullptr;
    }
    if (!s_instance)
        s_instance = new THelpWindow(parent);
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setFragment(QStringLiteral("topic-%1").arg(topic));
    // The file does not end in .html, so its kind is given rather than guessed from the name.
    s_instance->m_browser->setSource(url, QTextDocument::HtmlResource);
    s_instance->show();
    s_instance->raise();
    s_instance->activateWindow();
    return s_instance.data();
}
