// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cleanup.h"
#include "support/fixture.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <thread>

namespace setup::test {
namespace {

class InstallTest : public SetupTest {
protected:
    // Loads a script with the given header lines before "ENDHEADER" and the file list after.
    std::unique_ptr<Form1> load(const QByteArray& header, const QByteArray& list) {
        writeScript(header + "ENDHEADER\r\n" + list);
        auto form = makeForm();
        EXPECT_TRUE(form->Form_Load()) << qPrintable(prompter.reports.join(u'\n'));
        return form;
    }
    QString dest(const QString& name = {}) const {
        return root + QStringLiteral("Demo") + (name.isEmpty() ? QString() : u'/' + name);
    }
    // The installer's own working files, as the clean-up finds them.
    void writeWorkingFiles() {
        for (const char* name : {"inst/DATA.DAT", "inst/setup", "inst/keep.txt"})
            writeFile(QString::fromLatin1(name), "x");
    }
    QStringList installerFiles() const {
        QStringList files =
            QDir(installer).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        // The stand-in unzip program, started and not waited for, may be writing its record.
        files.removeAll(QStringLiteral("pkunzip-ran.txt"));
        files.removeAll(QStringLiteral("pkunzip-ran.tmp"));
        files.sort();
        return files;
    }
};

TEST_F(InstallTest, CopiesEachListedFileWithALogLineAndAStepThenFinishes) {
    writeFile(QStringLiteral("inst/PROG/a.txt"), "alpha");
    writeFile(QStringLiteral("inst/PROG/b.txt"), "beta");
    QDir().mkpath(dest());
    writeFile(QStringLiteral("opt/Demo/a.txt"), "old and longer");
    auto form =
        load("INFO Hi\r\nDEST Demo\r\nORIG PROG\r\nFILES 2\r\n", "a.txt\r\nb.txt\r\nEND G\r\n");
    form->Command1->click();

    EXPECT_TRUE(prompter.reports.isEmpty()) << qPrintable(prompter.reports.join(u'\n'));
    // The log names the installer's folder, not the source folder the copy came from.
    EXPECT_EQ(form->Text1->Text(),
              QStringLiteral("Hi\r\n\r\n%1/a.txt ==> %2/a.txt\r\n%1/b.txt ==> %2/b.txt\r\n"
                             "Almost finished...\r\nFinished!")
                  .arg(installer, dest()));
    EXPECT_EQ(form->ProgressBar1->Value(), 2);
    EXPECT_EQ(readFile(QStringLiteral("opt/Demo/a.txt")), "alpha");
    EXPECT_EQ(readFile(QStringLiteral("opt/Demo/b.txt")), "beta");
    EXPECT_TRUE(QDir(desktop).isEmpty()) << "the hidden box of a script without SHORTCUT";
    EXPECT_TRUE(ends.isEmpty());
}

TEST_F(InstallTest, AnEmptyListMakesTheFolderAndTheShortcutAndFinishes) {
    auto form = load("DEST Demo\r\nSHORTCUT demo.exe\r\n", "END G\r\n");
    form->Command1->click();
    EXPECT_TRUE(QFileInfo(dest()).isDir());
    EXPECT_EQ(form->Text1->Text(), QStringLiteral("\r\nAlmost finished...\r\nFinished!"));
    EXPECT_EQ(form->ProgressBar1->Value(), 0);
    // The target does not exist: it is passed on unchanged all the same.
    const QByteArray entry = readFile(QStringLiteral("Desktop/Text4.desktop"));
    EXPECT_TRUE(entry.contains("Exec=\"" + dest(QStringLiteral("demo.exe")).toUtf8() + "\"\n"))
        << entry.constData();
}

TEST_F(InstallTest, AnEditedDestinationIsUsedEverywhere) {
    writeFile(QStringLiteral("inst/a.txt"), "alpha");
    auto form = load("DEST Demo\r\nORIG .\r\nSHORTCUT a.txt\r\nSHORTCUTNAME Demo\r\n",
                     "a.txt\r\nEND G\r\n");
    const QString edited = root + QStringLiteral("Other");
    form->Text2->setText(edited);
    form->Command1->click();
    EXPECT_FALSE(QFileInfo::exists(dest()));
    EXPECT_EQ(readFile(QStringLiteral("opt/Other/a.txt")), "alpha");
    EXPECT_TRUE(form->Text1->Text().contains(QStringLiteral(" ==> %1/a.txt").arg(edited)));
    const QByteArray entry = readFile(QStringLiteral("Desktop/Demo.desktop"));
    EXPECT_TRUE(entry.contains("Exec=\"" + edited.toUtf8() + "/a.txt\"\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("Path=" + edited.toUtf8() + "\n")) << entry.constData();
}

TEST_F(InstallTest, AnUntickedBoxMakesNoShortcut) {
    auto form = load("DEST Demo\r\nSHORTCUT demo.exe\r\n", "END G\r\n");
    form->Check1->setChecked(false);
    form->Command1->click();
    EXPECT_TRUE(form->Text1->Text().endsWith(u"Finished!"));
    EXPECT_TRUE(QDir(desktop).isEmpty());
}

TEST_F(InstallTest, EndGWithABlankOrInLowerCaseIsAFileName) {
    writeFile(QStringLiteral("inst/END G "), "1");
    writeFile(QStringLiteral("inst/end g"), "2");
    auto form = load("DEST Demo\r\nORIG .\r\n", "END G \r\nend g\r\nEND G\r\n");
    form->Command1->click();
    EXPECT_EQ(readFile(QStringLiteral("opt/Demo/END G ")), "1");
    EXPECT_EQ(readFile(QStringLiteral("opt/Demo/end g")), "2");
    EXPECT_EQ(form->ProgressBar1->Value(), 2);
}

TEST_F(InstallTest, MoreFilesThanAnnouncedRaiseTheBarsMaximum) {
    writeFile(QStringLiteral("inst/a"), "1");
    writeFile(QStringLiteral("inst/b"), "2");
    auto form = load("DEST Demo\r\nORIG .\r\nFILES 0\r\n", "a\r\nb\r\nEND G\r\n");
    form->Command1->click();
    EXPECT_EQ(form->ProgressBar1->Value(), 2);
    EXPECT_EQ(form->ProgressBar1->Max(), 2);
}

TEST_F(InstallTest, InstallWaitsForTheUnzipProgramStillUnpacking) {
    const QString hold = path(QStringLiteral("hold"));
    writeFile(QStringLiteral("hold"), {});
    QDir().mkpath(path(QStringLiteral("inst/PROG")));
    qputenv("PKUNZIP_STANDIN_WAIT", hold.toLocal8Bit());
    qputenv("PKUNZIP_STANDIN_UNPACK", "PROG/late.txt");
    auto form = load("DEST Demo\r\nORIG PROG\r\n", "late.txt\r\nEND G\r\n");
    qunsetenv("PKUNZIP_STANDIN_WAIT");
    qunsetenv("PKUNZIP_STANDIN_UNPACK");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(path(QStringLiteral("inst/pkunzip-waiting"))); }, 10000));
    ASSERT_TRUE(form->Unzip().Running());

