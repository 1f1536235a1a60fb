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

#include <QProcess>

namespace setup::test {
TEST(FilesNumber, ReadsLikeALenientConversionAndRoundsHalfToEven) {
    using C = std::pair<const char*, int>;
    for (const auto& [text, max] :
         {C{"12abc", 12}, C{"abc", 0}, C{"1 2", 12}, C{"2.5", 2}, C{"3.5", 4}, C{"&H10", 16},
          C{"&o17", 15}, C{"&H", 0}, C{"\t1\n0 ", 10}, C{"\r5", 0}, C{"-2.5", -2}, C{"+4", 4},
          C{".5", 0}, C{"1.5e1", 15}, C{"1e", 1}, C{"1e-400", 0}, C{"", 0},
          C{"2147483647", 2147483647}, C{"-2147483648", -2147483647 - 1}}) {
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

struct StartCase {
    const char* name;
    std::optional<QByteArray> script; // none: there is no script
    const char* shown;                // or the report, where %1 stands for the installer's folder
};

class StartUpTest : public SetupTest, public ::testing::WithParamInterface<StartCase> {};

// The unzip program beside the installer, whatever its letter case and never one on PATH, is
// started there before the script is read; the header is read below the design's own root.
TEST_P(StartUpTest, StartsTheUnzipProgramThenReadsTheHeader) {
    if (GetParam().script)
        write(u"inst/Setup.inf"_s, *GetParam().script); // found whatever its letter case
    UnzipProcess unzip;
    Script script;
    const Platform host{installer, u"C:\\Program Files\\"_s, desktop};
    const Result<Header> header = StartUp(host, unzip, script, prompter);
    EXPECT_EQ(header ? Shown(*header) : u"report: "_s + prompter.reports.join(u'|'),
              QString::fromUtf8(GetParam().shown).replace(u"%1"_s, installer));
    EXPECT_EQ(QDir::currentPath(), installer);
    unzip.WaitForEnd();
    EXPECT_EQ(read(u"inst/pkunzip-ran.txt"_s),
              u"%1\n%1/PKUNZIP\n-d\n-o\ndata.dat\n"_s.arg(installer).toLocal8Bit());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, StartUpTest,
    ::testing::Values(
        StartCase{"EndHeaderFirst", "ENDHEADER", ""},
        StartCase{
            "LastOfAKeyWinsUntrimmedWithLoneCrs",
            "NAME A\rNAME  B\rFILES 3\rFILES 12abc\rDEST a\rDEST \rSHORTCUTNAME q \r"
            "COPYRIGHT \xa9 J\xfcrgen\rORIG PROG\rSHORTCUT demo\rVERSION 1\rENDHEADER\r",
            "caption:  B Installer|name:  B|copyright: Copyright \xc2\xa9 J\xc3\xbcrgen|version: "
            "Version 1|destination: C:\\Program Files\\|source: PROG|shortcutName: q "
            "|shortcutTarget: demo|files: 12"},
        // Keys in other letter cases or without their blank are ignored.
        StartCase{"OtherLinesIgnoredAndInfoAdded",
                  "name Demo\r\nNAMEDemo\r\nFiles 3\r\nDEST\r\nShortcut a\r\n; a note\r\n\r\n"
                  "INFO Hello\r\nINFO \r\nINFO World\r\nENDHEADER\r\n",
                  "info: Hello\r\n\r\n\r\nWorld\r\n"},
        // A Linux editor ends lines in a lone line feed; line ends may be mixed.
        StartCase{"LineFeedsEndLines", "NAME Demo\nINFO a\n\rINFO b\r\nENDHEADER\nNAME x\n",
                  "caption: Demo Installer|name: Demo|info: a\r\nb\r\n"},
        // A byte-order mark makes the script UTF-8 and is no part of the first key.
        StartCase{"ByteOrderMarkMeansUtf8", "\xef\xbb\xbfNAME Caf\xc3\xa9\r\nENDHEADER\r\n",
                  "caption: Caf\xc3\xa9 Installer|name: Caf\xc3\xa9"},
        StartCase{"WithoutAByteOrderMarkLatin1", "NAME Caf\xc3\xa9\r\nENDHEADER\r\n",
                  "caption: Caf\xc3\x83\xc2\xa9 Installer|name: Caf\xc3\x83\xc2\xa9"},
        StartCase{"NoScript", std::nullopt,
                  "report: The setup script \"SETUP.INF\" was not found in %1."},
        StartCase{"NoEndHeader", "ENDHEADER \r\nendheader\r\n",
                  "report: The setup script \"%1/Setup.inf\" ends before its line \"ENDHEADER\"."},
        StartCase{"FilesTooLarge", "FILES 2147483648\r\nENDHEADER\r\n",
                  "report: The number of files \"2147483648\" in the setup script is too large."}),
    [](const auto& info) { return std::string(info.param.name); });

// Install on a script whose header is read, with a fake unzip program.
class InstallTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        write(u"inst/PROG/a.txt"_s, "alpha");
        ASSERT_TRUE(QDir::setCurrent(installer));
    }
    Status install(const QByteArray& list) {
        writeScript("ENDHEADER\r\n" + list);
        EXPECT_TRUE(script.Open(installer) && ReadHeader(script, root));
        const auto logged = [this](const QString& text) { log += text; };
        return Install({platform(), prompter, script, wait, logged, logged, [this] { ++steps; }},
                       values);
    }

    InstallValues values{root + u"Demo"_s, u"PROG"_s, u"a.txt"_s, u"Demo"_s, true};
    Script script;
    std::function<void()> wait = [] {};
    QString log;
    int steps = 0;
};

// The unzip program may still be unpacking a listed file when Install is pressed. The shortcut's
// target need not exist; quotes, dollars, backticks and backslashes are escaped for the
// shell-like quoting and then once more as a string value, and a percent sign is doubled.
TEST_F(InstallTest, CopiesEachFileWithALogLineAndAStepThenMakesAValidShortcut) {
    wait = [this] { write(u"inst/PROG/end g"_s, "unpacked late"); };
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
    EXPECT_FALSE(script.IsOpen());
    EXPECT_FALSE(Install({platform(), prompter, script, wait, {}, {}, {}}, values)) << "twice";
    EXPECT_TRUE(prompter.reports.value(0).startsWith(u"The installation has already run"_s));
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
    const char* report; // %1 stands for the temporary folder
    void (*change)(InstallValues&) = nullptr;
    const char* made = nullptr; // a file, or a folder when it ends in "/", made before the run
};

class RunFailure : public InstallTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RunFailure, StopsTheRunWhereItHappensAndIsReported) {
    const FailureCase& c = GetParam();
    if (c.change)
        c.change(values);
    if (c.made)
        write(QString::fromLatin1(c.made), "x");
    EXPECT_FALSE(install(c.list));
    EXPECT_EQ(prompter.reports,
              QStringList(QString::fromLatin1(c.report).replace(u"%1"_s, tmp.path())));
    EXPECT_FALSE(log.endsWith(u"Finished!"));
    // The values a row changes are refused before anything is made or copied.
    EXPECT_EQ(log.isEmpty() && !QFileInfo::exists(root + u"Demo"_s), c.change != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RunFailure,
    ::testing::Values(
        FailureCase{"SourceMissing", "a.txt\r\nb.txt\r\nEND G\r\n",
                    "The file \"%1/inst/PROG/b.txt\" could not be copied to \"%1/opt/Demo/b.txt\": "
                    "it is not in the source folder."},
        FailureCase{"SubFolderMissing", "sub/a.txt\r\nEND G\r\n",
                    "The file \"%1/inst/PROG/sub/a.txt\" could not be copied to "
                    "\"%1/opt/Demo/sub/a.txt\": the folder \"%1/opt/Demo/sub\" does not exist.",
                    nullptr, "inst/PROG/sub/a.txt"},
        FailureCase{"TargetCannotBeReplaced", "a.txt\r\nEND G\r\n",
                    "The file \"%1/inst/PROG/a.txt\" could not be copied to \"%1/opt/Demo/a.txt\": "
                    "a folder of that name is in the way.",
                    nullptr, "opt/Demo/a.txt/"},
        FailureCase{"ListEndsWithoutEndG", "a.txt\r\n",
                    "The setup script \"%1/inst/SETUP.INF\" ends before its line \"END G\"."},
        FailureCase{"ListLineClimbsOut", "a.txt\r\nsub/../../a.txt\r\nEND G\r\n",
                    "The file \"sub/../../a.txt\" of the setup script's list leads out of the "
                    "source and the destination folder."},
        FailureCase{"ShortcutCannotBeWritten", "END G\r\n",
                    "The desktop shortcut \"%1/Desktop/Demo.desktop\" could not be written: "
                    "Filename refers to a directory.",
                    nullptr, "Desktop/Demo.desktop/"},
        FailureCase{"DestinationEmpty", "END G\r\n",
                    "There is no destination folder: the destination box is empty.",
                    [](InstallValues& v) { v.destination.clear(); }},
        FailureCase{"SourceOutsideTheInstaller", "END G\r\n",
                    "The source folder \"../PROG\" is not in the installer's folder.",
                    [](InstallValues& v) { v.source = u"../PROG"_s; }},
        FailureCase{"ShortcutNameLeavesTheDesktop", "END G\r\n",
                    "The desktop shortcut's name \"../x\" leads out of the desktop folder.",
                    [](InstallValues& v) { v.shortcutName = u"../x"_s; }},
        FailureCase{"ShortcutTargetWithAControlCharacter", "END G\r\n",
                    "The desktop shortcut's target \"%1/opt/Demo/a\x01.exe\" holds a control "
                    "character, which a desktop entry cannot hold.",
                    [](InstallValues& v) { v.shortcutTarget = u"a\x01.exe"_s; }}),
    [](const auto& info) { return std::string(info.param.name); });

// The host's desktop folder is the one xdg-user-dirs names; destinations go below /opt/.
TEST(DesktopFolder, IsReadAsXdgUserDirsReadsIt) {
    EXPECT_EQ(Platform::fromSystem().programFilesRoot, u"/opt/"_s);
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
        for (const char* name : {"inst/DATA.DAT", "inst/setup", "inst/Setup.Inf", "inst/x.TMP",
                                 "inst/.hidden.tmp", "inst/abc", "inst/ac", "inst/a.txt",
                                 "inst/sub/a.tmp", "inst/ab.tmp/", "inst/PkUnzip/", "other/a.tmp"})
            write(QString::fromLatin1(name));
        Tree left = ListTree(installer);
        for (const QString& name :
             deleted + QStringList{u"DATA.DAT"_s, u"setup"_s, u"Setup.Inf"_s, u"PKUNZIP"_s})
            left.remove(name);
        CleanUp(installer, orig);
        EXPECT_EQ(ListTree(installer).keys(), left.keys()) << qPrintable(orig);
        EXPECT_TRUE(QFile::exists(path(u"other/a.tmp"_s)));
    }
}

} // namespace setup::test
