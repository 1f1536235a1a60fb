// SPDX-License-Identifier: GPL-3.0-or-later
// "Split": the size rules, the command lines, and parts written into a folder or onto disks.
#include "ops/files.h"
#include "ops/parts.h"
#include "ops/split.h"

#include "support/disk_box.h"
#include "support/fixture.h"
#include "window/lists.h"

#include <QPushButton>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The image is smaller than any part, so the tool writes nothing and says so in its window.
TEST_P(SplitSizeTest, AsksAgainAboveElevenOnlyForTheFloppy) {
    const SizeCase& c = GetParam();
    selectImage(Mbit);
    prompter.type(QString::fromUtf8(c.destination));
    for (const char* size : c.sizes)
        prompter.type(QString::fromUtf8(size));

    form->Command1->click();

    QStringList expected{QStringLiteral("Please enter destination directory!"),
                         QStringLiteral("Please enter size (in MBit; 8MBit = 1MByte) per part.")};
    for (std::size_t i = 1; i < c.sizes.size(); ++i)
        expected.append(QStringLiteral("Sorry, a 1.44MB floppy disk can hold a maximum of 11 Mbit. "
                                       "Please select a different size."));
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

// The staging folder is open to others, as another user's would be, so a private one is taken.
TEST_F(SplitTest, OnlyThisSplitsPartsGoOntoDisksAndLeaveStaging) {
    selectImage(9 * Mbit);
    writeFile(QStringLiteral("staging/OLD.1"), "left from before");
    QFile::setPermissions(staging,
                          QFile::permissions(staging) | QFile::ReadOther | QFile::ExeOther);
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
    EXPECT_TRUE(QDir(staging + QStringLiteral("-2")).isEmpty());
    EXPECT_EQ(prompter.shown()[3].text, DiskPrompt());
    EXPECT_EQ(prompter.shown()[3].detail, QStringLiteral("GAME.2: part 2 of 3"));
    EXPECT_EQ(prompter.shown()[3].buttons, Prompter::Buttons::OkCancel);
}

// The tool reports success however little it wrote; nothing goes further then.
TEST_F(SplitTest, PartsCutShortAreNamedAndGoNoFurther) {
    for (const char* destination : {"a:\\", "A:\\"}) {
        selectImage(9 * Mbit);
        qputenv("STANDIN_ROOM", QByteArray::number(512 + 4 * Mbit + 1000));
        prompter.type(QString::fromLatin1(destination));
        prompter.type(QStringLiteral("4"));
        prompter.answer(Prompter::Answer::Ok);

        form->Command1->click();

        const QString where = *destination == 'A' ? staging : floppy;
        EXPECT_EQ(prompter.texts().last(),
                  QStringLiteral(
                      "ucon64 did not write the whole split: GAME.2 holds 1,000 of "
                      "524,800 bytes; GAME.3 holds 0 bytes, less than its 512-byte "
                      "header. The parts it wrote were removed. Is there room for them in \"%1\"?")
                      .arg(where));
        EXPECT_EQ(QDir(where).entryList(QDir::Files), QStringList()) << "no broken set stays";
    }
}

// No header, no disk (then Cancel) or no size: nothing runs, and the probe leaves a file of the
// user's alone.
TEST_F(SplitTest, NothingRunsWithoutAHeaderADiskOrASize) {
    writeFile(QStringLiteral("c/roms/RAW.sfc"), RomImage(9 * Mbit).mid(512));
    selectImage(Mbit);
    QDir(floppy).removeRecursively();
    prompter.type(QStringLiteral("A:\\"));
    prompter.answer(Prompter::Answer::Ok);
    prompter.answer(Prompter::Answer::Cancel);
    form->Command1->click();
    writeFile(QStringLiteral("floppy/test.t"), "mine");
    prompter.type(QStringLiteral("A:\\"));
    prompter.type({});
    form->Command1->click();
    form->File1->setListIndex(1);
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();

    const QString destination = QStringLiteral("Please enter destination directory!");
    const QString noDisk = QStringLiteral("No disk, invalid format or not formatted. Please take "
                                          "necessary actions and try again by clicking OK.");
    EXPECT_EQ(prompter.texts(),
              QStringList({destination, noDisk, noDisk, destination,
                           QStringLiteral("Please enter size (in MBit; 8MBit = 1MByte) per part."),
                           HeaderlessSplitMessage(QStringLiteral("RAW.sfc"))}));
    EXPECT_EQ(prompter.shown()[1].buttons, Prompter::Buttons::OkCancel);
    EXPECT_EQ(QDir(floppy).entryList(QDir::Files), QStringList(QStringLiteral("test.t")));
    EXPECT_EQ(readFile(QStringLiteral("floppy/test.t")), QByteArray("mine"));
    EXPECT_TRUE(invocations().isEmpty());
}

// A disk that takes no copy: Retry once in vain, then with a disk in, then Cancel on the next;
// Cancel at the disk prompt stops as well.
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
    disks->insert(4);
    prompter.type(QStringLiteral("A:\\"));
    prompter.type(QStringLiteral("8"));
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();

    const QStringList texts = prompter.texts();
    ASSERT_EQ(texts.size(), 13);
    EXPECT_EQ(texts[4], DiskCopyFailedMessage(QStringLiteral("Copying GAME.2 to \"%1/GAME.2\" "
                                                             "stopped after 0 of 524,800 bytes "
                                                             "(No such file or directory).")
                                                  .arg(floppy)));
    EXPECT_EQ(prompter.shown()[4].buttons, Prompter::Buttons::RetryCancel);
    EXPECT_TRUE(texts[7].startsWith(QStringLiteral("Copying GAME.3")));
    EXPECT_EQ(texts[8], DiskCopyStoppedMessage({QStringLiteral("GAME.3")}, staging));
    EXPECT_EQ(disks->files(2), QStringList(QStringLiteral("GAME.2")));
    EXPECT_EQ(texts[12], DiskCopyStoppedMessage(
                             {QStringLiteral("GAME.1"), QStringLiteral("GAME.2")}, staging));
    EXPECT_EQ(stagingFiles().size(), 3) << "GAME.3 of the first split, GAME.1 and 2 of the second";
}

