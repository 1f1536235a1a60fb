// SPDX-License-Identifier: GPL-3.0-or-later
// The installer's logic without its window: opening, the installation run with the desktop
// shortcut it makes, and the clean-up at close.
#include "core/cleanup.h"
#include "core/install.h"
#include "core/number.h"
#include "core/shortcut.h"
#include "core/startup.h"
#include "core/unzip.h"
#include "support/support.h"
#include "unzip/archives.h"

#include <QProcess>

namespace setup::test {
TEST(FilesNumber, ReadsLikeALenientConversionAndRoundsHalfToEven) {
    using C = std::pair<const char*, int>;
    for (const auto& [text, max] :
         {C{"12abc", 12}, C{"2.5", 2}, C{"3.5", 4}, C{"&H10", 16}, C{"&o17", 15}, C{"&H", 0},
          C{"\t1\n0 ", 10}, C{"\r5", 0}, C{"+4", 4}, C{".5", 0}, C{"1.5e1", 15}, C{"1e", 1},
          C{"1e-400", 0}, C{"", 0}, C{"2147483647", 2147483647},
          C{"-2147483648", -2147483647 - 1}}) {
        const Result<int> files = FilesMaximum(QString::fromLatin1(text));
        EXPECT_EQ(files ? QString::number(*files) : files.error(), QString::number(max)) << text;
    }
    for (const char* text : {"2147483648", "-2147483649", "1e10", "1e400", "&HFFFFFFFF"})
        EXPECT_FALSE(FilesMaximum(QString::fromLatin1(text))) << text << " fits no 32 bits";
}

// What the header sets, as "field: value" parts.
QString Shown(const Header& h) {
    using F = std::pair<const char*, std::optional<QString>>;
    QStringList shown;
    for (const auto& [field, value] :
         {F{"caption", h.caption}, F{"name", h.name}, F{"copyright", h.copyright},
          F{"version", h.version}, F{"destination", h.destination}, F{"source", h.source},
          F{"shortcutName", h.shortcutName}, F{"shortcutTarget", h.shortcutTarget},
          F{"files", h.files ? std::optional(QString::number(*h.files)) : std::nullopt},
          F{"info", h.info.isEmpty() ? std::nullopt : std::optional(h.info)}})
        if (value)
            shown.append(QLatin1String(field) + u": "_s + *value);
    return shown.join(u'|');
}

// The unzip program beside the installer, whatever its letter case and never one on PATH, is
// started there before the script is read; the header's destination lies below the root given.
TEST_F(SetupTest, StartUpStartsTheUnzipProgramThenReadsTheHeader) {
    // The script, none at first, and what the header sets or the report; %1 is the installer's
    // folder.
    using C = std::pair<std::optional<QByteArray>, const char*>;
    for (const auto& [text, shown] :
         {C{std::nullopt, "report: The setup script \"SETUP.INF\" was not found in %1."},
          C{"ENDHEADER", ""},
          C{"NAME A\rNAME  B\rFILES 3\rFILES 12abc\rDEST a\rDEST \rSHORTCUTNAME q \r"
            "COPYRIGHT \xa9 J\xfcrgen\rORIG PROG\rSHORTCUT demo\rVERSION 1\rENDHEADER\r",
            "caption:  B Installer|name:  B|copyright: Copyright \xc2\xa9 J\xc3\xbcrgen|version: "
            "Version 1|destination: C:\\Program Files\\|source: PROG|shortcutName: q "
            "|shortcutTarget: demo|files: 12"},
          // Keys in other letter cases or without their blank are ignored.
          C{"name Demo\r\nNAMEDemo\r\nFiles 3\r\nDEST\r\nShortcut a\r\n; a note\r\n\r\n"
            "INFO Hello\r\nINFO \r\nINFO World\r\nENDHEADER\r\n",
            "info: Hello\r\n\r\n\r\nWorld\r\n"},
          // A Linux editor ends lines in a lone line feed; line ends may be mixed.
          C{"NAME Demo\nINFO a\n\rINFO b\r\nENDHEADER\nNAME x\n",
            "caption: Demo Installer|name: Demo|info: a\r\nb\r\n"},
          // A byte-order mark makes the script UTF-8 and is no part of the first key.
          C{"\xef\xbb\xbfNAME Caf\xc3\xa9\r\nENDHEADER\r\n",
            "caption: Caf\xc3\xa9 Installer|name: Caf\xc3\xa9"},
          C{"ENDHEADER \r\nendheader\r\n",
            "report: The setup script \"%1/Setup.inf\" ends before its line \"ENDHEADER\"."},
          C{"FILES 2147483648\r\nENDHEADER\r\n",
            "report: The number of files \"2147483648\" in the setup script is too large."}}) {
        if (text)
            write(u"inst/Setup.inf"_s, *text); // found whatever its letter case
        UnzipProcess unzip;
        Script script;
        prompter.reports.clear();
        const Result<Header> header =
            StartUp({installer, u"C:\\Program Files\\"_s, desktop}, unzip, script, prompter);
        EXPECT_EQ(header ? Shown(*header) : u"report: "_s + prompter.reports.join(u'|'),
                  QString::fromUtf8(shown).replace(u"%1"_s, installer));
        EXPECT_EQ(QDir::currentPath(), installer);
        EXPECT_TRUE(unzip.WaitForEnd());
        EXPECT_EQ(read(u"inst/pkunzip-ran.txt"_s),
                  u"%1\n%1/PKUNZIP\n-d\n-o\ndata.dat\n"_s.arg(installer).toLocal8Bit());
    }
}

// Install on a script whose header is read, with a fake unzip program.
class InstallTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        write(u"inst/PROG/a.txt"_s, "alpha");
        ASSERT_TRUE(QDir::setCurrent(installer));
    }
    Status install(const QByteArray& list) {
        write(u"inst/SETUP.INF"_s, "ENDHEADER\r\n" + list);
        EXPECT_TRUE(script.Open(installer) && ReadHeader(script, root));
        const auto logged = [this](const QString& text) { log += text; };
        return Install({platform(), prompter, script, wait, logged, logged, [this] { ++steps; }},
                       values);
    }

    InstallValues values{root + u"Demo"_s, u"PROG"_s, u"a.txt"_s, u"Demo"_s, true};
    Script script;
    std::function<Status()> wait = [] { return Status{}; };
    QString log;
    int steps = 0;
};

