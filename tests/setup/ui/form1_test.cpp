// SPDX-License-Identifier: GPL-3.0-or-later
// The installer's window end to end: the stand-in unzip program, then the real kestrix installer.
#include "support/support.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

namespace setup::test {
// Only the unzip program beside the installer will do, never the one on PATH. After a failure
// the installer ends as it is: its files stay for another try.
TEST_F(SetupTest, AFailureEndsTheInstallerUnshownAndWithoutTheCleanUp) {
    ASSERT_TRUE(QFile::rename(installer + u"/PKUNZIP"_s, installer + u"/unzip"_s));
    Form1& form = makeForm();
    EXPECT_FALSE(form.Form_Load());
    EXPECT_EQ(prompter.reports, QStringList(u"The unzip program \"pkunzip\" could not be started: "
                                            "it is not in %1."_s.arg(installer)));
    form.close(); // as a window system would
    EXPECT_EQ(ends, QList<int>{1});
    EXPECT_EQ(QDir(installer).entryList(QDir::Files), QStringList(u"unzip"_s));
}

// The kestrix installer the build makes: it opens with its script's header, its unzip program
// unpacks its archive, Install copies kestrix as the edited controls say, and closing removes
// the installer.
TEST_F(SetupTest, TheKestrixInstallerInstallsKestrixAndRemovesItself) {
    const QDir dist(QStringLiteral(KESTRIX_SETUP_DIR));
    ASSERT_TRUE(QFile::remove(installer + u"/PKUNZIP"_s));
    for (const QString& name : dist.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(dist.filePath(name), installer + u'/' + name)) << qPrintable(name);
    Form1& form = makeForm();
    form.winId(); // the title the desktop shows: an empty one as a blank, not the program's name
    EXPECT_EQ(form.windowHandle()->title(), u" "_s);
    ASSERT_TRUE(form.Form_Load()) << qPrintable(prompter.reports.join(u'\n'));
    EXPECT_EQ(form.windowHandle()->title(), u"Kestrix Installer"_s);
    EXPECT_EQ(QStringList({form.Label2->text(), form.Label3->text(), form.Label4->text(),
                           form.Text2->text(), form.Text3, form.Text4, form.Text5}),
              QStringList({u"Kestrix"_s, u"Copyright 2026 the Kestrix team"_s, u"Version 1.2"_s,
                           root + u"Kestrix"_s, u"KESTRIX"_s, u"Kestrix"_s, u"kestrix"_s}));
    EXPECT_EQ(form.Label2->textFormat(), Qt::PlainText) << "a script's markup is shown as it is";
    EXPECT_TRUE(form.Check1->isVisibleTo(&form) && form.Check1->isChecked());
    EXPECT_EQ(form.ProgressBar1->Max(), 2);
    const QString destination = root + u"Other"_s, info = form.Text1->Text();
    form.Text2->setText(destination);
    form.Check1->setChecked(false);
    QTextCursor selection = form.Text1->textCursor();
    selection.setPosition(0);
    selection.setPosition(7, QTextCursor::KeepAnchor); // "Kestrix"
    form.Text1->setTextCursor(selection);

    form.Command1->click(); // waits for the unzip program
    ASSERT_TRUE(prompter.reports.isEmpty()) << qPrintable(prompter.reports.join(u'\n'));
    // The first line goes in just after the selection; that leaves the caret at the end.
    const QString line = u"\r\n%1/%3 ==> %2/%3"_s;
    EXPECT_EQ(form.Text1->Text(), u"Kestrix"_s + line.arg(installer, destination, u"kestrix"_s) +
                                      info.mid(7) +
                                      line.arg(installer, destination, u"README.md"_s) +
                                      u"\r\nAlmost finished...\r\nFinished!"_s);
    EXPECT_EQ(form.ProgressBar1->Value(), 2);
    const Tree installed = ListTree(destination);
    EXPECT_EQ(installed.keys(), QStringList({u"README.md"_s, u"kestrix"_s}));
    QFile built(QStringLiteral(KESTRIX_BINARY));
    EXPECT_TRUE(built.open(QIODevice::ReadOnly) &&
                installed.value(u"kestrix"_s) == built.readAll());
    EXPECT_TRUE(QFileInfo(destination + u"/kestrix"_s).isExecutable());
    EXPECT_TRUE(QDir(desktop).isEmpty()) << "the box was unticked";
    form.Command2->click();
    EXPECT_EQ(ends, QList<int>{0}) << "closing the only window ends the installer";
    EXPECT_EQ(QDir(installer).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList(u"KESTRIX"_s))
        << "the working files go, the unpacked folder stays";
}

} // namespace setup::test
