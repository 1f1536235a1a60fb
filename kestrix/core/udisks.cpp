// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/udisks.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace kestrix {

namespace {

const QString Service = QStringLiteral("org.freedesktop.UDisks2");
const QString BlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString FilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
constexpr int CallTimeout = 60000; // a floppy takes its time to mount and unmount

// A block device with a file system, as udisks2 reports it.
struct Block {
    QString path; // its object
    QString device;
    QByteArray type;
    qint64 bytes = 0;
    QStringList mountPoints;
};

// udisks2 writes paths as bytes ending in a zero.
QString PathOf(QByteArray bytes) {
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return QFile::decodeName(bytes);
}

QList<QByteArray> ByteArrays(const QVariant& value) {
    QList<QByteArray> list;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> list;
    else
        list = value.value<QList<QByteArray>>();
    return list;
}

QString ErrorOf(const QDBusMessage& reply) {
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

// Quits the loop once udisks2 reports a change: a disk mounted, or media seen.
class ChangeWatch : public QObject {
    Q_OBJECT
public:
    explicit ChangeWatch(std::function<void()> changed) : changed_(std::move(changed)) {}
public Q_SLOTS:
    void changed() { changed_(); }

private:
    std::function<void()> changed_;
};

class UDisksService final : public DiskService {
public:
    UDisksService(const QDBusConnection& bus, int mountWait) : bus_(bus), wait_(mountWait) {}

    QList<MountedVolume> mounted() override {
        QList<MountedVolume> volumes;
        for (const Block& block : blocks())
            for (const QString& root : block.mountPoints)
                volumes.append({root, block.device, block.type, block.bytes});
        return volumes;
    }

    Status eject(const QString& root) override {
        for (const Block& block : blocks()) {
            if (!block.mountPoints.contains(QDir::cleanPath(root)))
                continue;
            drive_ = block.path;
            const QDBusMessage reply =
                call(block.path, FilesystemInterface, QStringLiteral("Unmount"), {QVariantMap()});
            if (reply.type() == QDBusMessage::ErrorMessage)
                return Failure{QStringLiteral("The disk in drive A: (\"%1\") could not be "
                                              "unmounted (%2). Close any window or program "
                                              "showing it, and try again.")
                                   .arg(root, ErrorOf(reply))};
            return {};
        }
        return {}; // mounted by someone else's rule, such as /etc/fstab: synced is all we can do
    }

    Status insert() override {
        if (!floppy().isEmpty())
            return {};
        if (wait_ > 0) {
            QEventLoop loop;
            ChangeWatch watch([&] {
                if (!floppy().isEmpty())
                    loop.quit();
            });
            for (const auto& [interface, name] :
                 {std::pair{QStringLiteral("org.freedesktop.DBus.Properties"),
                            QStringLiteral("PropertiesChanged")},
                  {QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                   QStringLiteral("InterfacesAdded")}})
                bus_.connect(Service, {}, interface, name, &watch, SLOT(changed()));
            QTimer::singleShot(wait_, &loop, &QEventLoop::quit);
            if (floppy().isEmpty())
                loop.exec();
            if (!floppy().isEmpty())
                return {};
        }
        return mountDisk();
    }

private:
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const {
        QDBusMessage message = QDBusMessage::createMethodCall(Service, path, interface, method);
        message.setArguments(arguments);
        return bus_.call(message, QDBus::BlockWithGui, CallTimeout);
    }

    QList<Block> blocks() const {
        const QDBusMessage reply = call(QStringLiteral("/org/freedesktop/UDisks2"),
                                        QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                        QStringLiteral("GetManagedObjects"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        QList<Block> found;
        const QDBusArgument objects = reply.arguments().constFirst().value<QDBusArgument>();
        objects.beginMap();
        while (!objects.atEnd()) {
            QDBusObjectPath path;
            QMap<QString, QVariantMap> interfaces;
            objects.beginMapEntry();
            objects >> path >> interfaces;
            objects.endMapEntry();
            if (!interfaces.contains(BlockInterface) || !interfaces.contains(FilesystemInterface))
                continue;
            const QVariantMap block = interfaces.value(BlockInterface);
            Block b{path.path(),
                    PathOf(block.value(QStringLiteral("Device")).toByteArray()),
                    block.value(QStringLiteral("IdType")).toString().toLatin1(),
                    block.value(QStringLiteral("Size")).toLongLong(),
                    {}};
            for (const QByteArray& point : ByteArrays(
                     interfaces.value(FilesystemInterface).value(QStringLiteral("MountPoints"))))
                b.mountPoints.append(QDir::cleanPath(PathOf(point)));
            found.append(b);
        }
        objects.endMap();
        std::sort(found.begin(), found.end(),
                  [](const Block& a, const Block& b) { return a.device < b.device; });
        return found;
    }

    QString floppy() { return FindFloppy(mounted(), {}); }

    // The drive's own block device: the one whose disk was taken out, else the first FAT block of
    // a floppy's size.
    Status mountDisk() {
        const auto isFloppy = [](const Block& b) {
            return FindFloppy({{QStringLiteral("/"), b.device, b.type, b.bytes}}, {}) ==
                   QStringLiteral("/");
        };
        QString drive = drive_;
        for (const Block& block : blocks())
            if (drive.isEmpty() && isFloppy(block))
                drive = block.path;
        const QString noDisk = QStringLiteral("No formatted disk is in drive A:. Insert one and "
                                              "try again.");
        if (drive.isEmpty())
            return Failure{noDisk};
        call(drive, BlockInterface, QStringLiteral("Rescan"), {QVariantMap()});
        for (const Block& block : blocks()) {
            if (block.path != drive)
                continue;
            if (!isFloppy(block))
                return Failure{noDisk};
            const QDBusMessage reply =
                call(drive, FilesystemInterface, QStringLiteral("Mount"), {QVariantMap()});
            if (reply.type() == QDBusMessage::ErrorMessage)
                return Failure{QStringLiteral("The disk in drive A: (%1) could not be mounted "
                                              "(%2). Check that it is a formatted disk, put it "
                                              "in again and try again.")
                                   .arg(block.device, ErrorOf(reply))};
            return {};
        }
        return Failure{noDisk};
    }

    QDBusConnection bus_;
    int wait_;
    QString drive_; // the block device whose disk was last taken out
};

} // namespace

std::shared_ptr<DiskService> UDisks(const QDBusConnection& bus, int mountWait) {
    QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    if (!names || (!names->isServiceRegistered(Service) &&
                   !names->activatableServiceNames().value().contains(Service)))
        return nullptr;
    return std::make_shared<UDisksService>(bus, mountWait);
}

} // namespace kestrix

#include "udisks.moc"
