// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixture.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

namespace setup::test {
namespace {

// What the window shows after its header; the defaults are those of a bare "ENDHEADER".
struct Shown {
    QString caption = {};
    QString name = QStringLiteral("Name");
    QString copyright = QStringLiteral("Copyright:");
    QString version = QStringLiteral("Version:");
    QString info = {};
    std::optional<QString> dest = {}; // the value after the program-files root; none: box empty
    bool shortcut = false;
    int max = 100;
    QString text3 = QStringLiteral("Text3");
    QString text4 = QStringLiteral("Text4");
    QString text5 = QStringLiteral("Text5");
};

struct HeaderCase {
    const char* name;
    QByteArray script;
    Shown shown;
};

class Header : public SetupTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(Header, FillsTheWindowAsItsKeysSay) {
    writeScript(GetParam().script);
    auto form = makeForm();
    ASSERT_TRUE(form->Form_Load()) << qPrintable(prompter.reports.join(u'\n'));
    const Shown& want = GetParam().shown;
    form->winId(); // the title the desktop shows; an empty one as a blank, not the program's name
    EXPECT_EQ(form->windowHandle()->title(),
              want.caption.isEmpty() ? QStringLiteral(" ") : want.caption);
    for (const QLabel* label : {form->Label2, form->Label3, form->Label4})
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(form->Label2->text(), want.name);
    EXPECT_EQ(form->Label3->text(), want.copyright);
    EXPECT_EQ(form->Label4->text(), want.version);
    EXPECT_EQ(form->Text1->Text(), want.info) << "exact characters of the information box";
    EXPECT_EQ(form->Text2->text(), want.dest ? root + *want.dest : QString());
    EXPECT_EQ(form->Check1->isVisibleTo(form.get()), want.shortcut);
    EXPECT_EQ(form->Check1->isChecked(), want.shortcut);
    EXPECT_EQ(form->ProgressBar1->Max(), want.max);
    EXPECT_EQ(form->ProgressBar1->Value(), 0);
    EXPECT_EQ(form->Text3, want.text3);
    EXPECT_EQ(form->Text4, want.text4);
    EXPECT_EQ(form->Text5, want.text5);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Header,
    ::testing::Values(
        HeaderCase{"EndHeaderFirst", "ENDHEADER\r\ndemo.exe\r\nEND G\r\n", {}},
        HeaderCase{"Example",
                   "NAME Demo\r\nVERSION 1.0\r\nCOPYRIGHT Demo authors\r\nFILES 2\r\n"
                   "DEST Demo\r\nORIG PROG\r\nSHORTCUT demo.exe\r\nSHORTCUTNAME Demo\r\n"
                   "INFO Welcome to the Demo installer.\r\nENDHEADER\r\ndemo.exe\r\n"
                   "readme.txt\r\nEND G\r\n",
                   {.caption = QStringLiteral("Demo Installer"),
                    .name = QStringLiteral("Demo"),
                    .copyright = QStringLiteral("Copyright Demo authors"),
                    .version = QStringLiteral("Version 1.0"),
                    .info = QStringLiteral("Welcome to the Demo installer.\r\n"),
                    .dest = QStringLiteral("Demo"),
                    .shortcut = true,
                    .max = 2,
                    .text3 = QStringLiteral("PROG"),
                    .text4 = QStringLiteral("Demo"),
                    .text5 = QStringLiteral("demo.exe")}},
        HeaderCase{"NameWithTwoBlanks",
                   "NAME  Demo\r\nENDHEADER",
                   {.caption = QStringLiteral(" Demo Installer"), .name = QStringLiteral(" Demo")}},
        HeaderCase{"OtherCaseOrNoBlankIgnored",
                   "name Demo\r\nNAMEDemo\r\nFiles 3\r\nDEST\r\nInfo x\r\nShortcut a\r\n"
                   "; a comment\r\n\r\nENDHEADER\r\n",
                   {}},
        HeaderCase{"MarkupIsPlainText",
                   "NAME <i>co</i> [*] &amp;\r\nCOPYRIGHT <b>b</b>\r\nENDHEADER\r\n",
                   {.caption = QStringLiteral("<i>co</i> [*] &amp; Installer"),
                    .name = QStringLiteral("<i>co</i> [*] &amp;"),
                    .copyright = QStringLiteral("Copyright <b>b</b>")}},
        HeaderCase{"DestDemo", "DEST Demo\r\nENDHEADER\r\n", {.dest = QStringLiteral("Demo")}},
        HeaderCase{"DestEmpty", "DEST \r\nENDHEADER\r\n", {.dest = QString()}},
        HeaderCase{"ThreeInfoLines",
                   "INFO Hello\r\nINFO \r\nINFO World\r\nENDHEADER\r\n",
                   {.info = QStringLiteral("Hello\r\n\r\n\r\nWorld\r\n")}},
        HeaderCase{"FilesLenient", "FILES 12abc\r\nENDHEADER\r\n", {.max = 12}},
        HeaderCase{"FilesNegative", "FILES -3\r\nENDHEADER\r\n", {.max = 0}},
        HeaderCase{"ShortcutWithoutName",
                   "SHORTCUT demo.exe\r\nENDHEADER\r\n",
                   {.shortcut = true, .text5 = QStringLiteral("demo.exe")}},
        HeaderCase{"LastKeyWins",
                   "NAME A\r\nNAME B\r\nFILES 3\r\nFILES 4\r\nCOPYRIGHT a\r\nCOPYRIGHT b\r\n"
                   "SHORTCUTNAME p\r\nSHORTCUTNAME q\r\nDEST a\r\nDEST b\r\nORIG x\r\n"
                   "ORIG y\r\nVERSION 1\r\nVERSION 2\r\nENDHEADER\r\n",
                   {.caption = QStringLiteral("B Installer"),
                    .name = QStringLiteral("B"),
                    .copyright = QStringLiteral("Copyright b"),
                    .version = QStringLiteral("Version 2"),
                    .dest = QStringLiteral("b"),
                    .max = 4,
                    .text3 = QStringLiteral("y"),
                    .text4 = QStringLiteral("q")}},
        HeaderCase{"CrOnlyLines",
                   "NAME Demo\rVERSION 1.0 \rENDHEADER\r",
                   {.caption = QStringLiteral("Demo Installer"),
                    .name = QStringLiteral("Demo"),
                    .version = QStringLiteral("Version 1.0 ")}},
        HeaderCase{"LfInsideLines",
                   "NAME De\nmo\r\nINFO a\nb\r\nENDHEADER\nx\r\nENDHEADER\r\n",
                   {.caption = QStringLiteral("De\nmo Installer"),
                    .name = QStringLiteral("De\nmo"),
                    .info = QStringLiteral("a\nb\r\n")}},
        HeaderCase{"Latin1",
                   "COPYRIGHT \xa9 2026 J\xfcrgen\r\nENDHEADER\r\n",
                   {.copyright = QStringLiteral(u"Copyright \u00a9 2026 J\u00fcrgen")}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::optional<QByteArray> script; // none: no script at all
    const char* report;               // %1 stands for the installer's folder
};

class LoadFailure : public SetupTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoadFailure, IsReportedAndKeepsTheWindowFromShowing) {
    if (GetParam().script)
        writeScript(*GetParam().script);
    auto form = makeForm();
    EXPECT_FALSE(form->Form_Load());
    QString report = QString::fromLatin1(GetParam().report);
    if (report.contains(u"%1"))
        report = report.arg(installer);
    EXPECT_EQ(prompter.reports, QStringList(report));
    EXPECT_EQ(ends, QList<int>{1}) << "the installer ends with a failure status";
    EXPECT_FALSE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, LoadFailure,
    ::testing::Values(
        FailureCase{"Missing", std::nullopt, "The setup script \"SETUP.INF\" was not found in %1."},
        FailureCase{"Empty", "",
                    "The setup script \"%1/SETUP.INF\" ends before its line \"ENDHEADER\"."},
        FailureCase{"NoEndHeader", "NAME Demo\r\nENDHEADER \r\nendheader\r\n",
                    "The setup script \"%1/SETUP.INF\" ends before its line \"ENDHEADER\"."},
        FailureCase{"FilesTooLarge", "FILES 2147483648\r\nENDHEADER\r\n",
                    "The number of files \"2147483648\" in the setup script is too large."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupTest, TheUnzipProgramBesideTheInstallerIsStartedThereBeforeTheScriptIsRead) {
    auto form = makeForm();
    EXPECT_FALSE(form->Form_Load()) << "there is no script";
    EXPECT_EQ(QDir::currentPath(), installer);
    EXPECT_EQ(standinRecord(installer),
              QStringList({installer, installer + QStringLiteral("/pkunzip"), QStringLiteral("-d"),
                           QStringLiteral("-o"), QStringLiteral("data.dat")}))
        << "working folder, program, arguments";
}

struct LookupCase {
    const char* name;
    const char* beside; // what the stand-in beside the installer is renamed to; none: removed
    bool executable;
};

class UnzipLookup : public SetupTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(UnzipLookup, TakesOnlyTheProgramBesideTheInstallerWhateverItsLetterCase) {
    const LookupCase& c = GetParam();
    copyStandin(path(QStringLiteral("bin"))); // one on the search path never counts
    const QString standin = QDir(installer).filePath(QStringLiteral("pkunzip"));
    const QString beside = QDir(installer).filePath(QString::fromLatin1(c.beside));
    ASSERT_TRUE(c.beside ? QFile::rename(standin, beside) : QFile::remove(standin));
    if (c.beside && !c.executable)
        QFile::setPermissions(beside, QFile::ReadOwner | QFile::WriteOwner);
    writeScript("ENDHEADER\r\n");
    auto form = makeForm();
    ASSERT_EQ(form->Form_Load(), c.executable);
    if (c.executable)
        EXPECT_EQ(standinRecord(installer).value(1), beside);
    else
        EXPECT_EQ(prompter.reports, QStringList(QStringLiteral("The unzip program \"pkunzip\" "
                                                               "could not be started: it is not "
                                                               "in %1.")
                                                    .arg(installer)));
}

INSTANTIATE_TEST_SUITE_P(Folders, UnzipLookup,
                         ::testing::Values(LookupCase{"OtherLetterCase", "PKUNZIP", true},
                                           LookupCase{"NotExecutable", "PkUnzip", false},
                                           LookupCase{"OnlyOnTheSearchPath", nullptr, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupTest, TheScriptIsFoundWhateverItsLetterCase) {
    writeFile(QStringLiteral("inst/Setup.inf"), "NAME Demo\r\nENDHEADER\r\n");
    auto form = makeForm();
    EXPECT_TRUE(form->Form_Load());
    EXPECT_EQ(form->Label2->text(), QStringLiteral("Demo"));
}

TEST_F(SetupTest, TheWindowHasTheDesignsShape) {
    auto form = makeForm();
    EXPECT_EQ(form->size(), QSize(521, 421));
    EXPECT_TRUE(form->windowFlags() & Qt::Tool) << "no taskbar button";
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->Command1->text(), QStringLiteral("Install"));
    EXPECT_EQ(form->Command2->text(), QStringLiteral("Quit"));
    EXPECT_EQ(form->Check1->text(), QStringLiteral("Create a Desktop shortcut?"));
    EXPECT_EQ(form->Label5->text(), QStringLiteral("Destination:"));
    EXPECT_FALSE(form->Label1->isEnabled());
    EXPECT_EQ(form->Text2->geometry(), QRect(80, 352, 433, 19));
}

} // namespace
} // namespace setup::test
