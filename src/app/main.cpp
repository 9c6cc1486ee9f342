// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantorel '95"));
    return 0;
}
