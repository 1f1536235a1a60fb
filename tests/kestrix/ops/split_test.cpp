// SPDX-License-Identifier: GPL-3.0-or-later
// "Split": the size rules, the command lines, and parts written into a folder or onto disks.
#include "ops/files.h"
#include "ops/split.h"

#include "support/disk_box.h"
#include "support/fixture.h"
#include "window/lists.h"

#include <QPushButton>

namespace kestrix::test {
namespace {

TEST(SplitRulesTest, SizeValueFloppyModeAndOrder) {
    const std::vector<std::pair<const char*, double>> sizes{
        {"11", 11}, {"11.5", 11.5}, {"1 0", 10}, {" 12abc", 12}, {"abc", 0}, {"", 0}, {".5", .5}};
    for (const auto& [text, value] : sizes)
        EXPECT_EQ(SizeValue(QString::fromUtf8(text)), value) << text;
    EXPECT_EQ(SizeOption(QStringLiteral(" 1 0 ")), QStringLiteral("10"));

    EXPECT_TRUE(IsFloppyDestination(QStringLiteral("A:\\")));
    EXPECT_TRUE(IsFloppyDestination(QStringLiteral("A:\\SETS")));
    EXPECT_FALSE(IsFloppyDestination(QStringLiteral("a:\\")));
    EXPECT_FALSE(IsFloppyDestination(QStringLiteral(" A:\\")));

    QStringList parts{QStringLiteral("G.10"), QStringLiteral("G.2"), QStringLiteral("G.1"),
                      QStringLiteral("G.9")};
    std::sort(parts.begin(), parts.end(), PartNumberLess);
    EXPECT_EQ(parts.join(u' '), QStringLiteral("G.1 G.2 G.9 G.10"));
}

TEST(SplitRulesTest, CommandLinesWithTheWindowsSeparator) {
    const QString root = QStringLiteral("C:\\");
    const QString name = QStringLiteral("GAME.SWC");
    EXPECT_EQ(SplitToolLine(QStringLiteral("8"), root, name, QStringLiteral("D:\\SETS"), u'\\'),
              QStringLiteral("ucon64 -s --ssize=8 \"C:\\\\GAME.SWC\" -o=\"D:\\SETS\""));
    // The staging folder, and a drive root as destination: its backslash is doubled before
    // the closing quote so the tool gets C:\ and not C:".
    EXPECT_EQ(SplitToolLine(QStringLiteral("11"), root, name, QStringLiteral("C:\\Temp"), u'\\'),
              QStringLiteral("ucon64 -s --ssize=11 \"C:\\\\GAME.SWC\" -o=\"C:\\Temp\""));
    EXPECT_EQ(
        SplitCommandLine(SplitToolLine(QStringLiteral("4"), root, name, root, u'\\')),
        QStringList({QStringLiteral("ucon64"), QStringLiteral("-s"), QStringLiteral("--ssize=4"),
                     QStringLiteral("C:\\\\GAME.SWC"), QStringLiteral("-o=C:\\")}));
}

class SplitTest : public KestrixTest {
protected:
    void SetUp() override {
        KestrixTest::SetUp();
        disks = std::make_unique<DiskBox>(floppy, path(QStringLiteral("box")));
    }
    void selectImage(qsizetype bodyBytes) {
        writeFile(QStringLiteral("c/roms/GAME.SWC"), RomImage(bodyBytes));
        form = makeForm();
        form->File1->setListIndex(0);
    }
    // Answers each disk prompt by putting a fresh disk in.
    void expectDiskPrompts(int count) {
        for (int disk = 1; disk <= count; ++disk)
            prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    }
    QStringList stagingFiles() const { return QDir(staging).entryList(QDir::Files); }

