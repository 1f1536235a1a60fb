// SPDX-License-Identifier: GPL-3.0-or-later
// "Join": first parts, sets joined in place or gathered from disks, and the round trip.
#include "ops/join.h"
#include "ops/parts.h"
#include "platform.h"

#include "support/disk_box.h"
#include "support/fixture.h"
#include "window/lists.h"

#include <QComboBox>
#include <QPushButton>

namespace kestrix::test {
namespace {

TEST(JoinRulesTest, FirstPartsAndTheirBase) {
    const std::vector<std::pair<const char*, const char*>> names{
        {"GAME.1", "GAME"},      {"A.B.1", "A.B"}, {"GAME.11", nullptr},
        {"GAME.1.BAK", nullptr}, {"1", nullptr},   {"", nullptr}};
    for (const auto& [name, base] : names) {
        EXPECT_EQ(IsFirstPart(QString::fromUtf8(name)), base != nullptr) << name;
        if (base) {
            EXPECT_EQ(PartBase(QString::fromUtf8(name)), QString::fromUtf8(base));
        }
    }
    EXPECT_EQ(PartName(QStringLiteral("A.B"), 10), QStringLiteral("A.B.10"));

    const QString base = QStringLiteral("GAME");
    EXPECT_TRUE(IsJoinWorkName(QStringLiteral("GAME.tmp"), base, false));
    EXPECT_FALSE(IsJoinWorkName(QStringLiteral("GAME.2"), base, false));
    EXPECT_TRUE(IsJoinWorkName(QStringLiteral("GAME.12"), base, true));
    for (const char* other : {"GAME.02", "GAME.", "GAME.1a", "GAME.SWC", "GAMES.1"})
        EXPECT_FALSE(IsJoinWorkName(QString::fromUtf8(other), base, true)) << other;
}

const QString NextDisk = NextDiskPrompt();

class JoinTest : public KestrixTest {
protected:
    void SetUp() override {
        KestrixTest::SetUp();
        disks = std::make_unique<DiskBox>(floppy, path(QStringLiteral("box")));
        form = makeForm();
    }
    // Browses drive a: with disk 1 in it and selects the first part there.
    void selectOnFloppy(const QString& name) {
        disks->insert(1);
        form->Drive1->setCurrentIndex(0);
        ASSERT_EQ(form->Drive1->drive(), floppyDrive());
        selectInList(name);
    }
    void selectInList(const QString& name) {
        form->File1->refresh(); // files written since the list was read
        form->File1->setListIndex(static_cast<int>(form->File1->fileNames().indexOf(name)));
        ASSERT_EQ(form->File1->fileName(), name);
    }
    void putOnDisk(int disk, const QString& name, const QByteArray& bytes) {
        QDir().mkpath(disks->diskFolder(disk));
        QFile file(disks->diskFolder(disk) + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList programFiles() const { return QDir(programFolder).entryList(QDir::Files); }
    QString output() const { return path(QStringLiteral("d/JOINED.SWC")); }

    std::unique_ptr<DiskBox> disks;
    std::unique_ptr<Form1> form;
};

class RoundTripTest : public JoinTest, public ::testing::WithParamInterface<int> {};

// Split onto disks, one 4 Mbit part each, and joined back from them: byte for byte the image.
TEST_P(RoundTripTest, SplitOntoDisksAndJoinedBackIsTheOriginal) {
    const int parts = GetParam();
    const QByteArray image = RomImage((4 * (parts - 1) + 2) * Mbit);
    writeFile(QStringLiteral("c/roms/GAME.SWC"), image);
    form = makeForm();
    selectInList(QStringLiteral("GAME.SWC"));
    prompter.type(QStringLiteral("A:\\"));
    prompter.type(QStringLiteral("4"));
    for (int disk = 1; disk <= parts; ++disk)
        prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    prompter.answer(Prompter::Answer::Ok);
    form->Command1->click();
    disks->eject();
    for (int disk = 1; disk <= parts; ++disk)
        ASSERT_EQ(disks->files(disk), QStringList(QStringLiteral("GAME.%1").arg(disk)));
    EXPECT_TRUE(QDir(staging).isEmpty());

    selectOnFloppy(QStringLiteral("GAME.1"));
    prompter.type(output());
    for (int disk = 2; disk <= parts; ++disk)
        prompter.answer(Prompter::Answer::Ok, [this, disk] { disks->insert(disk); });
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();

    EXPECT_EQ(prompter.texts().last(), QStringLiteral("Done!"));
    EXPECT_EQ(prompter.texts().count(NextDisk), parts);
    ASSERT_EQ(invocations().size(), 2);
    EXPECT_EQ(invocations()[1].argv, QStringList({QStringLiteral("-j"), QStringLiteral("--snes"),
                                                  programFolder + QStringLiteral("/GAME.1")}));
    EXPECT_TRUE(readFile(QStringLiteral("d/JOINED.SWC")) == image) << "the joined image differs";
    EXPECT_EQ(programFiles(), QStringList(QStringLiteral("ucon64")))
        << "gathered parts and the joined .tmp must be gone";
}

INSTANTIATE_TEST_SUITE_P(Parts, RoundTripTest, ::testing::Values(2, 4, 9));

TEST_F(JoinTest, OneDiskSetJoinsTheFirstPartAlone) {
    const QByteArray part = RomImage(Mbit);
    putOnDisk(1, QStringLiteral("GAME.1"), part);
    selectOnFloppy(QStringLiteral("GAME.1"));
    prompter.type(output());
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);

    form->Command2->click();

    EXPECT_EQ(prompter.texts().last(), QStringLiteral("Done!"));
    EXPECT_TRUE(readFile(QStringLiteral("d/JOINED.SWC")) == part);
    EXPECT_EQ(programFiles(), QStringList(QStringLiteral("ucon64")));
}

// Retry after the wrong disk; Cancel on a later missing part stops with nothing joined.
TEST_F(JoinTest, MissingPartOffersRetryAndCancelRemovesTheCopies) {
    for (int disk = 1; disk <= 3; ++disk)
        putOnDisk(disk, QStringLiteral("GAME.%1").arg(disk), RomImage(Mbit));
    selectOnFloppy(QStringLiteral("GAME.1"));
    prompter.type(output());
    prompter.answer(Prompter::Answer::Ok, [this] { disks->insert(3); });
    prompter.answer(Prompter::Answer::Retry, [this] { disks->insert(2); });
    prompter.answer(Prompter::Answer::Ok, [this] { disks->insert(9); });
    prompter.answer(Prompter::Answer::Cancel);

    form->Command2->click();

    const QStringList texts = prompter.texts();
    ASSERT_EQ(texts.size(), 5);
    EXPECT_EQ(texts[2], PartMissingMessage(QStringLiteral("GAME.2")));
    EXPECT_EQ(prompter.shown()[2].buttons, Prompter::Buttons::RetryCancel);
    EXPECT_EQ(texts[4], PartMissingMessage(QStringLiteral("GAME.3")));
    EXPECT_TRUE(invocations().isEmpty());
    EXPECT_EQ(programFiles(), QStringList(QStringLiteral("ucon64")));
    EXPECT_FALSE(QFileInfo::exists(output()));
}

struct InPlaceCase {
    const char* name;
    const char* folder; // browsed while the drive list shows "/"
};

class JoinInPlaceTest : public JoinTest, public ::testing::WithParamInterface<InPlaceCase> {};

// No disk prompts: the tool joins the parts where they lie, which stay untouched.
TEST_P(JoinInPlaceTest, JoinsWhereThePartsLie) {
    const InPlaceCase& c = GetParam();
    const QString folder = path(QString::fromUtf8(c.folder));
    const QString base = PartBase(QString::fromUtf8(c.name));
    const QByteArray image = RomImage(6 * Mbit);
    QByteArray first = image.left(512 + 4 * Mbit);
    first[2] = static_cast<char>(first[2] | 0x40);
    first[0] = static_cast<char>(4 * Mbit / 8192);
    writeFile(QString::fromUtf8(c.folder) + u'/' + base + QStringLiteral(".1"), first);
    QByteArray second = image.left(512) + image.mid(512 + 4 * Mbit);
    second[0] = static_cast<char>(2 * Mbit / 8192);
    second[1] = 0;
    writeFile(QString::fromUtf8(c.folder) + u'/' + base + QStringLiteral(".2"), second);
    form->Dir1->setPath(folder);
    ASSERT_EQ(form->Drive1->drive(), QStringLiteral("/"));
    selectInList(QString::fromUtf8(c.name));
    prompter.type(output());
    prompter.answer(Prompter::Answer::Ok);

    form->Command2->click();

    EXPECT_EQ(prompter.texts().last(), QStringLiteral("Done!"));
    ASSERT_EQ(invocations().size(), 1);
    EXPECT_EQ(invocations()[0].argv.last(), folder + u'/' + QString::fromUtf8(c.name));
    EXPECT_TRUE(readFile(QStringLiteral("d/JOINED.SWC")) == image);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2) << "the parts stay as they are";
    EXPECT_EQ(programFiles(), QStringList(QStringLiteral("ucon64")));
}

INSTANTIATE_TEST_SUITE_P(Folders, JoinInPlaceTest,
                         ::testing::Values(InPlaceCase{"A.B.1", "c/roms"},
                                           InPlaceCase{"GAME.1", "floppy"}));

struct RefusalCase {
    const char* label;
    const char* selected;
    const char* parts;                 // kinds of GAME.1, GAME.2... as PartBytes() makes them
    const char* answer;                // nullptr: the output prompt must not show
    const char* programFile;           // a file of the user's in the program folder
    std::vector<const char*> messages; // {path}: the program folder; the last one is answered No
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.label;
}

class JoinRefusalTest : public JoinTest, public ::testing::WithParamInterface<RefusalCase> {};

// Each case stops before anything is gathered or run, and leaves every file as it was.
TEST_P(JoinRefusalTest, StopsBeforeAnythingIsTouched) {
    const RefusalCase& c = GetParam();
    putOnDisk(1, QString::fromUtf8(c.selected), PartBytes('+'));
    for (int n = 1; c.parts[n - 1]; ++n)
        writeFile(QStringLiteral("c/roms/GAME.%1").arg(n), PartBytes(c.parts[n - 1]));
    writeFile(QStringLiteral("d/EXISTS.SWC"), "mine");
    if (c.programFile)
        writeFile(QStringLiteral("prog/") + QString::fromUtf8(c.programFile), "mine");
    if (*c.parts)
        selectInList(QString::fromUtf8(c.selected));
    else
        selectOnFloppy(QString::fromUtf8(c.selected));
    if (c.answer)
        prompter.type(QString::fromUtf8(c.answer).replace(QStringLiteral("{d}"), data));
    QStringList messages;
    for (const char* message : c.messages) {
        messages.append(
            QString::fromUtf8(message).replace(QStringLiteral("{path}"), programFolder));
        prompter.answer(Prompter::Answer::No);
    }

    form->Command2->click();

    EXPECT_EQ(prompter.texts().mid(c.answer ? 1 : 0), messages);
    EXPECT_EQ(readFile(QStringLiteral("d/EXISTS.SWC")), "mine");
    EXPECT_TRUE(invocations().isEmpty());
    EXPECT_EQ(programFiles().size(), c.programFile ? 2 : 1) << "nothing may be gathered";
    if (c.programFile) {
        EXPECT_EQ(readFile(QStringLiteral("prog/") + QString::fromUtf8(c.programFile)), "mine");
    }
}

const char* const NotFirst = "It seems that either the selected file is not a properly split file "
                             "or you didn't select a '.1' file.";

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinRefusalTest,
    ::testing::Values(
        RefusalCase{"not a first part", "GAME.1.BAK", "", nullptr, nullptr, {NotFirst}},
        RefusalCase{"output cancelled", "GAME.1", "", "", nullptr, {}},
        RefusalCase{"a user's part in the program folder",
                    "GAME.1",
                    "",
                    "OUT.SWC",
                    "GAME.2",
                    {"\"{path}/GAME.2\" is in the way: joining works with a file of that name in "
                     "that folder. Move it elsewhere and try again."}},
        RefusalCase{"output is the joined file",
                    "GAME.1",
                    "",
                    "GAME.tmp",
                    nullptr,
                    {"\"{path}/GAME.tmp\" is a working file of the join and is deleted "
                     "afterwards. Choose another output path."}},
        RefusalCase{"output exists",
                    "GAME.1",
                    "+.",
                    "{d}/EXISTS.SWC",
                    nullptr,
                    {"File exists. Overwrite?"}},
        RefusalCase{"first part without a header", "GAME.1", "n.", "OUT.SWC", nullptr, {NotFirst}},
        RefusalCase{"a part cut short",
                    "GAME.1",
                    "+s",
                    "OUT.SWC",
                    nullptr,
                    {"GAME.2 holds 130,584 of 131,584 bytes: the part is incomplete."}},
        RefusalCase{"parts of an older split beyond the last",
                    "GAME.1",
                    "+.+.",
                    "OUT.SWC",
                    nullptr,
                    {"GAME.3, GAME.4 would be joined in as well, but GAME.2 is the last part of "
                     "the set. Move them elsewhere and try again."}},
        RefusalCase{"the rest is missing",
                    "GAME.1",
                    "++",
                    "OUT.SWC",
                    nullptr,
                    {"GAME.2 is not the last part of its set. Join without the rest?"}}));

// The tool's joined file is checked by size; a short one goes, and nothing is delivered.
TEST_F(JoinTest, AJoinedFileCutShortIsNotDelivered) {
    writeFile(QStringLiteral("c/roms/GAME.1"), PartBytes('+'));
    writeFile(QStringLiteral("c/roms/GAME.2"), PartBytes('.'));
    selectInList(QStringLiteral("GAME.1"));
    qputenv("STANDIN_ROOM", "100000");
    prompter.type(output());
    prompter.answer(Prompter::Answer::Ok);

    form->Command2->click();

    EXPECT_EQ(prompter.texts().last(),
              JoinedSizeMessage(QStringLiteral("GAME.tmp"), 100000, 512 + 2 * Mbit));
    EXPECT_EQ(programFiles(), QStringList(QStringLiteral("ucon64")));
    EXPECT_FALSE(QFileInfo::exists(output()));
}

// Installed where the user cannot write: the tool runs, joins and receives in the user's own
// folder instead.
TEST_F(JoinTest, AProgramFolderTheUserCannotWriteTo) {
    if (!mountReadOnly(programFolder))
        GTEST_SKIP() << "a read-only program folder needs root for its bind mount";
    Platform p = platform();
    p.workFolder = WorkFolder(programFolder, path(QStringLiteral("share")));
    const QString own = path(QStringLiteral("share/kestrix"));
    ASSERT_EQ(p.workFolder, own);
    form = makeForm(p);
    writeFile(QStringLiteral("c/roms/GAME.1"), PartBytes('+'));
    writeFile(QStringLiteral("c/roms/GAME.2"), PartBytes('.'));
    selectInList(QStringLiteral("GAME.1"));
    prompter.type(output());
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();
    putOnDisk(1, QStringLiteral("GAME.1"), PartBytes('+'));
    putOnDisk(2, QStringLiteral("GAME.2"), PartBytes('.'));
    selectOnFloppy(QStringLiteral("GAME.1"));
    prompter.type(path(QStringLiteral("d/FROM.SWC")));
    prompter.answer(Prompter::Answer::Ok, [this] { disks->insert(2); });
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);
    form->Command2->click();
    prompter.type(QStringLiteral("NEW.SRM"));
    form->Command13->click();

