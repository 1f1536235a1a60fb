// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario.h"

#include "core/udisks.h"
#include "ui/console.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>

namespace kestrix::test {
TEST_P(OperationTest, DoesWhatTheUserAskedAndNothingElse) {
    const Scenario& s = GetParam();
    const QStringList env = list(s.env, u' ');
    const bool real = env.contains(u"real"_s);
    if (const std::string why = real ? useRealTool() : ""; !why.empty())
        GTEST_SKIP() << why;
    // A 1.44 MB disk: the floppy folder becomes a volume with 1,457,664 bytes of room.
    if (env.contains(u"floppy"_s) && !mountTmpfs(floppy, 1457664))
        GTEST_SKIP() << "mounting a floppy-sized tmpfs needs root";
    QString stopAt;
    for (const QString& setting : env)
        if (setting.startsWith(u"STOP=@"_s))
            stopAt = path(setting.mid(6));
        else if (setting.startsWith(u"stick="_s)) {
            const QString size = setting.mid(6);
            if (!mountTmpfs(data, size.section(u':', 0, 0).toLongLong(),
                            size.section(u':', 1).toInt()))
                GTEST_SKIP() << "mounting a tmpfs as a USB stick needs root";
        } else if (setting.contains(u'='))
            qputenv(setting.section(u'=', 0, 0).toLatin1(), setting.section(u'=', 1).toLocal8Bit());
    for (const QString& file : list(s.files, u';')) {
        const QString name = file.section(u'=', 0, 0), made = file.section(u'=', 1);
        QDir().mkpath(QFileInfo(path(name)).path());
        if (made == u"fifo")
            ASSERT_EQ(::mkfifo(QFile::encodeName(path(name)).constData(), 0600), 0);
        else if (made.startsWith(u"link:"_s))
            ASSERT_TRUE(QFile::link(made.mid(5), path(name)));
        else
            writeFile(name, content(made));
    }
    DiskBox disks(floppy, path(u"box"_s));
    auto form = makeForm();
    answer(list(s.answers, u'|'), [&](const QString& disk) {
        if (disk == u"-")
            disks.eject(), QDir(floppy).removeRecursively();
        else
            disks.insert(disk.toInt());
    });
    QDir::setCurrent(data);
    bool floppyUsed = QByteArray(s.answers).contains('@');
    const auto press = [&](const QString& selected, QPushButton* Form1::*button) {
        if (selected.startsWith(u"a:"_s)) {
            disks.insert(std::max(1, selected.section(u'@', 1).toInt()));
            form->Drive1->setCurrentIndex(0);
            select(*form, floppy, selected.mid(2).section(u'@', 0, 0));
            floppyUsed = true;
        } else if (!selected.isEmpty()) {
            select(*form, path(selected.section(u'/', 0, -2)), selected.section(u'/', -1));
        }
        (form.get()->*button)->click();
    };

    // What the tool left when it ended, before kestrix judged it.
    QHash<QString, qint64> leftAtEnd;
    QObject::connect(form.get(), &Form1::toolEnded, [&] {
        for (const QString& check : list(s.after, u';'))
            if (check.startsWith(u'^'))
                if (const QFileInfo left(path(check.mid(1).section(u'<', 0, 0))); left.isFile())
                    leftAtEnd.insert(check, left.size());
    });
    // Stop, once the tool has written into the file (a new size): a pipe is opened for reading
    // but never read, so the tool waits there with whatever it printed before.
    QString consoleAtStop;
    QTimer stopper;
    int pipe = -1;
    const qint64 sizeBefore = QFileInfo(stopAt).isFile() ? QFileInfo(stopAt).size() : -1;
    const auto written = [&] {
        if (const QFileInfo file(stopAt); file.isFile() || !file.exists())
            return file.size() > 0 && file.size() != sizeBefore;
        if (pipe < 0)
            pipe = ::open(QFile::encodeName(stopAt).constData(), O_RDONLY | O_NONBLOCK);
        pollfd ready{pipe, POLLIN, 0};
        return pipe >= 0 && ::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN);
    };
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (!written() || !form->ToolWindow())
            return;
        stopper.stop();
        // The tool waits at the file now: what it printed before must reach the window while it
        // still runs, whichever of the two the event loop hears of first.
        const QPlainTextEdit* console = form->ToolWindow()->Text1;
        if (!QTest::qWaitFor([&] {
                for (const QString& check : list(s.after, u';'))
                    if (check.startsWith(u'?') && !console->toPlainText().contains(check.mid(1)))
                        return false;
                return true;
            }))
            ADD_FAILURE() << "what the tool printed did not reach its window while it ran";
        consoleAtStop = console->toPlainText();
        form->ToolWindow()->Command1->click();
    });
    if (!stopAt.isEmpty())
        stopper.start(5);

    press(QString::fromUtf8(s.selected), s.button);
    if (s.thenButton)
        press(QString::fromUtf8(s.thenSelected), s.thenButton);
    if (floppyUsed)
        disks.eject(); // the disk in the drive back into the box, for the checks

    const QStringList shown = list(s.shown, u'|');
    ASSERT_EQ(prompter.texts().size(), shown.size()) << prompter.texts().join(u'\n').toStdString();
    for (qsizetype i = 0; i < shown.size(); ++i)
        EXPECT_TRUE(prompter.texts()[i].startsWith(shown[i])) << prompter.texts()[i].toStdString();
    if (pipe >= 0)
        ::close(pipe);
    for (const QString& check : list(s.after, u';')) {
        if (check.startsWith(u'^')) {
            const qint64 size = leftAtEnd.value(check, -1);
            EXPECT_TRUE(size >= 0 && size < check.section(u'<', 1).toLongLong())
                << check.toStdString() << ": " << size;
        } else if (check.startsWith(u'?')) {
            EXPECT_TRUE(consoleAtStop.contains(check.mid(1))) << consoleAtStop.toStdString();
        } else if (!check.contains(u'=') && !check.contains(u'#')) {
            // A misspelt folder would make any file absent.
            const QString file = path(QString(check).remove(u'!'));
            EXPECT_TRUE(QFileInfo(QFileInfo(file).path()).isDir()) << check.toStdString();
            EXPECT_EQ(QFileInfo::exists(file), !check.startsWith(u'!')) << check.toStdString();
        } else if (check.contains(u"/#"_s)) {
            const QString folder = path(check.section(u"/#"_s, 0, 0));
            EXPECT_TRUE(QFileInfo(folder).isDir()) << check.toStdString();
            EXPECT_EQ(filesIn(folder).size(), check.section(u"/#"_s, 1).toInt())
                << check.toStdString();
        } else
            EXPECT_EQ(readFile(check.section(u'=', 0, 0).remove(u'~')) ==
                          content(check.section(u'=', 1)),
                      !check.startsWith(u'~'))
                << check.toStdString();
    }
    // The real tool keeps no log: its run is read back from the console window.
    const QString console =
        form->ToolWindow() ? form->ToolWindow()->Text1->toPlainText() : QString();
    EXPECT_FALSE(console.contains(u"unrecognized option"_s)) << console.toStdString();
    EXPECT_FALSE(console.contains(u'\x1b')) << "a terminal's escape sequence shown as text";
    if (s.runs) {
        QStringList runs;
        for (const Invocation& run : invocations())
            runs.append(run.argv.join(u' '));
        if (real && !console.isEmpty())
            runs = {console.section(u'\n', 0, 0).mid(7)}; // after "ucon64 "
        EXPECT_EQ(runs, list(s.runs, u'|'));
    }
    if (s.cwd) {
        EXPECT_EQ(invocations().value(0).cwd, QDir(s.cwd == 'w' ? own : data).canonicalPath());
    }
    EXPECT_EQ(filesIn(programFolder), QStringList(u"ucon64"_s))
        << "the program folder may be the system's";
}

