// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"
#include "core/shortcut.h"
#include "support/fixture.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace setup::test {
namespace {

struct ShortcutCase {
    const char* name;
    QString shortcutName, target;
    const char* fileName;
    QByteArray name_line, exec_line; // as written into the entry
};

class ShortcutEntry : public SetupTest, public ::testing::WithParamInterface<ShortcutCase> {};

TEST_P(ShortcutEntry, IsAValidExecutableDesktopEntryWithTheFourFields) {
    const ShortcutCase& c = GetParam();
    auto form = makeForm();
    const QString work = root + QStringLiteral("Demo");
    ASSERT_TRUE(form->Create_ShortCut(work + u'/' + c.target, QStringLiteral("Desktop"),
                                      c.shortcutName, work, 0, 0));
    const QString file = desktop + u'/' + QString::fromUtf8(c.fileName);
    QFile entry(file);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << "no shortcut at " << qPrintable(file);
    const QByteArray text = entry.readAll();
    const QByteArray workUtf8 = work.toUtf8();
    for (const QByteArray& line :
         {QByteArray("[Desktop Entry]"), QByteArray("Type=Application"), c.name_line,
          "Exec=\"" + workUtf8 + '/' + c.exec_line + '"', "Path=" + workUtf8,
          "Icon=" + workUtf8 + '/' + c.target.toUtf8().replace("\\", "\\\\"),
          QByteArray("X-IconIndex=0"), QByteArray("X-WindowStyle=0")})
        EXPECT_TRUE(text.split('\n').contains(line)) << line.constData() << " not in\n"
                                                     << text.constData();
    EXPECT_TRUE(entry.permissions() & QFile::ExeOwner) << "desktops start only executable entries";

    const QString validator = QStandardPaths::findExecutable(
        QStringLiteral("desktop-file-validate"),
        {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")});
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate (desktop-file-utils) is missing";
    QProcess validate;
    validate.start(validator, {file});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().constData();
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShortcutEntry,
    ::testing::Values(
        ShortcutCase{"Plain", QStringLiteral("Demo"), QStringLiteral("demo"), "Demo.desktop",
                     "Name=Demo", "demo"},
        ShortcutCase{"EmptyName", QString(), QStringLiteral("demo"), ".desktop", "Name=", "demo"},
        ShortcutCase{"NoNameGiven", QStringLiteral("Text4"), QStringLiteral("demo"),
                     "Text4.desktop", "Name=Text4", "demo"},
        // Quotes, dollars, backticks and backslashes are escaped for the shell-like quoting and
        // then once more as a string value; a percent sign is doubled.
        ShortcutCase{"ReservedCharacters", QStringLiteral(" My\nDemo"),
                     QStringLiteral(R"(my "demo" $HOME `x` 100% a\b)"), " My\nDemo.desktop",
                     R"(Name=\sMy\nDemo)", R"(my \\"demo\\" \\$HOME \\`x\\` 100%% a\\\\b)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupTest, AShortcutThatCannotBeWrittenEndsTheInstaller) {
    writeFile(QStringLiteral("Desktop/Demo.desktop/in-the-way"), "x");
    auto form = makeForm();
    EXPECT_FALSE(form->Create_ShortCut(QStringLiteral("/opt/Demo/demo"), QStringLiteral("Desktop"),
                                       QStringLiteral("Demo"), QStringLiteral("/opt/Demo"), 0, 0));
    ASSERT_EQ(prompter.reports.size(), 1);
    EXPECT_TRUE(prompter.reports[0].startsWith(
        QStringLiteral("The desktop shortcut \"%1/Demo.desktop\" could not be written: ")
            .arg(desktop)));
    EXPECT_EQ(ends, QList<int>{1});
}

TEST(DesktopFolder, IsReadAsXdgUserDirsReadsIt) {
    const QString home = QStringLiteral("/home/u");
    for (const auto& [userDirs, folder] :
         std::initializer_list<std::pair<const char*, const char*>>{
             {"", "/home/u/Desktop"},
             {R"(XDG_DESKTOP_DIR="$HOME/My \"Desk\"")", R"(/home/u/My "Desk")"},
             {R"( XDG_DESKTOP_DIR = "/data/a\\b \$x" # by hand)", R"(/data/a\b $x)"},
             {R"(XDG_DESKTOP_DIR="$HOME/")", "/home/u"},
             {"XDG_DESKTOP_DIR=\"/first\"\nXDG_DESKTOP_DIR=\"/second\"\n", "/second"},
             {"#XDG_DESKTOP_DIR=\"/x\"\nXDG_DESKTOP_DIR=\"Desk\"\nXDG_MUSIC_DIR=\"/m\"",
              "/home/u/Desktop"}})
        EXPECT_EQ(DesktopFolder(QString::fromUtf8(userDirs), home), QString::fromUtf8(folder))
            << userDirs;
}

} // namespace
} // namespace setup::test
