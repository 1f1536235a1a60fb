// SPDX-License-Identifier: GPL-3.0-or-later
// The eight "LPT Operations" buttons, end to end with the stand-in tool.
#include "transfer/lpt.h"

#include "support/fixture.h"
#include "window/lists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace kestrix::test {
namespace {

TEST(IOModeOptionTest, TenEntriesAndNothingOutside) {
    QStringList options;
    for (int index = -1; index <= 10; ++index)
        options.append(IOModeOption(index));
    EXPECT_EQ(options.join(u'|'),
              QStringLiteral("| --xswc-io=0x001| --xswc-io=0x002| --xswc-io=0x004| --xswc-io=0x008"
                             "| --xswc-io=0x010| --xswc-io=0x020| --xswc-io=0x040| --xswc-io=0x080"
                             "| --xswc-io=0x100| --xswc-io=0x044|"));
}

class TransferTest : public KestrixTest {
protected:
    void SetUp() override {
        KestrixTest::SetUp();
        writeFile(QStringLiteral("c/roms/GAME.SWC"), QByteArrayLiteral("rom"));
        form = makeForm();
        form->File1->setListIndex(0);
        QDir::setCurrent(data);
    }
    QString inProgram(const char* name) const {
        return QDir(programFolder).filePath(QString::fromUtf8(name));
    }
    QString cwd() const { return QDir::current().canonicalPath(); }
    std::unique_ptr<Form1> form;
};

struct ButtonCase {
    const char* caption;
    QPushButton* Form1::*button;
    bool realTimeSave;
    int ioMode;
    const char* port;
    const char* answer; // nullptr for a send button
    const char* argv;   // blank-separated; {file} is the selected file's path
};

void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.caption;
}

class TransferButtonTest : public TransferTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(TransferButtonTest, ToolGetsTheOptionsPathAndPort) {
    const ButtonCase& c = GetParam();
    form->Check1->setChecked(c.realTimeSave);
    form->Combo1->setCurrentIndex(c.ioMode);
    form->Text1->setText(QString::fromUtf8(c.port));
    if (c.answer)
        prompter.type(QString::fromUtf8(c.answer));

    (form.get()->*c.button)->click();

