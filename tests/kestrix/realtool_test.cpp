// SPDX-License-Identifier: GPL-3.0-or-later
// The buttons against the real ucon64, built from its source by the build, and floppies of real
// size where a tmpfs can be mounted.
#include "gameimages.h"
#include "scenario.h"

#include "core/imageset.h"

#include <QLabel>
#include <QProcess>
#include <QRegularExpression>

namespace kestrix::test {
namespace {

class RealToolReportTest : public KestrixTest {};

// For every whole image of the table the row says what `ucon64 --snes FILE` says: the tool's
// report put in the row's words equals the row without what the tool does not print.
TEST_F(RealToolReportTest, TheGameRowAgreesWithTheTool) {
    if (const std::string why = useRealTool(); !why.empty())
        GTEST_SKIP() << why;
    for (const GameRowCase& c : GameRows()) {
        if (!c.oracle)
            continue;
        const QString file = path(QString::fromLatin1(c.name));
        writeFile(QString::fromLatin1(c.name), MakeGameImage(c.layout).bytes);
        QProcess tool;
        tool.start(QStringLiteral(KESTRIX_REAL_UCON64), {u"--snes"_s, file});
        ASSERT_TRUE(tool.waitForFinished(30000));
        const QString out = QString::fromLatin1(tool.readAllStandardOutput());
        const auto field = [&](const char* key) {
            const QRegularExpression line(u"^%1: (.*)$"_s.arg(QLatin1String(key)),
                                          QRegularExpression::MultilineOption);
            return line.match(out).captured(1);
        };
        // The title and the country follow the system's name, the maker between them.
        const QStringList named = out.section(u"Super Famicom\n"_s, 1).split(u'\n');
        QStringList chips = field("ROM type").section(u") "_s, 1).split(u" + "_s);
        chips.removeIf(
            [](const QString& p) { return p == u"ROM" || p == u"SRAM" || p == u"Battery"; });
        const QString sram = field("SRAM").section(u' ', 1, 1);
        const QStringList sum = field("Checksum").split(u' '); // OK, 0xC (calculated) == 0xI ...
        const QStringList fromTool = {
            named.value(0).trimmed(),
            (field("HiROM") == u"Yes" ? u"HiROM"_s : u"LoROM"_s) +
                (field("Interleaved/Swapped") == u"Yes" ? u" (interleaved)"_s : QString()) +
                (field("ROM speed").contains(u"FastROM"_s) ? u", FastROM"_s : u", SlowROM"_s),
            chips.isEmpty() ? u"no chip"_s : chips.join(u" + "_s),
            sram.isEmpty() ? u"no SRAM"_s : u"%1 kbit SRAM"_s.arg(8 * sram.toInt()),
            named.value(2).section(u',', 0, 0).remove(u'.'), // U.S.A., Europe, Oceania and Asia
            u"version "_s + field("Version"),
            sum.value(0) == u"OK,"
                ? u"checksum good"_s
                : u"checksum bad (stored %1, computed %2)"_s.arg(sum.value(4), sum.value(1)),
            field("Backup unit/emulator header") == u"No" ? u"no copier header"_s : QString()};

        const Result<GameImage> image = ReadGameImage(file);
        QFile device(file);
        ASSERT_TRUE(image && device.open(QIODevice::ReadOnly)) << c.name;
        QStringList row =
            GameRow(*image, ImageChecksum(device, *image, [] { return false; })).split(u"; "_s);
        row[1].remove(u"Ex"_s);                 // the tool says HiROM for ExHiROM
        row[3] = row[3].section(u", "_s, 1);    // it prints no size of its own,
        row[4] = row[4].section(u", "_s, 0, 0); // nor the TV system,
        row[7] = row.last() == u"no copier header" ? row.last() : QString(); // nor the disks
        EXPECT_EQ(row.mid(0, 8), fromTool) << out.toStdString();
    }
}

class RealToolImagesTest : public KestrixTest {};

// 36 Mbit goes to five images at 8 Mbit and a second game to the next four at 11: every image
// passes fsck.fat and gives its part back to mcopy, no image of the first game changes, and
// Join from the first image of each gives the image back, as it does from images that mformat
// and mcopy made of the same parts.
TEST_F(RealToolImagesTest, SplitOntoImagesAndBack) {
    if (const std::string why = useRealTool(); !why.empty())
        GTEST_SKIP() << why;
    const auto run = [&](const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << " " << args.join(u' ').toStdString()
                                   << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    };
    writeFile(u"c/roms/GAME.swc"_s, RomImage(36 * Mbit));
    writeFile(u"c/roms/Other Game.swc"_s, RomImage(36 * Mbit, '.').replace(600, 4, "2ND!"));
    auto form = makeForm();
    const auto split = [&](const QString& name, const char* size) {
        prompter.type(data);
        prompter.type(QString::fromLatin1(size));
        prompter.answer(Prompter::Answer::Ok);
        select(*form, work, name);
        form->Command6->click();
    };
    split(u"GAME.swc"_s, "8");
    QHash<QString, QByteArray> first;
    for (const QString& name : filesIn(data))
        first.insert(name, readFile(u"d/"_s + name));
    split(u"Other Game.swc"_s, "11");
    EXPECT_EQ(prompter.texts().value(2),
              u"GAME is on disks 0 to 4 (DSKA0000.IMG to DSKA0004.IMG)."_s);
    EXPECT_EQ(prompter.texts().value(5),
              u"Other Game is on disks 5 to 8 (DSKA0005.IMG to DSKA0008.IMG)."_s);
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        EXPECT_EQ(readFile(u"d/"_s + it.key()), it.value()) << it.key().toStdString();
    ASSERT_EQ(filesIn(data).size(), 9);
    QDir().mkpath(path(u"m"_s));
    for (int n = 0; n < 9; ++n) {
        const QString image = path(u"d/"_s + IndexedImageName(n));
        const QString part =
            (n < 5 ? u"GAME."_s : u"OTHERGAM."_s) + QString::number(n < 5 ? n + 1 : n - 4);
        run(u"fsck.fat"_s, {u"-n"_s, image});
        const QByteArray bytes = run(u"mcopy"_s, {u"-n"_s, u"-i"_s, image, u"::"_s + part, u"-"_s});
        EXPECT_EQ(ReadImagePart(image)->bytes, bytes) << part.toStdString();
        // The same part on a disk mformat made, copied there by mcopy.
        const QString other = path(u"m/"_s + IndexedImageName(n));
        writeFile(u"part"_s, bytes);
        run(u"mformat"_s, {u"-C"_s, u"-f"_s, u"1440"_s, u"-i"_s, other, u"::"_s});
        run(u"mcopy"_s, {u"-i"_s, other, path(u"part"_s), u"::"_s + part});
    }
    const auto join = [&](const QString& folder, const QString& image, const QString& output,
                          const QString& mbit) {
        prompter.type(output);
        prompter.answer(Prompter::Answer::Ok);
        select(*form, folder, image);
        EXPECT_EQ(form->Label2->text(), mbit) << "the panel shows the part on the image";
        form->Command2->click();
    };
    join(data, u"DSKA0000.IMG"_s, path(u"GAME.swc"_s), u"8"_s);
    join(path(u"m"_s), u"DSKA0005.IMG"_s, path(u"OTHER.swc"_s), u"11"_s);
    EXPECT_EQ(readFile(u"GAME.swc"_s), RomImage(36 * Mbit));
    EXPECT_EQ(readFile(u"OTHER.swc"_s), readFile(u"c/roms/Other Game.swc"_s));
    EXPECT_EQ(prompter.texts().size(), 10) << prompter.texts().join(u'\n').toStdString();
}

// Split into a folder and joined back, byte for byte the image; a later split into fewer parts
// leaves older ones beyond its last part, which the real tool would join in.
INSTANTIATE_TEST_SUITE_P(
    RealSplitAndJoin, OperationTest,
    ::testing::Values(
        Scenario{"36 Mbit in 4 Mbit parts and back", "real", "c/roms/GAME.swc=rom:36",
                 "c/roms/GAME.swc", &Form1::Command1, ">{d}|>4|ok|>{d}/OUT.swc|ok",
                 "Please enter destination|Please enter size|Done!|Please enter output|Done!",
                 "d/OUT.swc=rom:36;d/#10", nullptr, 0, "d/GAME.1", &Form1::Command2},
        Scenario{"older parts beyond the last", "real",
                 "c/roms/GAME.swc=rom:24;d/GAME.4=part:+;d/GAME.5=part:+;d/GAME.6=part:.",
                 "c/roms/GAME.swc", &Form1::Command1, ">{d}|>8|ok|>{d}/OUT.swc|ok",
                 "Please enter destination|Please enter size|Done!|Please enter output|GAME.4, "
                 "GAME.5, GAME.6 would be joined in as well, but GAME.3 is the last part of the "
                 "set. Move them elsewhere and try again.",
                 "!d/OUT.swc;d/#6", nullptr, 0, "d/GAME.1", &Form1::Command2},
        Scenario{"stopped at GAME.2, GAME.1 already shown", "real STOP=@d/GAME.2",
                 "c/roms/GAME.swc=rom:24;d/GAME.2=fifo", "c/roms/GAME.swc", &Form1::Command1,
                 ">{d}|>8|yes|ok",
                 "Please enter destination|Please enter size|\"{d}\" already holds GAME.2.|ucon64 "
                 "was stopped by the user. The parts it wrote were removed: GAME.1.",
                 "?Wrote output to {d}/GAME.1;!d/GAME.1;d/GAME.2", nullptr}));

// Each fix changes the image and keeps the original as NAME.bak; Convert adds the header. With
// nothing selected no fix runs: given the folder, the tool would rewrite every image in it.
INSTANTIATE_TEST_SUITE_P(
    RealFixes, OperationTest,
    ::testing::Values(
        Scenario{"Remove Slow-ROM Checks", "real", "c/roms/GAME.swc=rom:8", "c/roms/GAME.swc",
                 &Form1::Command3, "", "", "c/roms/GAME.bak=rom:8;~c/roms/GAME.swc=rom:8",
                 "-l {work}/GAME.swc -o={work}"},
        Scenario{"Fix Checksum", "real", "c/roms/GAME.swc=rom:8", "c/roms/GAME.swc",
                 &Form1::Command4, "", "", "c/roms/GAME.bak=rom:8;~c/roms/GAME.swc=rom:8",
                 "--chk {work}/GAME.swc -o={work}"},
        Scenario{"Remove PAL/NTSC Protection", "real", "c/roms/GAME.swc=rom:8", "c/roms/GAME.swc",
                 &Form1::Command5, "", "", "c/roms/GAME.bak=rom:8;~c/roms/GAME.swc=rom:8",
                 "-f {work}/GAME.swc -o={work}"},
        Scenario{"Convert", "real", "c/roms/RAW.sfc=raw:8", "c/roms/RAW.sfc", &Form1::Command7, "",
                 "", "c/roms/RAW.swc=rom:8", "-swc {work}/RAW.sfc -o={work}"},
        Scenario{"nothing selected: no fix", "real", "c/roms/GAME.sfc=rom:8", "", &Form1::Command3,
                 "ok", "Cannot read \"{work}/\" (no file is selected).",
                 "c/roms/GAME.sfc=rom:8;c/roms/#1", ""}));

// A name like an option reaches the tool as a file; the copier cannot answer here, so nothing
// is received and the window says why.
INSTANTIATE_TEST_SUITE_P(RealReceive, OperationTest,
                         ::testing::Values(Scenario{
                             "a receive into a name like an option", "real", "", "",
                             &Form1::Command13, ">-SAVE.SRM|ok",
                             "Please enter destination|Nothing was received into "
                             "\"{own}/-SAVE.SRM\"",
                             "!own/-SAVE.SRM", "--xswcs ./-SAVE.SRM --port=378"}));

// Disk 1 is too full for a part, disk 2 holds an old part of the same name; the set goes onto
// disks 4, 2 and 3 and comes back byte for byte. Straight onto the floppy the tool writes short
// parts and exits 0; a joined image that does not fit is kept where the tool wrote it. A disk
// without room for a second copy cuts a fix's or Convert's output: the original comes back.
INSTANTIATE_TEST_SUITE_P(
    RealFloppies, OperationTest,
    ::testing::Values(
        Scenario{"onto disks of real size and back", "real floppy",
                 "c/roms/GAME.swc=rom:24;box/disk1/OTHER.DAT=zeros:600000;box/disk2/GAME.2=rom:8",
                 "c/roms/GAME.swc", &Form1::Command1,
                 ">A:\\@1|>8|ok|retry@4|ok@2|ok@3|ok|>{d}/OUT.swc|ok@2|ok@3|cancel|ok",
                 "Please enter destination|Please enter size|Insert new disk|GAME.1 needs "
                 "1,052,672 bytes on the disk, which has room for 856,064. Insert a formatted "
                 "disk with room for it that is not write-protected and click Retry.|Insert new "
                 "disk|Insert new disk|Done!|Please enter output|Please insert next|Please "
                 "insert next|Please insert next|Done!",
                 "d/OUT.swc=rom:24;box/disk1/OTHER.DAT=zeros:600000;box/disk1/#1", nullptr, 0,
                 "a:GAME.1@4", &Form1::Command2},
        Scenario{"a split straight onto a full disk", "real floppy", "c/roms/GAME.swc=rom:24",
                 "c/roms/GAME.swc", &Form1::Command1, ">a:\\|>8|ok",
                 "Please enter destination|Please enter size|ucon64 did not write the whole "
                 "split: GAME.2 holds 405,504 of 1,049,088 bytes; GAME.3 holds 0 bytes, less "
                 "than its 512-byte header. The parts it wrote were removed: GAME.1, GAME.2, "
                 "GAME.3. Is there room for them in \"{floppy}\"?",
                 "floppy/#0;^floppy/GAME.2<1049088", nullptr},
        Scenario{"a join onto a full disk", "real floppy",
                 "c/roms/TWO.1=part:+8;c/roms/TWO.2=part:.8", "c/roms/TWO.1", &Form1::Command2,
                 ">A:\\TWO.swc|ok",
                 "Please enter output|Copying TWO.tmp to \"{floppy}/TWO.swc\" stopped after ",
                 "own/TWO.tmp;!floppy/TWO.swc", nullptr},
        Scenario{"two fixes in a row on a full disk", "real floppy", "box/disk1/GAME.SWC=rom:8",
                 "a:GAME.SWC", &Form1::Command3, "ok|ok",
                 "\"{floppy}/GAME.SWC\" was not fixed: ucon64 wrote GAME.SWC with 405,504 of "
                 "1,049,088 bytes. The original GAME.SWC is back in place.|\"{floppy}/GAME.SWC\" "
                 "was not fixed",
                 "box/disk1/GAME.SWC=rom:8;box/disk1/#1;^floppy/GAME.SWC<1049088", nullptr, 0,
                 "a:GAME.SWC", &Form1::Command4},
        Scenario{"PAL/NTSC fix on a full disk", "real floppy", "box/disk1/GAME.SWC=rom:8",
                 "a:GAME.SWC", &Form1::Command5, "ok",
                 "\"{floppy}/GAME.SWC\" was not fixed: ucon64 wrote GAME.SWC with 405,504 of "
                 "1,049,088 bytes. The original GAME.SWC is back in place.",
                 "box/disk1/GAME.SWC=rom:8;box/disk1/#1;^floppy/GAME.SWC<1049088", nullptr},
        Scenario{"Convert on a full disk", "real floppy", "box/disk1/GAME.sfc=raw:8", "a:GAME.sfc",
                 &Form1::Command7, "ok",
                 "\"{floppy}/GAME.swc\" was not written: ucon64 wrote GAME.swc with 409,600 of "
                 "1,049,088 bytes. The unfinished GAME.swc was removed.",
                 "box/disk1/GAME.sfc=raw:8;box/disk1/#1;^floppy/GAME.swc<1049088", nullptr}));

} // namespace
} // namespace kestrix::test