    // Let the unzip program go only once Install is (most likely) waiting for it; should the
    // click come late, the test passes without proving the wait, never fails wrongly.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QFile::remove(hold);
    });
    form->Command1->click();
    release.join();
    EXPECT_TRUE(prompter.reports.isEmpty()) << qPrintable(prompter.reports.join(u'\n'));
    EXPECT_EQ(readFile(QStringLiteral("opt/Demo/late.txt")), "unpacked");
}

struct CleanUpCase {
    const char* name;
    QString orig; // %1 stands for a folder beside the installer's
    QStringList left;
};

class CleanUp : public InstallTest, public ::testing::WithParamInterface<CleanUpCase> {};

// Quit without a run: the five names go, and what the "ORIG " value matches, but only in the
// installer's folder and never its dot-files.
TEST_P(CleanUp, DeletesOnlyInTheInstallersFolder) {
    writeWorkingFiles();
    for (const char* name :
         {"inst/x.TMP", "inst/.hidden.tmp", "inst/.config-keep", "inst/sub/a.tmp", "other/a.tmp"})
        writeFile(QString::fromLatin1(name), "x");
    writeFile(QStringLiteral("inst/Setup.Inf"), "ENDHEADER\r\n");
    QDir().mkpath(path(QStringLiteral("inst/ab.tmp")));
    auto form = makeForm();
    ASSERT_TRUE(form->Form_Load());
    ASSERT_FALSE(standinRecord(installer).isEmpty());
    form->Text3 =
        QString(GetParam().orig).replace(QStringLiteral("%1"), path(QStringLiteral("other")));
    quit(*form);
    EXPECT_EQ(installerFiles(), GetParam().left);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("inst/sub/a.tmp"))));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("other/a.tmp"))));
    EXPECT_EQ(ends, QList<int>{0}) << "closing the only window ends the installer";
}

