// SPDX-License-Identifier: GPL-3.0-or-later
// The four "Local Operations" buttons: their command lines, and end to end with the stand-in.
#include "ops/local.h"

#include "support/fixture.h"
#include "window/lists.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace kestrix::test {
namespace {

struct LineCase {
    LocalOp op;
    const char* folder;
    const char* name;
    const char* line;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.line;
}

class LocalCommandLineTest : public ::testing::TestWithParam<LineCase> {};

// Composed with the Windows separator; the tool must get back exactly the folder and file.
TEST_P(LocalCommandLineTest, ComposesAndReachesTheToolIntact) {
    const LineCase& c = GetParam();
    const QString folder = QString::fromUtf8(c.folder);
    const QString name = QString::fromUtf8(c.name);
    const QString line = LocalCommandLine(c.op, folder, name, u'\\');
    EXPECT_EQ(line, QString::fromUtf8(c.line));
    EXPECT_EQ(SplitCommandLine(line).mid(2),
              QStringList({folder + u'\\' + name, QStringLiteral("-o=") + folder}))
        << "the tool would get other paths than the browser shows";
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, LocalCommandLineTest,
    ::testing::Values(
        LineCase{LocalOp::Checksum, R"(C:\ROMS)", "GAME.SMC",
                 R"(ucon64 --chk "C:\ROMS\GAME.SMC" -o="C:\ROMS")"},
        // A drive root keeps its own backslash; the one before the closing quote is doubled.
        LineCase{LocalOp::Checksum, R"(C:\)", "GAME.SMC",
                 R"(ucon64 --chk "C:\\GAME.SMC" -o="C:\\")"},
        LineCase{LocalOp::Convert, R"(C:\My ROMS)", "Super Game.sfc",
                 R"(ucon64 -swc "C:\My ROMS\Super Game.sfc" -o="C:\My ROMS")"}));

// 16 Mbit, no SRAM, with the copier header's id: what the panel shows for it is "16".
QByteArray swcImage(const char* id = "AABB04") {
    return QByteArray::fromHex("000100") + QByteArray(5, '\0') + QByteArray::fromHex(id) +
           QByteArray(512 - 11, '\0') + QByteArray(4096, '\xff');
}

class LocalOpsTest : public KestrixTest {
protected:
    void SetUp() override {
        KestrixTest::SetUp();
        writeFile(QStringLiteral("c/roms/A.SWC"));
    }
    // Opens the start folder with name selected, and the working folder elsewhere.
    void select(const QString& name) {
        form = makeForm();
        const int row = static_cast<int>(form->File1->fileNames().indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString() << " is not listed";
        form->File1->setListIndex(row);
        QDir::setCurrent(data);
    }
    std::unique_ptr<Form1> form;
};

struct ButtonCase {
    const char* caption;
    QPushButton* Form1::*button;
    const char* option;
    const char* file;
    QByteArray bytes;
    const char* written;
    int selectedAfter; // A.SWC is at row 0, the file at row 1
    const char* sizeShown;
    bool inProgramFolder;
};

void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.caption;
}

class LocalButtonTest : public LocalOpsTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(LocalButtonTest, RunsTheToolOnTheSelectedFileAndFollowsIt) {
    const ButtonCase& c = GetParam();
    const QString file = QString::fromUtf8(c.file);
    writeFile(QStringLiteral("c/roms/") + file, c.bytes);
    select(file);
    form->Label2->clear();
    QSignalSpy clicks(form->File1, &FileListBox::fileClicked);

    (form.get()->*c.button)->click();