// The desktop's disk service, a stand-in udisks2 on the test's own bus: each part of a 30 Mbit
// image goes onto its own disk, mounted in a folder of its own label, and each disk is unmounted
// before the next prompt (the stand-in refuses a disk pulled while mounted); the set joins back
// byte for byte. Once the desktop mounts each disk put in, once kestrix must. The real-tool tests
// run it with the real ucon64.
TEST_F(OperationTest, DisksComeAndGoThroughTheDesktop) {
#ifdef KESTRIX_WITH_REAL_TOOL
    if (const std::string why = useRealTool(); !why.empty())
        GTEST_SKIP() << why;
#endif
    for (const bool desktopMounts : {true, false}) {
        SCOPED_TRACE(desktopMounts ? "the desktop mounts" : "kestrix mounts");
        const QString media = path(u"media%1"_s.arg(desktopMounts)),
                      box = path(u"disks%1"_s.arg(desktopMounts));
        QDir().mkpath(media);
        QDir().mkpath(box);
        QProcess bus, standin;
        bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        ASSERT_TRUE(bus.waitForReadyRead(10000)) << "dbus-daemon (package dbus) did not start";
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, address);
        standin.setProcessEnvironment(env);
        standin.start(u"/usr/bin/python3"_s,
                      {u"-m"_s, u"dbusmock"_s, u"--template"_s, QStringLiteral(KESTRIX_UDISKS),
                       u"--parameters"_s,
                       uR"({"media": "%1", "box": "%2", "auto": %3})"_s.arg(
                           media, box, desktopMounts ? u"true"_s : u"false"_s)});
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(box + u"/.ready"_s); }, 20000))
            << standin.readAllStandardError().toStdString();
        const QDBusConnection connection =
            QDBusConnection::connectToBus(address, u"udisks%1"_s.arg(desktopMounts));
        Platform p = platform();
        p.disks = UDisks(connection, desktopMounts ? 10000 : 0);
        ASSERT_TRUE(p.disks);
        p.mounted = [disks = p.disks] { return disks->mounted(); };
        const QString drive = u"/org/freedesktop/UDisks2/block_devices/sdb"_s;
        const auto insert = [&](const QString& label) {
            QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.UDisks2"_s, drive,
                                                               u"org.kestrix.Drive"_s, u"Insert"_s);
            call.setArguments({label});
            const QDBusMessage reply = connection.call(call);
            EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage)
                << reply.errorMessage().toStdString();
        };
        // The first disk of each run is in the drive and mounted before the button.
        const auto first = [&] {
            insert(u"SET1"_s);
            ASSERT_TRUE(p.disks->insert());
        };

        writeFile(u"c/roms/G.SWC"_s, RomImage(30 * Mbit));
        auto form = makeForm(p);
        first();
        answer({u">A:\\"_s, u">10"_s, u"ok"_s, u"ok@SET2"_s, u"ok@SET3"_s, u"ok"_s,
                u">"_s + path(u"out/G.SWC"_s), u"ok@SET2"_s, u"ok@SET3"_s, u"cancel"_s, u"ok"_s},
               insert);
        QDir().mkpath(path(u"out"_s));
        select(*form, work, u"G.SWC"_s);
        form->Command1->click();
        EXPECT_TRUE(prompter.texts().last().contains(u"The last disk is unmounted"_s))
            << prompter.texts().join(u'\n').toStdString();
        EXPECT_EQ(filesIn(media), QStringList()) << "a disk left mounted";
        for (int disk = 1; disk <= 3; ++disk)
            EXPECT_EQ(filesIn(box + u"/SET%1"_s.arg(disk)), QStringList(u"G.%1"_s.arg(disk)));

        first();
        form->Drive1->setCurrentIndex(0);
        select(*form, media + u"/SET1"_s, u"G.1"_s);
        form->Command2->click();
        EXPECT_TRUE(prompter.texts().last().startsWith(u"Done!"_s))
            << prompter.texts().join(u'\n').toStdString();
        EXPECT_EQ(readFile(u"out/G.SWC"_s), RomImage(30 * Mbit));
        EXPECT_EQ(filesIn(media), QStringList()) << "a disk left mounted";
        form.reset();
        QFile::remove(path(u"out/G.SWC"_s));
        standin.kill();
        bus.kill();
        standin.waitForFinished();
        bus.waitForFinished();
    }
}

} // namespace kestrix::test
