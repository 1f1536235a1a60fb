// SPDX-License-Identifier: GPL-3.0-or-later
// The kestrix installer that the build makes, run for real: its unzip program unpacks its
// archive, Install copies kestrix into a temporary destination, closing removes the installer.
#include "support/fixture.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace setup::test {
namespace {

TEST_F(SetupTest, TheKestrixInstallerInstallsKestrixAndRemovesItself) {
    const QDir dist(QStringLiteral(KESTRIX_SETUP_DIR));
    ASSERT_TRUE(QFile::remove(QDir(installer).filePath(QStringLiteral("pkunzip"))));
    for (const QString& name : dist.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(dist.filePath(name), QDir(installer).filePath(name)))
            << qPrintable(name);

    auto form = makeForm();
    ASSERT_TRUE(form->Form_Load()) << qPrintable(prompter.reports.join(u'\n'));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kestrix Installer"));
    const QString destination = root + QStringLiteral("Kestrix");
    EXPECT_EQ(form->Text2->text(), destination);
    EXPECT_TRUE(form->Check1->isChecked());

    form->Command1->click(); // waits for the unzip program
    ASSERT_TRUE(prompter.reports.isEmpty()) << qPrintable(prompter.reports.join(u'\n'));
    for (const auto& [installed, built] :
         {std::pair{QStringLiteral("kestrix"), QStringLiteral(KESTRIX_BINARY)},
          std::pair{QStringLiteral("README.md"), QStringLiteral(KESTRIX_README)}}) {
        QFile a(QDir(destination).filePath(installed)), b(built);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly)) << "not installed: " << qPrintable(installed);
        ASSERT_TRUE(b.open(QIODevice::ReadOnly)) << qPrintable(built);
        EXPECT_TRUE(a.readAll() == b.readAll())
            << qPrintable(installed) << " differs from the build";
    }
    EXPECT_TRUE(QFileInfo(QDir(destination).filePath(QStringLiteral("kestrix"))).isExecutable());
    EXPECT_TRUE(readFile(QStringLiteral("Desktop/Kestrix.desktop"))
                    .contains("\nExec=\"" + destination.toUtf8() + "/kestrix\"\n"));
    EXPECT_TRUE(form->Text1->Text().endsWith(u"\r\nFinished!"));

    quit(*form);
    QStringList left = QDir(installer).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, QStringList(QStringLiteral("KESTRIX")))
        << "the working files go, the unpacked folder stays";
}

} // namespace
} // namespace setup::test