    ASSERT_EQ(invocations().size(), 1);
    const QString folder = QDir::cleanPath(work);
    EXPECT_EQ(invocations()[0].argv, QStringList({QString::fromUtf8(c.option), folder + u'/' + file,
                                                  QStringLiteral("-o=") + folder}));
    const QString expectedCwd = c.inProgramFolder ? programFolder : data;
    EXPECT_EQ(invocations()[0].cwd, QDir(expectedCwd).canonicalPath());
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(expectedCwd).canonicalPath())
        << "only the fixes leave the working folder current";
    EXPECT_TRUE(form->File1->fileNames().contains(QString::fromUtf8(c.written)))
        << "the tool's new file must show in the list";
    EXPECT_EQ(form->File1->fileName(), file);
    EXPECT_EQ(form->File1->listIndex(), c.selectedAfter);
    EXPECT_GE(clicks.count(), 1);
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8(c.sizeShown)) << "the header is read again";
    EXPECT_FALSE(form->Slot1().isOpen());
    EXPECT_TRUE(prompter.shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EachButton, LocalButtonTest,
    ::testing::Values(ButtonCase{"Slowrom Fix", &Form1::Command3, "-l", "GAME.SWC", swcImage(),
                                 "GAME.bak", 2, "16", true},
                      ButtonCase{"Fix Checksum", &Form1::Command4, "--chk", "GAME.SWC", swcImage(),
                                 "GAME.bak", 2, "16", true},
                      ButtonCase{"PAL/NTSC Fix", &Form1::Command5, "-f", "GAME.SWC", swcImage(),
                                 "GAME.bak", 2, "16", true},
                      // Only a lower-case .smc is shown as dashes unread; the others are read and,
                      // having no id, leave the panel as it was.
                      ButtonCase{"Convert .smc", &Form1::Command7, "-swc", "game.smc",
                                 swcImage("AABB40"), "game.swc", 1, "---", false},
                      ButtonCase{"Convert .SMC", &Form1::Command7, "-swc", "GAME.SMC",
                                 swcImage("AABB40"), "GAME.swc", 1, "", false},
                      ButtonCase{"Convert .sfc", &Form1::Command7, "-swc", "GAME.sfc",
                                 swcImage("AABB40"), "GAME.swc", 1, "", false},
                      ButtonCase{"Convert short", &Form1::Command7, "-swc", "SHORT.sfc",
                                 QByteArray::fromHex("0000000000000000AABB"), "SHORT.swc", 1, "",
                                 false}));

TEST_F(LocalOpsTest, ConvertRefusesAnImageThatAlreadyCarriesTheId) {
    writeFile(QStringLiteral("c/roms/GAME.SWC"), swcImage());
    select(QStringLiteral("GAME.SWC"));
    prompter.answer(Prompter::Answer::Ok);

    form->Command7->click();

    ASSERT_EQ(prompter.shown().size(), 1);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("ROM is already in SWC format!"));
    EXPECT_EQ(prompter.shown()[0].title, QStringLiteral("Note"));
    EXPECT_EQ(prompter.shown()[0].buttons, Prompter::Buttons::Ok);
    EXPECT_TRUE(invocations().isEmpty()) << "the tool must not be started";
    EXPECT_FALSE(form->Slot1().isOpen());
}

// Given the folder, the tool would rewrite every file in it.
TEST_F(LocalOpsTest, NoButtonRunsWithoutAReadableSelectedFile) {
    writeFile(QStringLiteral("c/roms/GONE.SWC"));
    select(QStringLiteral("GONE.SWC"));
    QFile::remove(path(QStringLiteral("c/roms/GONE.SWC")));
    prompter.answer(Prompter::Answer::Ok);
    form->Command7->click();

    form->File1->setListIndex(-1);
    for (QPushButton* button : {form->Command3, form->Command4, form->Command5, form->Command7}) {
        prompter.answer(Prompter::Answer::Ok);
        button->click();
    }

    const QString folder = QDir::cleanPath(work);
    ASSERT_EQ(prompter.shown().size(), 5);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Cannot read \"") + folder +
                                                    QStringLiteral("/GONE.SWC\" (")))
        << prompter.shown()[0].text.toStdString();
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(prompter.shown()[i].text, QStringLiteral("Cannot read \"") + folder +
                                                QStringLiteral("/\" (no file is selected)."));
    EXPECT_TRUE(invocations().isEmpty());
    EXPECT_EQ(QDir(work).entryList(QDir::Files), QStringList(QStringLiteral("A.SWC")));
}

} // namespace
} // namespace kestrix::test