// The unzip program may still be unpacking a listed file when Install is pressed. The shortcut's
// target need not exist; quotes, dollars, backticks and backslashes are escaped for the
// shell-like quoting and then once more as a string value, and a percent sign is doubled.
TEST_F(InstallTest, CopiesEachFileWithALogLineAndAStepThenMakesAValidShortcut) {
    wait = [this] {
        write(u"inst/PROG/end g"_s, "unpacked late");
        return Status{};
    };
    write(u"inst/PROG/END G "_s, "1");
    write(u"opt/Demo/a.txt"_s, "old and longer");
    values.shortcutTarget = uR"(my "demo" $HOME `x` 100% a\b)"_s;
    values.shortcutName = u" My Demo"_s;
    ASSERT_TRUE(install("a.txt\r\nEND G \r\nend g\r\nEND G\r\n"));
    // The log names the installer's folder, not the source folder the copy came from.
    EXPECT_EQ(log, u"\r\n%1/a.txt ==> %2/a.txt\r\n%1/END G  ==> %2/END G \r\n%1/end g ==> %2/end g"
                   "\r\nAlmost finished...\r\nFinished!"_s.arg(installer, root + u"Demo"_s));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(ListTree(root + u"Demo"_s),
              (Tree{{u"a.txt"_s, "alpha"}, {u"END G "_s, "1"}, {u"end g"_s, "unpacked late"}}));
    // The script is closed now: a second press must not copy again.
    EXPECT_FALSE(Install({platform(), prompter, script, wait, {}, {}, {}}, values)) << "twice";
    const QString file = desktop + u"/ My Demo.desktop"_s;
    const QByteArray at = root.toUtf8() + "Demo";
    EXPECT_EQ(read(u"Desktop/ My Demo.desktop"_s).split('\n'),
              QByteArrayList({"[Desktop Entry]", "Type=Application", R"(Name=\sMy Demo)",
                              "Exec=\"" + at + R"(/my \\"demo\\" \\$HOME \\`x\\` 100%% a\\\\b")",
                              "Path=" + at, "Icon=" + at + R"(/my "demo" $HOME `x` 100% a\\b)",
                              "X-IconIndex=0", "X-WindowStyle=0", ""}));
    EXPECT_TRUE(QFile::permissions(file) & QFile::ExeOwner) << "desktops start only executables";
    QProcess validate;
    validate.start(u"/usr/bin/desktop-file-validate"_s, {file}); // PATH is the test's
    ASSERT_TRUE(validate.waitForFinished(30000)) << "desktop-file-validate (desktop-file-utils)";
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().constData();
    // An empty name is a name too.
    ASSERT_TRUE(Create_ShortCut(platform(), root, u"Desktop"_s, {}, root, 0, 0));
    EXPECT_TRUE(QFile::exists(desktop + u"/.desktop"_s));
}

