// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// A real filesystem of type (ext4, btrfs, xfs) made in a sparse image file of megabytes MiB in
// folder and mounted on folder/mnt for one test, always unmounted again. Where it cannot be made
// (no mkfs program, no right to mount, no loop devices), mounted is false and skipReason says why,
// for GTEST_SKIP.
class LoopMount {
public:
    LoopMount(const std::string& folder, const QString& type, int megabytes)
        : m_image(folder + "/fs.img"), m_point(folder + "/mnt") {
        ::mkdir(m_point.c_str(), 0755);
        if (!run("truncate", {"-s", QString::number(megabytes) + "M", QString::fromStdString(m_image)}))
            return;
        const QStringList quiet = type == "ext4" ? QStringList{"-q", "-F"} : QStringList{"-q", "-f"};
        if (!run("mkfs." + type, quiet + QStringList{QString::fromStdString(m_image)}))
            return;
        if (!run("mount", {"-o", "loop", QString::fromStdString(m_image), QString::fromStdString(m_point)}))
            return;
        mounted = true;
    }
    ~LoopMount() {
        if (mounted)
            run("umount", {QString::fromStdString(m_point)});
    }
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    const std::string& point() const { return m_point; }
    std::string path(const std::string& relative) const { return m_point + "/" + relative; }

    bool mounted = false;
    QString skipReason;

private:
    bool run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            if (skipReason.isEmpty())
                skipReason = program + QStringLiteral(" failed here (") +
                             (process.error() == QProcess::FailedToStart
                                  ? QStringLiteral("not installed")
                                  : QString::fromLocal8Bit(process.readAllStandardError()).trimmed()) +
                             QStringLiteral("): this filesystem cannot be made in this sandbox");
            return false;
        }
        return true;
    }

    std::string m_image;
    std::string m_point;
};