    EXPECT_EQ(prompter.texts().count(QStringLiteral("Done!")), 2)
        << prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(readFile(QStringLiteral("d/FROM.SWC")), readFile(QStringLiteral("d/JOINED.SWC")));
    EXPECT_EQ(readFile(QStringLiteral("share/kestrix/NEW.SRM")), CopierData());
    for (const Invocation& run : invocations())
        EXPECT_EQ(run.cwd, own);
    EXPECT_EQ(QDir(own).entryList(QDir::Files), QStringList(QStringLiteral("NEW.SRM")));
}

// Cancel while the last part gathered says another follows: No goes back to the disk prompt.
TEST_F(JoinTest, CancelBeforeTheLastPartIsAskedAbout) {
    putOnDisk(1, QStringLiteral("GAME.1"), PartBytes('+'));
    putOnDisk(2, QStringLiteral("GAME.2"), PartBytes('.'));
    selectOnFloppy(QStringLiteral("GAME.1"));
    prompter.type(output());
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::No);
    prompter.answer(Prompter::Answer::Ok, [this] { disks->insert(2); });
    prompter.answer(Prompter::Answer::Cancel);
    prompter.answer(Prompter::Answer::Ok);

    form->Command2->click();

    EXPECT_EQ(prompter.texts().mid(1),
              QStringList({NextDisk, IncompleteSetQuestion(QStringLiteral("GAME.1")), NextDisk,
                           NextDisk, QStringLiteral("Done!")}));
    EXPECT_EQ(prompter.shown()[2].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(readFile(QStringLiteral("d/JOINED.SWC")).size(), 512 + 2 * Mbit);
}

} // namespace
} // namespace kestrix::test