struct FailureCase {
    const char* name;
    QByteArray list;
    QString report;                          // %1 stands for the temporary folder
    const char* lastLine;                    // the log's, after the run
    std::optional<Tree> left = std::nullopt; // the destination's files after it; none: no folder
    // Made before the run, "|" between: a file, a folder when it ends in "/", a link "NAME>TARGET".
    const char* made = nullptr;
    void (*change)(InstallValues&) = nullptr;
    const char* unpack = nullptr; // the real unzip program's archive: "cut short" or "missing"
    const char* tmpfs = nullptr;  // where a tmpfs is mounted (as root; the row skips otherwise)
    // The tmpfs's size, read-only when 0; without one, a limit no file may grow past.
    qint64 bytes = 0;
};

QString NotCopied(const char* name, const char* why) {
    return u"The file \"%1/inst/PROG/%2\" could not be copied to \"%1/opt/Demo/%2\": %3"_s.arg(
        u"%1"_s, QLatin1String(name), QLatin1String(why));
}
QString NoShortcut(const char* why) {
    return u"The desktop shortcut \"%1/Desktop/Demo.desktop\" could not be written: "_s +
           QLatin1String(why);
}
QString NotUnpacked(const char* said) {
    return u"Nothing was installed: the unzip program did not unpack the whole archive (it ended "
           "with status 1).\npkunzip: "_s +
           QLatin1String(said);
}

class RunFailure : public InstallTest, public ::testing::WithParamInterface<FailureCase> {};

// Nothing is reported done that is not: no "Finished!", no short or empty file under a listed
// name, nothing changed through a link.
TEST_P(RunFailure, StopsTheRunWhereItHappensAndIsReported) {
    const FailureCase& c = GetParam();
    if (c.tmpfs && !mountTmpfs(path(QString::fromLatin1(c.tmpfs)), c.bytes))
        GTEST_SKIP() << "mounting a tmpfs needs root";
    if (c.change)
        c.change(values);
    write(u"outside/victim"_s, "precious");
    for (const auto& [name, size] :
         {std::pair{"large.bin", 60000}, {"mid.bin", 3000}, {"small.txt", 100}})
        write(u"inst/PROG/"_s + QLatin1String(name), QByteArray(size, 'x'));
    for (const QString& made : QString::fromLatin1(c.made).split(u'|', Qt::SkipEmptyParts)) {
        if (const QStringList link = made.split(u'>'); link.size() == 2)
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path(link[0])).path()) &&
                        QFile::link(path(link[1]), path(link[0])));
        else
            write(made, "x");
    }
    UnzipProcess unzip;
    if (c.unpack) {
        // Last time's unpacked a.txt, "alpha", is still there.
        pkunzip::test::RawZip zip;
        zip.list(zip.add({.name = "PROG/a.txt", .data = std::string(5000, 'n')}));
        const std::string bytes = zip.bytes();
        if (QByteArray(c.unpack) == "cut short")
            write(u"inst/DATA.DAT"_s, QByteArray::fromStdString(bytes.substr(0, bytes.size() / 2)));
        ASSERT_TRUE(QFile::remove(installer + u"/PKUNZIP"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(PKUNZIP_PROGRAM), installer + u"/pkunzip"_s));
        ASSERT_TRUE(unzip.Start(installer));
        wait = [&unzip] { return unzip.WaitForEnd(); };
    }
    const QString expected = QString(c.report + u"\n| last line: "_s + QLatin1String(c.lastLine))
                                 .replace(u"%1"_s, tmp.path());
    const auto outcome = [&] {
        const Status run = install(c.list);
        return (run ? u"no failure"_s : prompter.reports.join(u'|')) + u"\n| last line: "_s +
               log.split(u"\r\n"_s).last();
    };
    if (c.bytes && !c.tmpfs) {
        EXPECT_TRUE(HoldsUnderFileLimit(c.bytes, [&] {
            const QString got = outcome();
            if (got != expected)
                std::fprintf(stderr, "the run said: %s\n", qPrintable(got));
            return got == expected;
        })) << qPrintable(expected);
    } else {
        EXPECT_EQ(outcome(), expected);
    }
    const QString destination = root + u"Demo"_s;
    EXPECT_EQ(QFileInfo(destination).isDir() ? std::optional(ListTree(destination)) : std::nullopt,
              c.left);
    EXPECT_EQ(read(u"outside/victim"_s), "precious");
}

