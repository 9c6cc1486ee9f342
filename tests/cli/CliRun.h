// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QProcess>
#include <QStringList>

// What one run of vantorel-cli gave: its exit code (-1 when it did not exit) and both outputs.
struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs vantorel-cli with args in the test's environment and the locale of the test process, so the
// date texts agree.
inline CliRun RunCli(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "en_US.UTF-8");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VANTOREL_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
