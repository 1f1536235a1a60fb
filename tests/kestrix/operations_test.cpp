// SPDX-License-Identifier: GPL-3.0-or-later
// Every operation end to end, through its button and the stand-in tool.
#include "scenario.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace kestrix::test {
namespace {

// Split: the destination, the size (at most 11 Mbit for floppies), the tool, then the checks.
const Scenario Splits[] = {
    {"too small; over 11 Mbit asked again; the probe keeps the user's file", "",
     "c/roms/G.SWC=rom:1;floppy/test.t=text:mine", "c/roms/G.SWC", &Form1::Command1,
     ">A:\\|>12|>11.5|>1 0|ok|>A:\\|>",
     "Please enter destination|Please enter size|Sorry, a 1.44MB floppy disk can hold a maximum of "
     "11 Mbit.|Sorry|ucon64 reported ERROR: ROM size|Please enter destination|Please enter size",
     "floppy/test.t=text:mine;floppy/#1", "-s --ssize=10 {work}/G.SWC -o={staging}", 'w',
     "c/roms/G.SWC", &Form1::Command1},
    {"no copier header", "", "c/roms/G.sfc=raw:9", "c/roms/G.sfc", &Form1::Command1, "ok",
     "G.sfc has no Super Wild Card header", "", ""},
    {"no disk, then Cancel", "", "c/roms/G.SWC=rom:9", "c/roms/G.SWC", &Form1::Command1,
     ">A:\\@-|ok|cancel", "Please enter destination|No disk, invalid format|No disk", "", ""},
    {"parts cut short: none kept", "STANDIN_ROOM=525800", "c/roms/G.SWC=rom:9", "c/roms/G.SWC",
     &Form1::Command1, ">A:\\|>4|ok",
     "Please enter destination|Please enter size|ucon64 did not write the whole split: G.2 holds "
     "1,000 of 524,800 bytes; G.3 holds 0 bytes",
     "staging/#0;^staging/G.2<524800", nullptr},
    {"a disk per part, none written with no disk mounted", "", "c/roms/G.SWC=rom:9", "c/roms/G.SWC",
     &Form1::Command1, ">A:\\|>4|ok@1|ok@-|retry|retry@2|ok@-|cancel|ok",
     "Please enter destination|Please enter size|Insert new disk in drive and click OK to "
     "progress.\nG.1: part 1 of 3|Insert new disk|No disk is mounted|No disk is mounted|Insert new "
     "disk|No disk is mounted|Stopped. Not copied to disk: G.3. They are in \"{staging}\".",
     "box/disk1/#1;box/disk2/#1;staging/#1", nullptr},
    {"G.1 into its own folder refused; old parts: No", "",
     "c/roms/G.1=rom:16;c/roms/G.SWC=rom:9;d/G.2=text:old", "c/roms/G.1", &Form1::Command1,
     ">{work}|>8|ok|>{d}|>4|no",
     "Please enter destination|Please enter size|Splitting G.1 into its own folder|Please enter "
     "destination|Please enter size|\"{d}\" already holds G.2.",
     "c/roms/G.1=rom:16;c/roms/#2;d/G.2=text:old;d/#1", "", 0, "c/roms/G.SWC", &Form1::Command1},
    {"stopped: the parts of this run go", "STANDIN_STALL=600000 STOP=@d/G.2", "c/roms/G.SWC=rom:9",
     "c/roms/G.SWC", &Form1::Command1, ">{d}|>4|ok",
     "Please enter destination|Please enter size|ucon64 was stopped by the user.",
     "d/#0;^d/G.2<524800", nullptr},
    {"a folder missing on the disk: Retry, Cancel", "", "c/roms/G.SWC=rom:9", "c/roms/G.SWC",
     &Form1::Command1, ">A:\\GAMES|>8|ok|retry|cancel|ok",
     "Please enter destination|Please enter size|Insert new disk|The folder A:\\GAMES is not on "
     "the disk|The folder|Stopped.",
     "staging/#2", nullptr}};
INSTANTIATE_TEST_SUITE_P(Split, OperationTest, ::testing::ValuesIn(Splits));

// Join: the output, the parts gathered from disks when the floppy is browsed, the set checked.
const Scenario Joins[] = {
    {"from disks: the first part alone", "", "box/disk1/G.1=part:.", "a:G.1", &Form1::Command2,
     ">{d}/J.SWC|cancel|ok", "Please enter output|Please insert next|Done!",
     "d/J.SWC=part:.;own/#0", "-j --snes {own}/G.1", 'w'},
    {"from disks: a wrong disk, a missing part", "",
     "box/disk1/G.1=part:+;box/disk2/G.2=part:+;box/disk3/G.3=part:.", "a:G.1", &Form1::Command2,
     ">{d}/J.SWC|ok@3|retry@2|ok@9|cancel",
     "Please enter output|Please insert next|G.2 is not on the disk|Please insert next|G.3 is not "
     "on the disk",
     "!d/J.SWC;own/#0", ""},
    {"from disks: Cancel before the last part", "", "box/disk1/G.1=part:+;box/disk2/G.2=part:.",
     "a:G.1", &Form1::Command2, ">{d}/J.SWC|cancel|no|ok@2|cancel|ok",
     "Please enter output|Please insert next|G.1 is not the last part|Please insert next|Please "
     "insert next|Done!",
     "own/#0", nullptr},
    {"no first part: no header, or by its name", "",
     "box/disk1/G.1.BAK=part:.;c/roms/G.1=part:n;c/roms/G.2=part:.", "c/roms/G.1", &Form1::Command2,
     ">{d}/J.SWC|ok|ok", "Please enter output|It seems that either|It seems that either",
     "!d/J.SWC", "", 0, "a:G.1.BAK", &Form1::Command2},
    {"the output exists: No; the user's file in the way", "",
     "c/roms/G.1=part:+;c/roms/G.2=part:.;d/E.SWC=text:mine;box/disk1/G.1=part:+;own/G.2=text:mine",
     "c/roms/G.1", &Form1::Command2, ">{d}/E.SWC|no|>OUT.SWC|ok",
     "Please enter output|File exists. Overwrite?|Please enter output|\"{own}/G.2\" is in the way",
     "d/E.SWC=text:mine;own/G.2=text:mine;own/#1", "", 0, "a:G.1", &Form1::Command2},
    {"a part cut short; the rest missing: No", "",
     "c/roms/G.1=part:+;c/roms/G.2=part:s;d/H.1=part:+;d/H.2=part:+", "c/roms/G.1",
     &Form1::Command2, ">{d}/J.SWC|ok|>{d}/J.SWC|no",
     "Please enter output|G.2 holds 130,584 of 131,584 bytes: the part is incomplete.|Please enter "
     "output|H.2 is not the last part of its set.",
     "!d/J.SWC", "", 0, "d/H.1", &Form1::Command2},
    {"the joined image cut short: not delivered", "STANDIN_ROOM=100000",
     "c/roms/G.1=part:+;c/roms/G.2=part:.", "c/roms/G.1", &Form1::Command2, ">{d}/J.SWC|ok",
     "Please enter output|ucon64 wrote G.tmp with 100,000 bytes, but the parts add up to 262,656.",
     "!d/J.SWC;own/#0;^own/G.tmp<262656", nullptr},
    {"stopped: the unfinished G.tmp goes", "STANDIN_STALL=1000 STOP=@own/G.tmp",
     "c/roms/G.1=part:+;c/roms/G.2=part:.", "c/roms/G.1", &Form1::Command2, ">{d}/J.SWC|ok",
     "Please enter output|ucon64 was stopped by the user. The unfinished G.tmp was removed.",
     "!d/J.SWC;own/#0;^own/G.tmp<262656", nullptr},
    {"relative: Done! says where; another drive refused", "", "c/roms/G.1=part:.", "c/roms/G.1",
     &Form1::Command2, ">OUT.SWC|ok|>C:\\G.swc|ok",
     "Please enter output|Done!\nThe joined image is \"{own}/OUT.SWC\".|Please enter "
     "output|\"C:\\G.swc\" names drive C:",
     "own/OUT.SWC=part:.;own/#1", nullptr, 0, "c/roms/G.1", &Form1::Command2}};
INSTANTIATE_TEST_SUITE_P(Join, OperationTest, ::testing::ValuesIn(Joins));

// Disk images: one per part under the first free run of numbers, none over a taken one, and
// the set joined back from its first image; a stick without room is named before anything is
// written, and one that fills up keeps the images written whole and no partial one.
const Scenario Images[] = {
    {"between taken numbers, and back", "",
     "c/roms/G.SWC=rom:9;d/DSKA0000.IMG=text:x;d/DSKA0002.hfe=text:y;d/dska0006.img=text:z",
     "c/roms/G.SWC", &Form1::Command6, ">{d}|>12|>4|ok|>{d}/J.SWC|ok",
     "Please enter the folder|Please enter size|Sorry, a 1.44MB|G is on disks 3 to 5 (DSKA0003.IMG "
     "to DSKA0005.IMG).|Please enter output|Done!",
     "d/J.SWC=rom:9;d/DSKA0000.IMG=text:x;d/dska0006.img=text:z;d/#7;staging/#0;own/#0",
     "-s --ssize=4 {work}/G.SWC -o={staging}|-j --snes {own}/G.1", 0, "d/DSKA0003.IMG",
     &Form1::Command2},
    {"a stick without room for the set", "stick=3997696", "c/roms/G.SWC=rom:9", "c/roms/G.SWC",
     &Form1::Command6, ">{d}|>4|ok",
     "Please enter the folder|Please enter size|The 3 disk images of G.SWC need 4,423,680 bytes in "
     "\"{d}\", which has room for 3,997,696.",
     "d/#0;staging/#0", nullptr},
    {"a stick that fills after one image", "stick=40000000:1", "c/roms/G.SWC=rom:9", "c/roms/G.SWC",
     &Form1::Command6, ">{d}|>4|ok",
     "Please enter the folder|Please enter size|DSKA0001.IMG (G.2) was not written: No space left "
     "on device. Written and kept: DSKA0000.IMG (G.1).",
     "d/DSKA0000.IMG;d/#1;staging/#0", nullptr},
    {"another set's image; the next one missing: No", "",
     "d/DSKA0007.IMG=disk:G.1:+;d/DSKA0008.IMG=disk:H.2:.;d/DSKA0017.IMG=disk:K.1:+",
     "d/DSKA0007.IMG", &Form1::Command2, ">{d}/J.SWC|ok|>{d}/J.SWC|no",
     "Please enter output|DSKA0008.IMG holds H.2, not G.2|Please enter output|K.1 is not the last "
     "part of its set. Join without the rest?\nThere is no DSKA0018.IMG.",
     "!d/J.SWC;own/#0", "", 0, "d/DSKA0017.IMG", &Form1::Command2},
    {"no disk image; no first part", "", "d/X.IMG=text:hello;d/DSKA0001.IMG=disk:G.2:.", "d/X.IMG",
     &Form1::Command2, "ok|ok",
     "\"{d}/X.IMG\" holds no part: it is not a 1.44 MB FAT12 disk image (5 bytes, not "
     "1,474,560).|It seems that either",
     "", "", 0, "d/DSKA0001.IMG", &Form1::Command2}};
INSTANTIATE_TEST_SUITE_P(Images, OperationTest, ::testing::ValuesIn(Images));

const Scenario Locals[] = {
    {"Fix Checksum", "", "c/roms/G.SWC=rom:1", "c/roms/G.SWC", &Form1::Command4, "", "",
     "c/roms/G.bak=rom:1", "--chk {work}/G.SWC -o={work}", 'w'},
    {"Convert", "", "c/roms/G.sfc=raw:1", "c/roms/G.sfc", &Form1::Command7, "", "", "c/roms/#2",
     "-swc {work}/G.sfc -o={work}", 'd'},
    {"Convert: already .swc", "", "c/roms/G.SWC=rom:1", "c/roms/G.SWC", &Form1::Command7, "ok",
     "ROM is already in SWC format!", "", ""},
    {"nothing selected: no fix; then Send ROM", "", "c/roms/G.SWC=rom:1", "", &Form1::Command4,
     "ok", "Cannot read \"{work}/\" (no file is selected).", "c/roms/#1",
     "--xswc {work}/G.SWC --port=378", 'd', "c/roms/G.SWC", &Form1::Command10},
    {"a fix stopped: the original back", "STANDIN_STALL=1000 STOP=@c/roms/G.SWC",
     "c/roms/G.SWC=rom:1", "c/roms/G.SWC", &Form1::Command4, "ok",
     "\"{work}/G.SWC\" was not fixed: ucon64 was stopped by the user.",
     "c/roms/G.SWC=rom:1;c/roms/#1;^c/roms/G.SWC<131584", nullptr},
    {"Convert over the user's G.swc: No", "",
     "c/roms/G.sfc=raw:1;c/roms/G.swc=text:mine;c/roms/G.bak=text:old", "c/roms/G.sfc",
     &Form1::Command7, "no", "G.bak exists. Replace it with the current G.swc?",
     "c/roms/G.swc=text:mine;c/roms/G.bak=text:old", ""},
    {"Convert, Yes, disk full: the user's files back", "STANDIN_ROOM=1000",
     "c/roms/G.sfc=raw:1;c/roms/G.swc=text:mine;c/roms/G.bak=text:old", "c/roms/G.sfc",
     &Form1::Command7, "yes|ok",
     "G.bak exists.|\"{work}/G.swc\" was not written: ucon64 wrote G.swc with 1,000 of 131,584 "
     "bytes.",
     "c/roms/G.swc=text:mine;c/roms/G.bak=text:old;c/roms/#3;^c/roms/G.swc<131584", nullptr},
    {"links to a pipe, a device: never read", "",
     "d/P=fifo;c/roms/PIPE.SWC=link:{d}/P;c/roms/ZERO.SWC=link:/dev/zero", "c/roms/PIPE.SWC",
     &Form1::Command3, "ok|ok",
     "Cannot read \"{work}/PIPE.SWC\" (not a regular file).|Cannot read \"{work}/ZERO.SWC\" (not a "
     "regular file).",
     "", "", 0, "c/roms/ZERO.SWC", &Form1::Command14}};
INSTANTIATE_TEST_SUITE_P(Local, OperationTest, ::testing::ValuesIn(Locals));

const Scenario Transfers[] = {
    {"relative: into the working folder; a name like an option", "", "d/NEW.SRM=text:user", "",
     &Form1::Command13, ">NEW.SRM|>-S.RTS", "Please enter destination|Please enter destination",
     "own/NEW.SRM=copier;d/NEW.SRM=text:user;own/-S.RTS=copier",
     "--xswcs NEW.SRM --port=378|--xswcr ./-S.RTS --port=378", 'w', "", &Form1::Command16},
    {"an old file: No, then Yes", "", "own/OLD.SRM=text:old", "", &Form1::Command13,
     ">OLD.SRM|no|>OLD.SRM|yes",
     "Please enter destination|File exists.|Please enter destination|File exists.",
     "own/OLD.SRM=copier;own/#1", "--xswcs OLD.SRM --port=378", 0, "", &Form1::Command13},
    {"an old file: Yes, the copier silent", "STANDIN_COPIER=silent", "own/OLD.SRM=text:old", "",
     &Form1::Command13, ">OLD.SRM|yes|ok",
     "Please enter destination|File exists.|Nothing was received into \"{own}/OLD.SRM\": ucon64 "
     "wrote only 512 bytes",
     "own/OLD.SRM=text:old;own/#1", nullptr},
    {"an old file: Yes, stopped", "STANDIN_COPIER=abort", "own/OLD.SRM=text:old", "",
     &Form1::Command13, ">OLD.SRM|yes|ok",
     "Please enter destination|File exists.|Nothing was received into \"{own}/OLD.SRM\": ucon64 "
     "ended with status 2.",
     "own/OLD.SRM=text:old;own/#1", nullptr},
    {"a new file, stopped", "STANDIN_COPIER=abort", "", "", &Form1::Command13, ">N.SRM|ok",
     "Please enter destination|Nothing was received into \"{own}/N.SRM\": ucon64 ended with status "
     "2.",
     "!own/N.SRM", nullptr}};
INSTANTIATE_TEST_SUITE_P(Transfer, OperationTest, ::testing::ValuesIn(Transfers));

// The port and the two options as the controls hold them; typing into the mode box chooses
// no entry, and picking one again after typing counts.
TEST_F(OperationTest, PortRealTimeSaveAndIOMode) {
    writeFile(u"c/roms/G.SWC"_s, RomImage(Mbit));
    auto form = makeForm();
    select(*form, work, u"G.SWC"_s);
    for (const QString& name : {u"A.SWC"_s, u"B.SWC"_s, u"C.SRM"_s})
        prompter.type(name);
    form->Text1->setText(u"3BC"_s);
    form->Check1->setChecked(true);
    form->Command10->click();
    form->Command12->click();
    form->Combo1->setCurrentIndex(2);
    form->Command11->click();
    QTest::keyClicks(form->Combo1->lineEdit(), u"x"_s);
    form->Command11->click();
    form->Combo1->activated(9);
    form->Command15->click();

    QStringList runs;
    for (const Invocation& run : invocations())
        runs.append(run.argv.join(u' '));
    EXPECT_EQ(runs, list("--xswc2 {work}/G.SWC --port=3BC|--xswcs {work}/G.SWC --port=3BC|--xswc "
                         "A.SWC --port=3BC --xswc-io=0x004|--xswc B.SWC --port=3BC|--xswcc C.SRM "
                         "--port=3BC --xswc-io=0x044",
                         u'|'));
}

} // namespace
} // namespace kestrix::test