const char* const CopiedA = "%1/inst/a.txt ==> %1/opt/Demo/a.txt";
const Tree Alpha{{u"a.txt"_s, "alpha"}};
using F = FailureCase;

INSTANTIATE_TEST_SUITE_P(
    Failures, RunFailure,
    ::testing::Values(
        F{"SourceMissing", "a.txt\r\nb.txt\r\nEND G\r\n",
          NotCopied("b.txt", "it is not in the source folder."), CopiedA, Alpha},
        F{"SubFolderMissing", "sub/a.txt\r\nEND G\r\n",
          NotCopied("sub/a.txt", "the folder \"%1/opt/Demo/sub\" does not exist."), "", Tree{},
          "inst/PROG/sub/a.txt"},
        F{"TargetCannotBeReplaced", "a.txt\r\nEND G\r\n",
          NotCopied("a.txt", "a folder of that name is in the way."), "", Tree{{u"a.txt/"_s, {}}},
          "opt/Demo/a.txt/"},
        F{"ListEndsWithoutEndG", "a.txt\r\n",
          u"The setup script \"%1/inst/SETUP.INF\" ends before its line \"END G\"."_s, CopiedA,
          Alpha},
        F{"ListLineClimbsOut", "a.txt\r\nsub/../../a.txt\r\nEND G\r\n",
          u"The file \"sub/../../a.txt\" of the setup script's list leads out of the "
          "source and the destination folder."_s,
          CopiedA, Alpha},
        F{"DestinationEmpty", "END G\r\n",
          u"There is no destination folder: the destination box is empty."_s, "", std::nullopt,
          nullptr, [](InstallValues& v) { v.destination.clear(); }},
        F{"SourceOutsideTheInstaller", "END G\r\n",
          u"The source folder \"../PROG\" is not in the installer's folder."_s, "", std::nullopt,
          nullptr, [](InstallValues& v) { v.source = u"../PROG"_s; }},
        F{"ShortcutNameLeavesTheDesktop", "END G\r\n",
          u"The desktop shortcut's name \"../x\" leads out of the desktop folder."_s, "",
          std::nullopt, nullptr, [](InstallValues& v) { v.shortcutName = u"../x"_s; }},
        F{"ShortcutTargetWithAControlCharacter", "END G\r\n",
          u"The desktop shortcut's target \"%1/opt/Demo/a\x01.exe\" holds a control "
          "character, which a desktop entry cannot hold."_s,
          "", std::nullopt, nullptr, [](InstallValues& v) { v.shortcutTarget = u"a\x01.exe"_s; }},
        // Last time's files must not pass for this archive's.
        F{"UnpackCutShort", "a.txt\r\nEND G\r\n",
          NotUnpacked(
              "DATA.DAT: it has no central directory: it is cut short, or not a ZIP archive"),
          "", std::nullopt, nullptr, nullptr, "cut short"},
        F{"ArchiveMissing", "a.txt\r\nEND G\r\n", NotUnpacked("data.dat: no such archive"), "",
          std::nullopt, nullptr, nullptr, "missing"},
        F{"TargetIsALink", "a.txt\r\nEND G\r\n",
          NotCopied("a.txt", "\"%1/opt/Demo/a.txt\" is a symbolic link, which the installer never "
                             "writes through."),
          "", Tree{{u"a.txt"_s, "precious"}}, "opt/Demo/a.txt>outside/victim"},
        F{"FolderOnTheWayIsALink", "small.txt\r\nlib/victim\r\nEND G\r\n",
          NotCopied(
              "lib/victim",
              "\"%1/opt/Demo/lib\" is a symbolic link, which the installer never writes through."),
          "%1/inst/small.txt ==> %1/opt/Demo/small.txt",
          Tree{{u"lib/"_s, {}}, {u"small.txt"_s, QByteArray(100, 'x')}},
          "inst/PROG/lib/victim|opt/Demo/lib>outside"},
        // Small writes fail as surely as large ones, with the system's reason.
        F{"SmallFileOverTheSizeLimit", "a.txt\r\nsmall.txt\r\nEND G\r\n",
          NotCopied("small.txt", "File too large."), CopiedA, Alpha, nullptr, nullptr, nullptr,
          nullptr, 50},
        F{"LargeFileOverTheSizeLimit", "large.bin\r\nEND G\r\n",
          NotCopied("large.bin", "File too large."), "", Tree{}, nullptr, nullptr, nullptr, nullptr,
          40000},
        F{"DestinationFull", "large.bin\r\nmid.bin\r\nsmall.txt\r\nEND G\r\n",
          NotCopied("small.txt", "No space left on device."),
          "%1/inst/mid.bin ==> %1/opt/Demo/mid.bin",
          Tree{{u"large.bin"_s, QByteArray(60000, 'x')}, {u"mid.bin"_s, QByteArray(3000, 'x')}},
          nullptr, nullptr, nullptr, "opt/Demo", 65536},
        F{"DestinationReadOnly", "a.txt\r\nEND G\r\n", NotCopied("a.txt", "Read-only file system."),
          "", Tree{}, nullptr, nullptr, nullptr, "opt/Demo"},
        F{"DesktopOverTheSizeLimit", "END G\r\n", NoShortcut("File too large."),
          "Almost finished...", Tree{}, nullptr, nullptr, nullptr, nullptr, 50},
        F{"DesktopFull", "END G\r\n", NoShortcut("No space left on device."), "Almost finished...",
          Tree{}, "Desktop/filler", nullptr, nullptr, "Desktop", 4096}),
    [](const auto& info) { return std::string(info.param.name); });