    const QString file = QDir::cleanPath(work) + QStringLiteral("/GAME.SWC");
    ASSERT_EQ(invocations().size(), 1);
    EXPECT_EQ(invocations()[0].argv,
              QString::fromUtf8(c.argv).replace(QStringLiteral("{file}"), file).split(u' '));
    const QString expectedCwd = QDir(c.answer ? programFolder : data).canonicalPath();
    EXPECT_EQ(invocations()[0].cwd, expectedCwd);
    EXPECT_EQ(cwd(), expectedCwd) << "only the receive buttons move to the working folder";
    EXPECT_EQ(invocations()[0].did, c.answer ? u"receive" : u"send");
    if (c.answer) {
        EXPECT_EQ(prompter.shown()[0].preset, QString());
        EXPECT_TRUE(QFile::exists(inProgram(c.answer))) << "received where the tool runs";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachButton, TransferButtonTest,
    ::testing::Values(ButtonCase{"Send ROM", &Form1::Command10, false, 2, "378", nullptr,
                                 "--xswc {file} --port=378"},
                      ButtonCase{"Send ROM real-time", &Form1::Command10, true, -1, "378", nullptr,
                                 "--xswc2 {file} --port=378"},
                      ButtonCase{"Send SRAM", &Form1::Command12, true, 2, "278", nullptr,
                                 "--xswcs {file} --port=278"},
                      ButtonCase{"SRAM to cartridge", &Form1::Command14, false, 9, "3BC", nullptr,
                                 "--xswcc {file} --port=3BC"},
                      ButtonCase{"Put RTS Data", &Form1::Command17, false, 2, "378", nullptr,
                                 "--xswcr {file} --port=378"},
                      ButtonCase{"Receive ROM Super FX", &Form1::Command11, true, 2, "378",
                                 "NEW.SWC", "--xswc NEW.SWC --port=378 --xswc-io=0x004"},
                      ButtonCase{"Receive ROM no mode", &Form1::Command11, false, -1, "378",
                                 "NEW.SWC", "--xswc NEW.SWC --port=378"},
                      ButtonCase{"Receive SRAM", &Form1::Command13, false, 2, "278", "NEW.SRM",
                                 "--xswcs NEW.SRM --port=278"},
                      ButtonCase{"SRAM from cartridge", &Form1::Command15, false, 9, "378",
                                 "CART.SRM", "--xswcc CART.SRM --port=378 --xswc-io=0x044"},
                      ButtonCase{"Receive SRAM into a name like an option", &Form1::Command13,
                                 false, 2, "378", "-SAVE.SRM", "--xswcs ./-SAVE.SRM --port=378"},
                      ButtonCase{"Get RTS Data", &Form1::Command16, false, 2, "3BC", "NEW.RTS",
                                 "--xswcr NEW.RTS --port=3BC"}));

TEST_F(TransferTest, PromptsNameTheirExampleFile) {
    for (QPushButton* button :
         {form->Command11, form->Command13, form->Command15, form->Command16}) {
        prompter.type(QString());
        button->click();
    }
    const QString text = QStringLiteral("Please enter destination directory and filename (eg. "
                                        "C:\\YourDir\\%1). This file must NOT exist!");
    EXPECT_EQ(prompter.texts(), QStringList({text.arg(u"ROMDUMP.SWC"), text.arg(u"SRAMDUMP.SRM"),
                                             text.arg(u"CARTSRAM.SRM"), text.arg(u"RTSDATA.RTS")}));
    EXPECT_TRUE(invocations().isEmpty()) << "Cancel must run nothing";
    EXPECT_EQ(cwd(), QDir(data).canonicalPath());
}

struct OverwriteCase {
    const char* caption;
    bool oldFile;
    Prompter::Answer answer;
    const char* copier; // STANDIN_COPIER
    int runs;
    const char* why; // why nothing was received, if so
};

void PrintTo(const OverwriteCase& c, std::ostream* os) {
    *os << c.caption;
}

class OverwriteTest : public TransferTest, public ::testing::WithParamInterface<OverwriteCase> {};

// The old file is replaced only by data the tool really received; otherwise it comes back and
// what the run left goes.
TEST_P(OverwriteTest, TheOldFileIsReplacedOnlyByWhatTheToolReceived) {
    const OverwriteCase& c = GetParam();
    if (c.oldFile)
        writeFile(QStringLiteral("prog/OLD.SRM"), QByteArrayLiteral("old save"));
    qputenv("STANDIN_COPIER", c.copier);
    prompter.type(QStringLiteral("OLD.SRM"));
    if (c.oldFile)
        prompter.answer(c.answer);
    if (*c.why)
        prompter.answer(Prompter::Answer::Ok);

    form->Command13->click();

    QStringList texts{DestinationPrompt(Transfer::Sram)};
    if (c.oldFile)
        texts.append(QStringLiteral("File exists. Overwrite?"));
    if (*c.why)
        texts.append(
            QStringLiteral("Nothing was received into \"%1\": %2.%3")
                .arg(inProgram("OLD.SRM"), QString::fromUtf8(c.why),
                     c.oldFile ? QStringLiteral(" The old file is back in place.") : QString()));
    EXPECT_EQ(prompter.texts(), texts);
    ASSERT_EQ(invocations().size(), c.runs);
    if (c.runs)
        EXPECT_EQ(invocations()[0].did, u"receive") << "the tool must never send the old file";
    else
        EXPECT_EQ(cwd(), QDir(data).canonicalPath()) << "No leaves the working folder";
    const bool received = c.runs && !*c.why;
    EXPECT_EQ(readFile(QStringLiteral("prog/OLD.SRM")), received    ? CopierData()
                                                        : c.oldFile ? QByteArray("old save")
                                                                    : QByteArray());
    EXPECT_EQ(QDir(programFolder).entryList(QDir::Files).size(), 1 + (received || c.oldFile))
        << "neither a backup nor a stub may be left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OverwriteTest,
    ::testing::Values(OverwriteCase{"No", true, Prompter::Answer::No, "", 0, ""},
                      OverwriteCase{"Yes", true, Prompter::Answer::Yes, "", 1, ""},
                      OverwriteCase{"Yes, the copier silent", true, Prompter::Answer::Yes, "silent",
                                    1, "ucon64 wrote only 512 bytes, no more than a header"},
                      OverwriteCase{"Yes, stopped", true, Prompter::Answer::Yes, "abort", 1,
                                    "ucon64 ended with status 2"},
                      OverwriteCase{"a new file, stopped", false, Prompter::Answer::Yes, "abort", 1,
                                    "ucon64 ended with status 2"}));

TEST_F(TransferTest, ASendWithoutItsFileRunsNothing) {
    QFile::remove(path(QStringLiteral("c/roms/GAME.SWC")));
    prompter.answer(Prompter::Answer::Ok);
    form->Command14->click();
    form->File1->setListIndex(-1);
    prompter.answer(Prompter::Answer::Ok);
    form->Command10->click();

    EXPECT_TRUE(invocations().isEmpty()) << "the tool would receive into the missing file";
    EXPECT_EQ(prompter.texts(),
              QStringList({QStringLiteral("Cannot read \"%1/GAME.SWC\" (the file is gone).")
                               .arg(QDir::cleanPath(work)),
                           QStringLiteral("Cannot read \"%1/\" (no file is selected).")
                               .arg(QDir::cleanPath(work))}));
}

TEST_F(TransferTest, TypingIntoTheModeBoxChoosesNoEntry) {
    form->Combo1->setCurrentIndex(2);
    QTest::keyClicks(form->Combo1->lineEdit(), QStringLiteral("x"));
    prompter.type(QStringLiteral("NEW.SWC"));
    form->Command11->click();
    form->Combo1->activated(2);
    prompter.type(QStringLiteral("NEXT.SWC"));
    form->Command11->click();

    ASSERT_EQ(invocations().size(), 2);
    EXPECT_EQ(invocations()[0].argv.size(), 3) << "no I/O mode after typing";
    EXPECT_EQ(invocations()[1].argv.value(3), QStringLiteral("--xswc-io=0x004"))
        << "picking the shown entry again chooses it";
}

TEST_F(TransferTest, RelativeAnswersAreTestedWhereTheToolRuns) {
    writeFile(QStringLiteral("d/HERE.SRM"), QByteArrayLiteral("user file"));
    prompter.type(QStringLiteral("HERE.SRM"));
    form->Command13->click();

    EXPECT_EQ(prompter.shown().size(), 1) << "nothing exists at HERE.SRM in the program folder";
    EXPECT_EQ(readFile(QStringLiteral("d/HERE.SRM")), QByteArrayLiteral("user file"));
    EXPECT_EQ(readFile(QStringLiteral("prog/HERE.SRM")), CopierData());
}

TEST_F(TransferTest, BlanksAndTheFloppyDrive) {
    writeFile(QStringLiteral("c/roms/my roms/My Game.swc"));
    form->Dir1->setPath(path(QStringLiteral("c/roms/my roms")));
    form->File1->setListIndex(0);
    form->Command10->click();
    prompter.type(path(QStringLiteral("d/New Save.srm")));
    form->Command13->click();
    prompter.type(QStringLiteral("A:\\CART.SRM"));
    form->Command15->click();

    const QList<Invocation> runs = invocations();
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0].argv[1], QDir::cleanPath(path(QStringLiteral("c/roms/my roms/My Game.swc"))));
    EXPECT_EQ(runs[1].argv[1], path(QStringLiteral("d/New Save.srm")));
    EXPECT_EQ(runs[2].argv[1], floppy + QStringLiteral("/CART.SRM"));
    EXPECT_EQ(readFile(QStringLiteral("floppy/CART.SRM")), CopierData());
}

} // namespace
} // namespace kestrix::test