    std::unique_ptr<DiskBox> disks;
    std::unique_ptr<Form1> form;
};

struct SizeCase {
    const char* destination;
    std::vector<const char*> sizes; // the size answer, then each size-limit answer
    const char* option;
    bool staged;
};

class SplitSizeTest : public SplitTest, public ::testing::WithParamInterface<SizeCase> {};

// The image is smaller than any part, so the tool writes nothing and no disk is asked for.
TEST_P(SplitSizeTest, AsksAgainAboveElevenOnlyForTheFloppy) {
    const SizeCase& c = GetParam();
    selectImage(Mbit);
    prompter.type(QString::fromUtf8(c.destination));
    for (const char* size : c.sizes)
        prompter.type(QString::fromUtf8(size));
    prompter.answer(Prompter::Answer::Ok);

    form->Command1->click();

    QStringList expected{QStringLiteral("Please enter destination directory!"),
                         QStringLiteral("Please enter size (in MBit; 8MBit = 1MByte) per part.")};
    for (std::size_t i = 1; i < c.sizes.size(); ++i)
        expected.append(QStringLiteral("Sorry, a 1.44MB floppy disk can hold a maximum of 11 Mbit. "
                                       "Please select a different size."));
    expected.append(NoPartsMessage());
    EXPECT_EQ(prompter.texts(), expected);
    EXPECT_EQ(prompter.shown()[0].preset, QStringLiteral("A:\\"));
    EXPECT_EQ(prompter.shown()[1].title, QStringLiteral("Kestrix"));
    EXPECT_EQ(prompter.shown()[1].preset, QStringLiteral("8"));
    ASSERT_EQ(invocations().size(), 1);
    EXPECT_EQ(invocations()[0].argv,
              QStringList({QStringLiteral("-s"), QString::fromUtf8(c.option),
                           QDir::cleanPath(work) + QStringLiteral("/GAME.SWC"),
                           QStringLiteral("-o=") + (c.staged ? staging : floppy)}));
    EXPECT_EQ(invocations()[0].cwd, QDir(programFolder).canonicalPath());
    EXPECT_EQ(QDir(floppy).entryList(QDir::Files), QStringList()) << "the probe is deleted";
}

INSTANTIATE_TEST_SUITE_P(Sizes, SplitSizeTest,
                         ::testing::Values(SizeCase{"A:\\", {"11"}, "--ssize=11", true},
                                           SizeCase{
                                               "A:\\", {"12", "11.5", "1 0"}, "--ssize=10", true},
                                           SizeCase{"A:\\", {"3"}, "--ssize=3", true},
                                           SizeCase{"a:\\", {"12"}, "--ssize=12", false}));

TEST_F(SplitTest, IntoAFolderWithBlanks) {
    selectImage(5 * Mbit);
    makeFolder(QStringLiteral("d/my sets"));
    prompter.type(path(QStringLiteral("d/my sets")));
    prompter.type(QStringLiteral("4"));
    prompter.answer(Prompter::Answer::Ok);

    form->Command1->click();

    EXPECT_EQ(prompter.texts().last(), QStringLiteral("Done!"));
    EXPECT_EQ(QDir(path(QStringLiteral("d/my sets"))).entryList(QDir::Files),
              QStringList({QStringLiteral("GAME.1"), QStringLiteral("GAME.2")}));
    EXPECT_TRUE(stagingFiles().isEmpty());
}

TEST_F(SplitTest, OnlyThisSplitsPartsGoOntoDisksAndLeaveStaging) {
    selectImage(9 * Mbit);
    writeFile(QStringLiteral("staging/OLD.1"), "left from before");
    prompter.type(QStringLiteral("A:\\"));
    prompter.type(QStringLiteral("4"));
    expectDiskPrompts(3);
    prompter.answer(Prompter::Answer::Ok);

    form->Command1->click();
    disks->eject();

    EXPECT_EQ(prompter.texts().last(), QStringLiteral("Done!"));
    for (int disk = 1; disk <= 3; ++disk)
        EXPECT_EQ(disks->files(disk), QStringList(QStringLiteral("GAME.%1").arg(disk)));
    EXPECT_EQ(stagingFiles(), QStringList(QStringLiteral("OLD.1")));
}

TEST_F(SplitTest, CheckDiskCancelRunsNothing) {
    selectImage(Mbit);
    QDir(floppy).removeRecursively(); // no disk
    prompter.type(QStringLiteral("A:\\"));
    prompter.answer(Prompter::Answer::Ok);
    prompter.answer(Prompter::Answer::Cancel);

    form->Command1->click();

    const QString noDisk = QStringLiteral("No disk, invalid format or not formatted. Please take "
                                          "necessary actions and try again by clicking OK.");
    EXPECT_EQ(prompter.texts().mid(1), QStringList({noDisk, noDisk}));
    EXPECT_EQ(prompter.shown()[1].buttons, Prompter::Buttons::OkCancel);
    EXPECT_TRUE(invocations().isEmpty());
}

TEST_F(SplitTest, ProbeLeavesAUsersTestFileAlone) {
    selectImage(Mbit);
    writeFile(QStringLiteral("floppy/test.t"), "mine");
    prompter.type(QStringLiteral("A:\\"));
    prompter.type({}); // Cancel at the size

    form->Command1->click();

    EXPECT_EQ(readFile(QStringLiteral("floppy/test.t")), QByteArray("mine"));
    EXPECT_EQ(QDir(floppy).entryList(QDir::Files), QStringList(QStringLiteral("test.t")));
    EXPECT_TRUE(invocations().isEmpty());
}

// A disk that takes no copy: Retry once in vain, then with a disk in, then Cancel on the next.
TEST_F(SplitTest, FailedCopyOffersRetryAndCancelKeepsTheRestInStaging) {
    selectImage(9 * Mbit);
    prompter.type(QStringLiteral("A:\\"));
    prompter.type(QStringLiteral("4"));
    expectDiskPrompts(1);
    prompter.answer(Prompter::Answer::Ok, [this] {
        disks->eject();
        QDir(floppy).removeRecursively();
    });
    prompter.answer(Prompter::Answer::Retry);
    prompter.answer(Prompter::Answer::Retry, [this] { disks->insert(2); });
    prompter.answer(Prompter::Answer::Ok, [this] {
        disks->eject();
        QDir(floppy).removeRecursively();
    });
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);

    form->Command1->click();

    const QStringList texts = prompter.texts();
    ASSERT_EQ(texts.size(), 9);
    EXPECT_TRUE(texts[4].startsWith(QStringLiteral("Could not copy GAME.2 to \"") + floppy));
    EXPECT_EQ(prompter.shown()[4].buttons, Prompter::Buttons::RetryCancel);
    EXPECT_TRUE(texts[7].startsWith(QStringLiteral("Could not copy GAME.3")));
    EXPECT_EQ(texts[8], DiskCopyStoppedMessage({QStringLiteral("GAME.3")}, staging));
    EXPECT_EQ(disks->files(2), QStringList(QStringLiteral("GAME.2")));
    EXPECT_EQ(stagingFiles(), QStringList(QStringLiteral("GAME.3")));
}

TEST(CopyReplacingTest, FailureKeepsTheOldTarget) {
    QTemporaryDir tmp;
    const QString from = tmp.filePath(QStringLiteral("from"));
    const QString to = tmp.filePath(QStringLiteral("to"));
    QFile(from).open(QIODevice::WriteOnly);
    QFile old(to);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    EXPECT_FALSE(CopyReplacing(tmp.filePath(QStringLiteral("missing")), to).isEmpty());
    EXPECT_FALSE(CopyReplacing(from, tmp.filePath(QStringLiteral("no/such/folder"))).isEmpty());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
}

} // namespace
} // namespace kestrix::test