// The host's desktop folder is the one xdg-user-dirs names.
TEST(DesktopFolder, IsReadAsXdgUserDirsReadsIt) {
    using C = std::pair<const char*, const char*>;
    for (const auto& [userDirs, folder] :
         {C{"", "/home/u/Desktop"},
          C{R"(XDG_DESKTOP_DIR="$HOME/My \"Desk\"")", R"(/home/u/My "Desk")"},
          C{"XDG_DESKTOP_DIR=\"/first\"\n XDG_DESKTOP_DIR = \"/data/a\\\\b \\$x\" # by hand",
            R"(/data/a\b $x)"},
          C{"#XDG_DESKTOP_DIR=\"/x\"\nXDG_DESKTOP_DIR=\"Desk\"\nXDG_MUSIC_DIR=\"/m\"",
            "/home/u/Desktop"}})
        EXPECT_EQ(DesktopFolder(QString::fromUtf8(userDirs), u"/home/u"_s),
                  QString::fromUtf8(folder))
            << userDirs;
}

// What the "ORIG " value matches goes with the working files, but only in the installer's
// folder, never a folder or a dot-file; a deletion that fails (PkUnzip is a folder) is skipped.
TEST_F(SetupTest, TheCleanUpDeletesTheWorkingFilesAndWhatTheSourceValueMatches) {
    using C = std::pair<QString, QStringList>; // the value, what it deletes
    for (const auto& [orig, deleted] :
         {C{u"*.tmp"_s, {u"x.TMP"_s}}, C{u"*"_s, {u"x.TMP"_s, u"abc"_s, u"ac"_s, u"a.txt"_s}},
          C{u"a?c"_s, {u"abc"_s}}, C{u"[ab].txt"_s, {}}, C{u"ab"_s, {}}, C{u"../other/*"_s, {}},
          C{path(u"other/*"_s), {}}, C{u"sub/*.tmp"_s, {}}}) {
        for (const char* name :
             {"inst/DATA.DAT", "inst/setup", "inst/Setup.Inf", "inst/x.TMP", "inst/PKUNZIP.LOG",
              "inst/.hidden.tmp", "inst/abc", "inst/ac", "inst/a.txt", "inst/sub/a.tmp",
              "inst/ab.tmp/", "inst/PkUnzip/", "other/a.tmp"})
            write(QString::fromLatin1(name));
        Tree left = ListTree(installer);
        for (const QString& name : deleted + QStringList{u"DATA.DAT"_s, u"setup"_s, u"Setup.Inf"_s,
                                                         u"PKUNZIP"_s, u"PKUNZIP.LOG"_s})
            left.remove(name);
        CleanUp(installer, orig);
        EXPECT_EQ(ListTree(installer).keys(), left.keys()) << qPrintable(orig);
        EXPECT_TRUE(QFile::exists(path(u"other/a.tmp"_s)));
    }
}

} // namespace setup::test