TEST(PlaceOnDiskTest, BesideWhenBothFitOverTheOldOneWhenOnlyThatFits) {
    const struct {
        qint64 bytes, old, free;
        Placement placement;
    } cases[] = {{1049088, -1, 1458176, Placement::Beside},
                 {1049088, 1049088, 405504, Placement::InPlace}, // re-split onto an old disk
                 {1049088, 4096, 405504, Placement::NoRoom},
                 {1049088, -1, 1048576, Placement::NoRoom},
                 {4097, -1, 8192, Placement::Beside},
                 {4097, -1, 4096, Placement::NoRoom}}; // whole blocks count
    for (const auto& c : cases)
        EXPECT_EQ(PlaceOnDisk(c.bytes, c.old, c.free, 4096), c.placement)
            << c.bytes << " " << c.old;
}

struct CopyCase {
    const char* label;
    CopyMode mode;
    bool oldTarget;
    long limit; // the largest file the copying process may write; 0: none
    const char* error;
    const char* targetAfter; // "new", "old" or "" (no target)
};

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << c.label;
}

class CopyFileTest : public ::testing::TestWithParam<CopyCase> {};

// Short writes without root: the copy runs in a child whose files may not grow past the limit.
TEST_P(CopyFileTest, EveryByteOrNothing) {
    const CopyCase& c = GetParam();
    QTemporaryDir tmp;
    const QString from = tmp.filePath(QStringLiteral("GAME.2"));
    const QString to = tmp.filePath(QStringLiteral("target"));
    const QByteArray bytes = RomImage(Mbit);
    for (const auto& [path, content] : {std::pair{from, bytes}, std::pair{to, QByteArray("old")}}) {
        QFile file(path);
        if (path == from || c.oldTarget) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
    }
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(c.limit), static_cast<rlim_t>(c.limit)};
        if (c.limit)
            ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray error = CopyFile(from, to, c.mode).error().toUtf8();
        (void)!::write(pipe[1], error.constData(), error.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    QByteArray error(4096, '\0');
    error.resize(std::max<ssize_t>(::read(pipe[0], error.data(), error.size()), 0));
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);

    EXPECT_EQ(QString::fromUtf8(error), QString::fromUtf8(c.error).arg(to));
    QFile target(to);
    const QByteArray expected = *c.targetAfter == 'n' ? bytes : QByteArray(c.targetAfter);
    EXPECT_EQ(target.open(QIODevice::ReadOnly) ? target.readAll() : QByteArray(), expected);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 1 + !expected.isEmpty())
        << "no temporary copy may be left";
}

const char* const CutShort =
    "Copying GAME.2 to \"%1\" stopped after 40,000 of 131,584 bytes (File too large).";

INSTANTIATE_TEST_SUITE_P(
    Modes, CopyFileTest,
    ::testing::Values(
        CopyCase{"fresh", CopyMode::Beside, false, 0, "", "new"},
        CopyCase{"over an old file", CopyMode::Beside, true, 0, "", "new"},
        CopyCase{"fresh, cut short", CopyMode::Beside, false, 40000, CutShort, ""},
        CopyCase{"beside an old file, cut short", CopyMode::Beside, true, 40000, CutShort, "old"},
        CopyCase{"in place, cut short", CopyMode::InPlace, true, 40000, CutShort, ""}));

} // namespace
} // namespace kestrix::test