const QStringList kKept{QStringLiteral(".config-keep"), QStringLiteral(".hidden.tmp"),
                        QStringLiteral("ab.tmp"),       QStringLiteral("keep.txt"),
                        QStringLiteral("sub"),          QStringLiteral("x.TMP")};

INSTANTIATE_TEST_SUITE_P(
    Values, CleanUp,
    ::testing::Values(CleanUpCase{"Wildcard", QStringLiteral("*.tmp"),
                                  kKept.mid(0, 5)}, // all but x.TMP
                      CleanUpCase{"Everything",
                                  QStringLiteral("*"),
                                  {QStringLiteral(".config-keep"), QStringLiteral(".hidden.tmp"),
                                   QStringLiteral("ab.tmp"), QStringLiteral("sub")}},
                      CleanUpCase{"ParentFolder", QStringLiteral("../other/*"), kKept},
                      CleanUpCase{"OtherFolder", QStringLiteral("%1/*"), kKept},
                      CleanUpCase{"SubFolder", QStringLiteral("sub/*.tmp"), kKept}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallTest, ARefusedDeletionIsSkippedAndTheNextTried) {
    writeWorkingFiles();
    QDir().mkpath(path(QStringLiteral("inst/PKUNZIP"))); // a folder is never deleted
    auto form = load("ORIG PROG\r\n", "END G\r\n");
    QDir().mkpath(path(QStringLiteral("inst/PROG")));
    quit(*form);
    EXPECT_EQ(installerFiles(), QStringList({QStringLiteral("PKUNZIP"), QStringLiteral("PROG"),
                                             QStringLiteral("keep.txt")}));
}

struct FailureCase {
    const char* name;
    QByteArray header, list;
    std::function<void(Form1&, const QString& installer, const QString& dest)> arrange;
    const char* report;   // %1 the installer's folder, %2 the destination, %3 the desktop
    int pressed = 1;      // how often Install is pressed
    bool refused = false; // before anything is copied
};

class RunFailure : public InstallTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RunFailure, EndsTheInstallerWithItsReportAndWithoutTheCleanUp) {
    const FailureCase& c = GetParam();
    writeWorkingFiles();
    writeFile(QStringLiteral("inst/PROG/a.txt"), "alpha");
    auto form = load("DEST Demo\r\nORIG PROG\r\nSHORTCUT a.txt\r\n" + c.header, c.list);
    if (c.arrange)
        c.arrange(*form, installer, dest());
    for (int i = 0; i < c.pressed; ++i)
        form->Command1->click();
    const QString report = QString::fromLatin1(c.report)
                               .replace(QStringLiteral("%1"), installer)
                               .replace(QStringLiteral("%2"), dest())
                               .replace(QStringLiteral("%3"), desktop);
    EXPECT_EQ(prompter.reports, QStringList(report));
    EXPECT_EQ(ends, QList<int>{1});
    EXPECT_FALSE(form->Text1->Text().endsWith(u"Finished!") && c.pressed == 1);
    if (c.refused) {
        EXPECT_FALSE(form->Text1->Text().contains(u" ==> "));
        EXPECT_FALSE(QFileInfo::exists(dest()));
    }
    quit(*form); // as a window system would; the installer has ended already
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("inst/DATA.DAT"))));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("inst/SETUP.INF"))));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RunFailure,
    ::testing::Values(
        FailureCase{"SourceMissing",
                    "",
                    "a.txt\r\nb.txt\r\nEND G\r\n",
                    {},
                    "The file \"%1/PROG/b.txt\" could not be copied to \"%2/b.txt\": it is not "
                    "in the source folder."},
        FailureCase{"EmptyLine",
                    "",
                    "\r\nEND G\r\n",
                    {},
                    "The file \"%1/PROG/\" could not be copied to \"%2/\": it is not in the "
                    "source folder."},
        FailureCase{"DestinationMissing", "", "a.txt\r\nEND G\r\n",
                    [](Form1& f, auto&, auto&) {
                        f.Text2->setText(f.Text2->text() + QStringLiteral("/x/y"));
                    },
                    "The file \"%1/PROG/a.txt\" could not be copied to \"%2/x/y/a.txt\": the "
                    "folder \"%2/x/y\" does not exist."},
        FailureCase{"SubFolderMissing", "", "sub/a.txt\r\nEND G\r\n",
                    [](Form1&, const QString& installer, auto&) {
                        QDir(installer).mkpath(QStringLiteral("PROG/sub"));
                        QFile::copy(installer + QStringLiteral("/PROG/a.txt"),
                                    installer + QStringLiteral("/PROG/sub/a.txt"));
                    },
                    "The file \"%1/PROG/sub/a.txt\" could not be copied to \"%2/sub/a.txt\": the "
                    "folder \"%2/sub\" does not exist."},
        FailureCase{
            "TargetCannotBeReplaced", "", "a.txt\r\nEND G\r\n",
            [](Form1&, auto&, const QString& dest) { QDir(dest).mkpath(QStringLiteral("a.txt")); },
            "The file \"%1/PROG/a.txt\" could not be copied to \"%2/a.txt\": a folder of "
            "that name is in the way."},
        FailureCase{"ListEndsWithoutEndG",
                    "",
                    "a.txt\r\n",
                    {},
                    "The setup script \"%1/SETUP.INF\" ends before its line \"END G\"."},
        FailureCase{"DestinationEmpty", "", "a.txt\r\nEND G\r\n",
                    [](Form1& f, auto&, auto&) { f.Text2->clear(); },
                    "There is no destination folder: the destination box is empty.", 1, true},
        FailureCase{"SourceOutsideTheInstaller",
                    "ORIG ../PROG\r\n",
                    "a.txt\r\nEND G\r\n",
                    {},
                    "The source folder \"../PROG\" is not in the installer's folder.",
                    1,
                    true},
        FailureCase{"ListLineClimbsOut",
                    "",
                    "a.txt\r\nsub/../../a.txt\r\nEND G\r\n",
                    {},
                    "The file \"sub/../../a.txt\" of the setup script's list leads out of the "
                    "source and the destination folder."},
        FailureCase{"ShortcutNameLeavesTheDesktop",
                    "SHORTCUTNAME ../x\r\n",
                    "a.txt\r\nEND G\r\n",
                    {},
                    "The desktop shortcut's name \"../x\" leads out of the desktop folder.",
                    1,
                    true},
        FailureCase{"ShortcutNameWithALineFeed",
                    "SHORTCUTNAME De\nmo\r\n",
                    "a.txt\r\nEND G\r\n",
                    {},
                    "The desktop shortcut's name \"De\nmo\" holds a control character, which a "
                    "desktop entry cannot hold.",
                    1,
                    true},
        FailureCase{"ShortcutTargetWithAControlCharacter",
                    "SHORTCUT a\x01.exe\r\n",
                    "a.txt\r\nEND G\r\n",
                    {},
                    "The desktop shortcut's target \"%2/a\x01.exe\" holds a control character, "
                    "which a desktop entry cannot hold.",
                    1,
                    true},
        FailureCase{"InstallPressedTwice",
                    "",
                    "END G\r\n",
                    {},
                    "The installation has already run: the setup script \"%1/SETUP.INF\" is "
                    "closed.",
                    2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Wildcards, MatchAsFileNamesDoIgnoringCase) {
    EXPECT_TRUE(WildcardMatches(QStringLiteral("*.tmp"), QStringLiteral("A.TMP")));
    EXPECT_TRUE(WildcardMatches(QStringLiteral("setup.inf"), QStringLiteral("SETUP.INF")));
    EXPECT_TRUE(WildcardMatches(QStringLiteral("a?c"), QStringLiteral("abc")));
    EXPECT_FALSE(WildcardMatches(QStringLiteral("a?c"), QStringLiteral("ac")));
    EXPECT_FALSE(WildcardMatches(QStringLiteral("[ab].txt"), QStringLiteral("a.txt")))
        << "brackets are plain characters";
    EXPECT_FALSE(WildcardMatches(QStringLiteral("PROG"), QStringLiteral("PROG2")));
}

} // namespace
} // namespace setup::test
