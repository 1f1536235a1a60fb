// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/port.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>

namespace kestrix {

namespace {

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.read(65536)) : QString();
}

// A key's value as the tool reads its settings: "key=value", "#" starting a comment.
QString Setting(const QString& text, const QString& key) {
    static const QRegularExpression line(QStringLiteral("^\\s*([^#=\\s]+)\\s*=\\s*(.*?)\\s*$"),
                                         QRegularExpression::MultilineOption);
    QString value;
    for (auto it = line.globalMatch(text); it.hasNext();)
        if (const QRegularExpressionMatch match = it.next(); match.captured(1) == key)
            value = match.captured(2);
    return value;
}

bool HasSetting(const QString& text, const QString& key) {
    return QRegularExpression(QStringLiteral("^\\s*%1\\s*=").arg(key),
                              QRegularExpression::MultilineOption)
        .match(text)
        .hasMatch();
}

// Read and write, as the tool opens the device; access() would say yes to root only.
bool MayOpen(const struct stat& info, const PortHost& host) {
    if (host.userId == 0)
        return true;
    const mode_t rw = info.st_uid == host.userId          ? S_IRUSR | S_IWUSR
                      : host.groups.contains(info.st_gid) ? S_IRGRP | S_IWGRP
                                                          : S_IROTH | S_IWOTH;
    return (info.st_mode & rw) == rw;
}

// A group's name from the tree's /etc/group, else its number.
QString GroupName(const QString& root, uint gid) {
    for (const QString& entry : Read(root + QStringLiteral("/etc/group")).split(u'\n'))
        if (entry.section(u':', 2, 2) == QString::number(gid))
            return entry.section(u':', 0, 0);
    return QString::number(gid);
}

} // namespace

QStringList PortProblems(const PortHost& host, const QString& port, const QString& tool) {
    QStringList problems;
    const QDir ports(host.root + QStringLiteral("/proc/sys/dev/parport"));
    const QStringList known = ports.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    const QStringList usb = QDir(host.root + QStringLiteral("/dev/usb"))
                                .entryList({QStringLiteral("lp*")}, QDir::System | QDir::Files);
    if (known.isEmpty() && !usb.isEmpty())
        problems.append(
            QStringLiteral("Only a USB printer adapter (/dev/usb/%1) is here. It cannot "
                           "drive the copier: that takes a parallel port on the "
                           "mainboard or on a PCI or PCIe card.")
                .arg(usb.first()));
    const QString settings = Read(host.settingsFile);
    if (HasSetting(settings, QStringLiteral("parport_dev"))) {
        // Built with ppdev: the device must be there, and this user may open it.
        const QString device = Setting(settings, QStringLiteral("parport_dev"));
        struct stat info {};
        if (::stat(QFile::encodeName(host.root + device).constData(), &info) != 0)
            problems.append(QStringLiteral("The parallel port %1 is not there. Load the ppdev "
                                           "driver (sudo modprobe ppdev), and check that the "
                                           "computer has a parallel port.")
                                .arg(device));
        else if (!MayOpen(info, host))
            problems.append(QStringLiteral("You may not open the parallel port %1. Join its group "
                                           "(sudo adduser $USER %2), then log out and in again.")
                                .arg(device, GroupName(host.root, info.st_gid)));
        for (const QString& each : known)
            if (Read(ports.filePath(each + QStringLiteral("/devices/active"))).startsWith(u"lp"))
                problems.append(QStringLiteral("The printer driver lp holds %1. Unload it (sudo "
                                               "modprobe -r lp) while you use the copier.")
                                    .arg(each));
    } else if (HasSetting(settings, QStringLiteral("parport"))) {
        // Built for port I/O: only root may reach the port, and it must be one the system has.
        struct stat info {};
        const bool setuidRoot = ::stat(QFile::encodeName(tool).constData(), &info) == 0 &&
                                info.st_uid == 0 && (info.st_mode & S_ISUID);
        if (host.userId != 0 && !setuidRoot)
            problems.append(QStringLiteral("ucon64 reaches the port directly, which only root may "
                                           "do: start kestrix as root, or install ucon64 setuid "
                                           "root (sudo chown root %1; sudo chmod u+s %1).")
                                .arg(tool));
        bool ok = false;
        const uint wanted = port.trimmed().remove(QStringLiteral("0x")).toUInt(&ok, 16);
        QStringList bases;
        for (const QString& each : known) {
            const QString decimal = Read(ports.filePath(each + QStringLiteral("/base-addr")))
                                        .section(QRegularExpression(QStringLiteral("\\s+")), 0, 0,
                                                 QString::SectionSkipEmpty);
            bases.append(QString::number(decimal.toUInt(), 16).toUpper());
        }
        if (ok && !bases.isEmpty() && !bases.contains(QString::number(wanted, 16).toUpper()))
            problems.append(QStringLiteral("The port 0x%1 is not one this computer has: type %2 "
                                           "after \"0x\".")
                                .arg(port.trimmed(), bases.join(QStringLiteral(" or "))));
    }
    return problems;
}

} // namespace kestrix
