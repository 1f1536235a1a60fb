// SPDX-License-Identifier: GPL-3.0-or-later
// The logic library's rules, table by table: the copier header, the browser's lists, command
// lines, names of parts, host paths, the copies, and the folders kestrix works in.
#include "core/browse.h"
#include "core/cmdline.h"
#include "core/fat12.h"
#include "core/files.h"
#include "core/gameheader.h"
#include "core/header.h"
#include "core/imageset.h"
#include "core/join.h"
#include "core/parts.h"
#include "core/port.h"
#include "core/runner.h"
#include "core/split.h"
#include "gameimages.h"
#include "support.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern "C" void __gcov_dump() __attribute__((weak));

namespace kestrix::test {
namespace {

QStringList Strings(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

TEST(HeaderTest, SizeModeBitsAndTheIdentifier) {
    const auto decode = [](const char* firstThree, const char* id = "aabb04") {
        return DecodeHeader(QByteArray::fromHex(firstThree) + QByteArray(5, '\0') +
                            QByteArray::fromHex(id));
    };
    const std::pair<const char*, const char*> sizes[] = {{"800000", "8"},         {"000100", "16"},
                                                         {"640000", "6.25"},      {"080000", ".5"},
                                                         {"ffff00", "4095.9375"}, {"000000", "0"}};
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(decode(bytes)->size, QString::fromLatin1(text)) << bytes;
    const std::pair<const char*, QStringList> modes[] = {
        {"0001fc", Strings({"Mode 1", "Multi-Image", "SRAM Mode 21", "DRAM Mode 21", "No SRAM"})},
        {"000100", Strings({"Mode 0", "Non-Multi", "SRAM Mode 20", "DRAM Mode 20", "256k SRAM"})},
        {"000124", Strings({"Mode 0", "Non-Multi", "SRAM Mode 21", "DRAM Mode 20", "64k SRAM"})},
        {"000158", Strings({"Mode 0", "Multi-Image", "SRAM Mode 20", "DRAM Mode 21", "16k SRAM"})}};
    for (const auto& [bytes, texts] : modes) {
        const auto p = decode(bytes);
        EXPECT_EQ(QStringList({p->mode, p->type, p->sramMap, p->dramMap, p->sramSize}), texts);
    }
    EXPECT_FALSE(decode("000100", "aabb05"));
    EXPECT_FALSE(decode("000100", "aabb")) << "ten bytes hold no identifier";
    EXPECT_TRUE(IsSmcName(u"G.smc"_s));
    EXPECT_FALSE(IsSmcName(u"G.SMC"_s));
}

// The row for each synthetic image, its checksum over the console's view of the ROM; bytes that
// are no game image give none, and the decoder never reads past the end.
TEST(GameHeaderTest, TheRowForEachImage) {
    const auto decode = [](const QByteArray& bytes, const QString& name = u"G.swc"_s) {
        return DecodeGameImage(name, bytes.size(), [&](qint64 offset, qint64 count) {
            EXPECT_LE(offset + count, bytes.size());
            return bytes.mid(offset, count);
        });
    };
    const auto sum = [](const QByteArray& bytes, const GameImage& image) {
        QBuffer device;
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
        return ImageChecksum(device, image, [] { return false; });
    };
    const auto hex = [](quint16 value) { return u"0x%1"_s.arg(value, 4, 16, QLatin1Char('0')); };
    for (const GameRowCase& c : GameRows()) {
        const MadeImage made = MakeGameImage(c.layout);
        const Result<GameImage> image = decode(made.bytes, QString::fromLatin1(c.name));
        ASSERT_TRUE(image) << c.name;
        const Result<quint16> computed = sum(made.bytes, *image);
        EXPECT_EQ(computed ? *computed : -1, made.checksum) << c.name;
        const QString row = QString::fromUtf8(c.row)
                                .replace(u"{stored}"_s, hex(made.stored))
                                .replace(u"{computed}"_s, hex(made.checksum));
        EXPECT_TRUE(row.isEmpty() || GameRow(*image, computed) ==
                                         QString::fromLatin1(c.layout.title) + u"; "_s + row)
            << GameRow(*image, computed).toStdString();
    }
    QByteArray noise(8 * Mbit, '\0');
    QRandomGenerator(30).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    const QByteArray lo = MakeGameImage({4, 0x20, "CUT"}).bytes;
    for (const QByteArray& bytes : {noise, QByteArray(0x10000, '\xff'), lo.left(0x8000), {}})
        EXPECT_FALSE(decode(bytes)) << bytes.size();
    EXPECT_FALSE(sum(lo.chopped(1), *decode(lo))) << "a file cut short has no sum";
    QTemporaryDir tmp;
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.filePath(u"PIPE.swc"_s)).constData(), 0600), 0);
    EXPECT_FALSE(ReadGameImage(tmp.filePath(u"PIPE.swc"_s)))
        << "opening it would wait for a writer";
}

TEST(BrowseTest, FilesFoldersAndTheSelectionFoundAgain) {
    QTemporaryDir dir;
    QDir root(dir.path());
    for (const char* name :
         {"GAME.SWC", "GAME.bak", "a.sfc", "Z.Smc", "x.10", "x.11", "doc.txt", "D.Img",
          ".hidden.swc", "sub/b/x", "sub/A/x", "sub/.git/x", "folder.swc/x"}) {
        root.mkpath(QFileInfo(root.filePath(QString::fromLatin1(name))).path());
        QFile(root.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    }
    EXPECT_EQ(ListFiles(dir.path(), RomPattern()),
              Strings({"a.sfc", "D.Img", "GAME.bak", "GAME.SWC", "x.10", "Z.Smc"}));
    EXPECT_EQ(ListFiles(dir.path(), {}).size(), 8) << "no pattern lists every visible file";
    QStringList shown;
    for (const FolderEntry& e : ListFolders(dir.path(), root.filePath(u"sub"_s)))
        shown.append(QString(e.depth, u'>') + e.name + (e.isChain ? u"*"_s : QString()));
    EXPECT_EQ(shown,
              QStringList({QDir::cleanPath(dir.path()) + u'*', u">sub*"_s, u">>A"_s, u">>b"_s}));
    const QStringList names = Strings({"A.swc", "B.bak", "B.swc"});
    const std::tuple<int, const char*, int> cases[] = {
        {1, "B.swc", 2}, {2, "A.swc", 0}, {7, "A.swc", 0}, {0, "b.swc", -1}, {-1, "", -1}};
    for (const auto& [index, name, found] : cases)
        EXPECT_EQ(FindReselection(names, index, QString::fromLatin1(name)), found) << name;
}

TEST(CommandLineTest, TheRuntimesArgvAndPathsThatSurviveIt) {
    const std::pair<const char*, QStringList> lines[] = {
        {R"(p "abc" d e)", Strings({"p", "abc", "d", "e"})},
        {R"(p a\\b d"e f"g h)", Strings({"p", R"(a\\b)", "de fg", "h"})},
        {R"(p a\\\"b c d)", Strings({"p", R"(a\"b)", "c", "d"})},
        {R"(p a\\\\"b c" d e)", Strings({"p", R"(a\\b c)", "d", "e"})},
        {R"(p a"b"" c d)", Strings({"p", R"(ab" c d)"})},
        {"p \t a  \t b\t", Strings({"p", "a", "b"})},
        {R"(p "C:\" x)", Strings({"p", R"(C:" x)"})},
        {R"("C:\Program Files\u.exe" -l)", Strings({R"(C:\Program Files\u.exe)", "-l"})},
        {"", {}}};
    for (const auto& [line, argv] : lines)
        EXPECT_EQ(SplitCommandLine(QString::fromUtf8(line)), argv) << line;
    for (const char* path : {R"(C:\)", R"(C:\My ROMs\\)", "/r o/x.swc", R"(say "hi")", ""}) {
        const QStringList argv = SplitCommandLine(u"u -l "_s + QuotePath(QString::fromUtf8(path)));
        EXPECT_EQ(argv.value(2), QString::fromUtf8(path));
    }
}

TEST(PartsTest, SizesFloppyModeAndNamesOfParts) {
    const std::pair<const char*, double> sizes[] = {{"11", 11},     {"11.5", 11.5}, {"1 0", 10},
                                                    {" 12abc", 12}, {"abc", 0},     {".5", .5},
                                                    {"1e1", 10}};
    for (const auto& [text, value] : sizes)
        EXPECT_EQ(SizeValue(QString::fromUtf8(text)), value) << text;
    EXPECT_EQ(SizeOption(u" 1 0 "_s), u"10"_s);
    EXPECT_FALSE(IsFloppyDestination(u" A:\\"_s));
    QStringList parts = Strings({"G.10", "G.2", "G.1", "H.1"});
    std::sort(parts.begin(), parts.end(), PartNumberLess);
    EXPECT_EQ(parts, Strings({"G.1", "G.2", "G.10", "H.1"}));
    for (const char* name : {"GAME.11", "GAME.1.BAK", "1"})
        EXPECT_FALSE(IsFirstPart(QString::fromLatin1(name))) << name;
    EXPECT_EQ(PartName(PartBase(u"A.B.1"_s), 10), u"A.B.10"_s);
    for (const char* other : {"G.02", "G.", "G.1a", "GS.1"})
        EXPECT_FALSE(IsJoinWorkName(QString::fromLatin1(other), u"G"_s, true));
}

TEST(HostTest, FloppyPathsDrivesAndRoomOnADisk) {
    const QString floppy = u"/media/floppy0"_s;
    const std::pair<const char*, const char*> paths[] = {
        {"A:\\", "/media/floppy0"},
        {"A:\\\\GAME.1", "/media/floppy0/GAME.1"},
        {"a:\\DUMPS\\CART.SRM", "/media/floppy0/DUMPS/CART.SRM"},
        {"/home/u/A:\\x", "/home/u/A:\\x"},
        {"B:\\x", "B:\\x"}};
    for (const auto& [typed, host] : paths)
        EXPECT_EQ(HostPath(QString::fromLatin1(typed), floppy), QString::fromLatin1(host));
    EXPECT_EQ(HostPath(u"A:\\t"_s, {}), QString()) << "no floppy, no stand-in";
    Platform host;
    host.mounted = [&] { return QList<MountedVolume>{{floppy, {}, "vfat", 1474560}}; };
    host.workFolder = u"/w"_s;
    EXPECT_EQ(*TypedPath(u"OUT.swc"_s, host), u"/w/OUT.swc"_s);
    EXPECT_EQ(*TypedPath(u"a:\\OUT.swc"_s, host), u"/media/floppy0/OUT.swc"_s);
    EXPECT_FALSE(TypedPath(u"C:\\YourROM.swc"_s, host)) << "a file named C:\\YourROM.swc";
    // a: is the folder named, while anything is mounted there; else a FAT volume of a floppy's
    // size, the first by device: never a bare folder, the root disk or a stick.
    const MountedVolume root{u"/"_s, u"/dev/sda1"_s, "ext4", 100000000000},
        legacy{u"/media/floppy0/"_s, u"/dev/sda1"_s, "ext4", 0},
        stick{u"/media/u/STICK"_s, u"/dev/sdc1"_s, "vfat", 100000000},
        disk1{u"/media/u/GAME1"_s, u"/dev/sdb"_s, "vfat", 1474560},
        disk2{u"/run/media/u/GAME2"_s, u"/dev/sdb"_s, "msdos", 1474560},
        other{u"/media/u/OTHER"_s, u"/dev/sda9"_s, "vfat", 2949120};
    const std::tuple<QList<MountedVolume>, const char*, const char*> floppies[] = {
        {{root, legacy, stick}, "", ""},
        {{root, disk1, stick}, "", "/media/u/GAME1"},
        {{root, disk2}, "", "/run/media/u/GAME2"},
        {{disk1, other}, "", "/media/u/OTHER"},
        {{root, stick}, "/media/u/STICK/", "/media/u/STICK"},
        {{root, disk1}, "/media/floppy0", ""}};
    for (const auto& [mounted, configured, found] : floppies)
        EXPECT_EQ(FindFloppy(mounted, QString::fromLatin1(configured)), QString::fromLatin1(found))
            << configured << " " << found;
    // Whole blocks count; an old file of the same name is replaced in place when only that fits.
    const std::tuple<qint64, qint64, qint64, Placement> room[] = {
        {1049088, -1, 1458176, Placement::Beside},
        {1049088, 1049088, 405504, Placement::InPlace},
        {1049088, 4096, 405504, Placement::NoRoom},
        {4097, -1, 4096, Placement::NoRoom}};
    for (const auto& [bytes, old, free, placement] : room)
        EXPECT_EQ(PlaceOnDisk(bytes, old, free, 4096), placement) << bytes << " " << old;
}

// Short writes without root: each copy runs in a child whose files may not grow past 40,000
// bytes. A copy cut short leaves no partial file behind, and an old target beside it whole.
TEST(CopyFileTest, EveryByteOrNothing) {
    const std::tuple<CopyMode, bool, long, const char*> cases[] = {
        {CopyMode::Beside, true, 0, "new"},
        {CopyMode::Beside, false, 40000, ""},
        {CopyMode::Beside, true, 40000, "old"},
        {CopyMode::InPlace, true, 40000, ""}};
    for (const auto& [mode, oldTarget, limit, after] : cases) {
        QTemporaryDir tmp;
        const QString from = tmp.filePath(u"GAME.2"_s);
        const QString to = tmp.filePath(u"target"_s);
        const QByteArray bytes = RomImage(Mbit);
        QFile source(from), old(to);
        ASSERT_TRUE(source.open(QIODevice::WriteOnly) && source.write(bytes) == bytes.size());
        ASSERT_TRUE(!oldTarget || (old.open(QIODevice::WriteOnly) && old.write("old") == 3));
        source.close();
        old.close();
        const QString message = limit ? u"Copying GAME.2 to \"%1\" stopped after 40,000 of "
                                        "131,584 bytes (File too large)."_s.arg(to)
                                      : QString();
        if (::fork() == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit fileSize{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            if (limit)
                ::setrlimit(RLIMIT_FSIZE, &fileSize);
            const QString error = CopyFile(from, to, mode).error();
            if (error != message)
                std::fprintf(stderr, "the copy said: %s\n", qPrintable(error));
            // No exit handlers: those of a thread the parent had (QtDBus's) would wait for it
            // here forever; a coverage build's counts are written first.
            if (__gcov_dump)
                __gcov_dump();
            ::_exit(error != message);
        }
        int status = -1;
        ::wait(&status);
        EXPECT_EQ(status, 0) << "another message than " << message.toStdString();
        QFile target(to);
        const QByteArray expected = *after == 'n' ? bytes : QByteArray(after);
        EXPECT_EQ(target.open(QIODevice::ReadOnly) ? target.readAll() : QByteArray(), expected);
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 1 + !expected.isEmpty())
            << "no temporary copy may be left";
    }
}

// A tool no one here wrote, on an image file: its exit status and what it printed.
std::pair<int, QByteArray> Oracle(const QString& program, const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, args);
    if (!tool.waitForFinished(30000))
        return {-1, {}};
    return {tool.exitCode(), tool.readAll()};
}

// Each image is the disk mformat lays out, passes fsck.fat and gives its part back to mcopy under
// the 8.3 name made of the image's name; the reader gives back what the writer wrote.
TEST(DiskImageTest, TheWriterAsTheOraclesSeeIt) {
    const std::tuple<const char*, const char*, const char*, int> rows[] = {
        {"GAME.swc", "GAME.1", "GAME", 1},
        {"Super Mario World (U) [!].swc", "SUPERMAR.2", "SUPERMARIOW", 11},
        {"my game.sfc", "MYGAME.3", "MYGAME", 4},
        {"Pokémon Grün.swc", "POKMONGR.4", "POKMONGRN", 1},
        {".hidden.swc", "HIDDEN.5", "HIDDEN", 1},
        {"äöü.swc", "GAME.10", "GAME", 1}};
    QTemporaryDir tmp;
    const QString file = tmp.filePath(u"DSKA0000.IMG"_s);
    const QDateTime when(QDate(2024, 5, 17), QTime(13, 45, 22));
    for (const auto& [image, dosName, label, mbit] : rows) {
        const QString name = QString::fromUtf8(image);
        const int number = QString::fromLatin1(dosName).section(u'.', 1).toInt();
        ASSERT_EQ(PartDosName(name, number), QString::fromLatin1(dosName)) << image;
        ASSERT_EQ(DosName(ToolName(name, {}), 11), QString::fromLatin1(label));
        const DiskFile part{PartDosName(name, number), RomImage(mbit * Mbit, '+'), when};
        const Result<QByteArray> made = MakeFloppyImage(QString::fromLatin1(label), part);
        ASSERT_TRUE(made) << made.error().toStdString();
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(*made) == made->size());
        out.close();
        const auto [fsck, fsckSaid] = Oracle(u"fsck.fat"_s, {u"-n"_s, file});
        EXPECT_EQ(fsck, 0) << image << ": " << fsckSaid.toStdString();
        const auto [info, infoSaid] = Oracle(u"minfo"_s, {u"-i"_s, file, u"::"_s});
        for (const char* line :
             {"sectors per track: 18", "heads: 2", "media byte: f0", "cluster size: 1 sectors",
              "fats: 2", "sectors per fat: 9", "max available root directory slots: 224",
              "small size: 2880 sectors"})
            EXPECT_TRUE(infoSaid.contains(line)) << line << "\n" << infoSaid.toStdString();
        const auto [dir, listed] = Oracle(u"mdir"_s, {u"-i"_s, file, u"::"_s});
        EXPECT_TRUE(listed.contains(" is " + QByteArray(label))) << listed.toStdString();
        EXPECT_TRUE(listed.contains("2024-05-17  13:45")) << listed.toStdString();
        EXPECT_TRUE(listed.contains("1 file")) << "no long-name entry: " << listed.toStdString();
        const auto [copy, copied] =
            Oracle(u"mcopy"_s, {u"-n"_s, u"-i"_s, file, u"::"_s + QLatin1String(dosName), u"-"_s});
        EXPECT_TRUE(copy == 0 && copied == part.bytes) << image;
        const Result<QList<DiskFile>> back = ReadFloppyImage(*made);
        ASSERT_TRUE(back && back->size() == 1);
        EXPECT_EQ(back->front().name, part.name);
        EXPECT_EQ(back->front().modified, when);
    }
    EXPECT_FALSE(MakeFloppyImage(u"G"_s, {u"G.1"_s, QByteArray(FloppyImageRoom + 1, 'x'), when}))
        << "one byte more than the disk holds";
}

// The reader on disks mtools made: long names, a deleted file, a folder, the label and a file
// whose clusters are scattered; bytes that are no such disk are refused with a reason.
TEST(DiskImageTest, TheReaderOnDisksOthersMade) {
    QTemporaryDir tmp;
    const QString disk = tmp.filePath(u"d.img"_s);
    const auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile f(tmp.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        EXPECT_EQ(Oracle(u"mcopy"_s, {u"-i"_s, disk, f.fileName(), u"::"_s + name}).first, 0);
    };
    ASSERT_EQ(Oracle(u"mformat"_s,
                     {u"-C"_s, u"-f"_s, u"1440"_s, u"-v"_s, u"STICK"_s, u"-i"_s, disk, u"::"_s})
                  .first,
              0);
    put(u"A.1"_s, QByteArray(3000, 'a'));
    put(u"Long file name.txt"_s, "long");
    put(u"B.2"_s, RomImage(2 * Mbit, '.'));
    ASSERT_EQ(Oracle(u"mdel"_s, {u"-i"_s, disk, u"::A.1"_s}).first, 0);
    ASSERT_EQ(Oracle(u"mmd"_s, {u"-i"_s, disk, u"::SUB"_s}).first, 0);
    put(u"C.3"_s, RomImage(Mbit, '+')); // into the hole A.1 left, then beyond B.2
    QFile image(disk);
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    const Result<QList<DiskFile>> files = ReadFloppyImage(image.readAll());
    ASSERT_TRUE(files) << files.error().toStdString();
    QStringList names;
    for (const DiskFile& f : *files)
        names.append(f.name);
    EXPECT_EQ(names, Strings({"LONGFI~1.TXT", "B.2", "C.3"}));
    EXPECT_EQ(files->at(1).bytes, RomImage(2 * Mbit, '.'));
    EXPECT_EQ(files->at(2).bytes, RomImage(Mbit, '+'));

    QByteArray loop = *MakeFloppyImage(u"G"_s, {u"G.1"_s, QByteArray(2000, 'x'), {}});
    loop[512 + 4] = 0x20; // cluster 3 points back to 2
    const std::pair<QByteArray, const char*> refused[] = {
        {QByteArray(FloppyImageBytes, '\0'), "no boot sector"},
        {QByteArray(100, '\xeb'), "100 bytes, not 1,474,560"},
        {loop, "the clusters of G.1 are broken"}};
    for (const auto& [bytes, reason] : refused)
        EXPECT_TRUE(ReadFloppyImage(bytes).error().contains(QLatin1String(reason)))
            << ReadFloppyImage(bytes).error().toStdString();
}

// The drive's numbers: the first free run long enough, whatever suffix or case takes a number.
TEST(DiskImageTest, NumbersOfTheSet) {
    const QStringList taken =
        Strings({"DSKA0000.IMG", "dska0002.img", "DSKA0003.HFE", "DSKA0006", "DSKA12.IMG", "x"});
    const std::pair<int, int> runs[] = {{1, 1}, {2, 4}, {3, 7}, {0, -1}};
    for (const auto& [count, first] : runs)
        EXPECT_EQ(FirstFreeNumbers(taken, count), first) << count;
    QStringList full;
    for (int n = 0; n < 9999; ++n)
        full.append(IndexedImageName(n));
    EXPECT_EQ(FirstFreeNumbers(full, 2), -1) << "no room for two after 9998";
    EXPECT_EQ(FirstFreeNumbers(full, 1), 9999);
    const std::pair<const char*, const char*> next[] = {{"DSKA0009.IMG", "DSKA0010.IMG"},
                                                        {"game9.img", ""},
                                                        {"DSKA9999.IMG", ""},
                                                        {"GAME.IMG", ""},
                                                        {"D1SK07.img", "D1SK08.img"},
                                                        {"DSKA0003.img", "DSKA0004.img"}};
    for (const auto& [name, following] : next)
        EXPECT_EQ(NextImageName(QString::fromLatin1(name)), QString::fromLatin1(following));
}

class FoldersTest : public KestrixTest {};

// The tool is taken from the program folder first, then from PATH; what main() reads of the
// host comes from the environment it is given.
TEST_F(FoldersTest, TheToolsPlaceAndTheHostsFolders) {
    writeFile(u"bin/ucon64"_s, "#!/bin/sh\necho from PATH\n");
    QFile::setPermissions(path(u"bin/ucon64"_s), QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", path(u"bin"_s).toLocal8Bit());
    EXPECT_EQ(FindProgram(u"ucon64"_s, programFolder), programFolder + u"/ucon64"_s);
    ToolProcess tool;
    ASSERT_TRUE(tool.start(u"ucon64 -l x"_s, programFolder));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tool.running(); }));
    EXPECT_EQ(invocations().size(), 1);
    QFile::remove(programFolder + u"/ucon64"_s);
    EXPECT_EQ(FindProgram(u"ucon64"_s, programFolder), path(u"bin/ucon64"_s));
    EXPECT_EQ(FindProgram(path(u"bin/ucon64"_s), {}), path(u"bin/ucon64"_s));
    QFile::setPermissions(path(u"bin/ucon64"_s), QFile::ReadOwner);
    EXPECT_EQ(FindProgram(u"ucon64"_s, programFolder), QString()) << "not executable";
    qputenv("KESTRIX_FLOPPY", floppy.toLocal8Bit());
    const Platform host = Platform::fromSystem();
    qunsetenv("KESTRIX_FLOPPY");
    EXPECT_EQ(host.floppyFolder, floppy);
    EXPECT_EQ(FloppyRoot(host), QString()) << "a folder with nothing mounted on it is no disk";
    EXPECT_EQ(DriveOf(DriveList(host), u"/"_s).drive, u"/"_s);
}

// A staging folder that someone else could read or replace is never used; the working folder is
// the program folder only where the user can write.
TEST_F(FoldersTest, StagingIsOurOwnAndTheWorkFolderWritable) {
    const QString wanted = path(u"stage"_s);
    const auto make = [&](QFile::Permissions others) {
        return QDir().mkdir(wanted,
                            others | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const std::pair<std::function<bool()>, bool> cases[] = {
        {[] { return true; }, false},
        {[&] { return make({}); }, false},
        {[&] { return make(QFile::ReadOther | QFile::ExeOther); }, true},
        {[&] { return QFile::link(drive, wanted); }, true},
        {[&] { return QFile(wanted).open(QIODevice::WriteOnly); }, true},
        {[&] { return make({}) && ::chown(QFile::encodeName(wanted), 65534, 65534) == 0; }, true}};
    bool othersSkipped = false;
    for (const auto& [arrange, second] : cases) {
        QDir(wanted + u"-2"_s).removeRecursively();
        QFile::remove(wanted);
        QDir(wanted).removeRecursively();
        if (!arrange()) { // only giving a folder to someone else may fail, without root
            ASSERT_NE(::getuid(), 0u) << "a row could not be laid out";
            othersSkipped = true;
            continue;
        }
        const Result<QString> folder = PrivateFolder(wanted, ::getuid());
        ASSERT_TRUE(folder) << folder.error().toStdString();
        EXPECT_EQ(*folder, second ? wanted + u"-2"_s : wanted);
        EXPECT_EQ(QFileInfo(*folder).permissions() & QFile::Permissions(0x7077),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // A runtime folder that cannot hold ours (another user's, say) falls back to the other.
    Platform host = platform();
    writeFile(u"file"_s);
    host.stagingFolder = path(u"file/kestrix-staging"_s);
    host.stagingFallback = path(u"fallback"_s);
    const Result<QString> staging = StagingFolder(host);
    ASSERT_TRUE(staging) << staging.error().toStdString();
    EXPECT_EQ(*staging, path(u"fallback"_s));
    EXPECT_EQ(*WorkFolder(programFolder, path(u"share"_s)), programFolder);
    EXPECT_EQ(*WorkFolder(path(u"gone"_s), path(u"share"_s)), path(u"share/kestrix"_s));
    EXPECT_TRUE(QFileInfo(path(u"share/kestrix"_s)).isDir());
    if (othersSkipped)
        GTEST_SKIP() << "a folder of someone else's needs root to be made: that row did not run";
}

// The parallel port as made-up /dev and /proc trees show it, for a tool built with ppdev (its
// settings name a device) or for port I/O; one plain message for each problem.
TEST_F(FoldersTest, TheParallelPortBeforeATransfer) {
    const char* ppdev = "parport_dev=/dev/parport0\n";
    const char* portIO = "# set by ucon64\nparport=378\n";
    const std::tuple<const char*, const char*, uint, const char*> hosts[] = {
        {"", "dev/usb/lp0", 1000, "Only a USB printer adapter (/dev/usb/lp0)"},
        {ppdev, "", 1000, "The parallel port /dev/parport0 is not there."},
        {ppdev, "dev/parport0;etc/group=lp:x:7:", 1000,
         "You may not open the parallel port /dev/parport0. Join its group (sudo adduser $USER "
         "lp)"},
        {ppdev, "dev/parport0;proc/sys/dev/parport/parport0/devices/active=lp", 0,
         "The printer driver lp holds parport0."},
        {ppdev, "dev/parport0", 0, ""},
        {portIO, "", 1000, "ucon64 reaches the port directly, which only root may do"},
        {portIO, "proc/sys/dev/parport/parport0/base-addr=956\t1980", 0,
         "The port 0x378 is not one this computer has: type 3BC after \"0x\"."},
        {portIO, "proc/sys/dev/parport/parport0/base-addr=888\t1912", 0, ""}};
    for (const auto& [settings, tree, user, problem] : hosts) {
        QDir(path(u"sys"_s)).removeRecursively();
        writeFile(u"sys/ucon64rc"_s, settings);
        for (const QString& file : QString::fromUtf8(tree).split(u';', Qt::SkipEmptyParts))
            writeFile(u"sys/"_s + file.section(u'=', 0, 0), file.section(u'=', 1).toUtf8());
        if (QFile::exists(path(u"sys/dev/parport0"_s))) {
            QFile::setPermissions(path(u"sys/dev/parport0"_s),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::WriteGroup);
            if (::chown(QFile::encodeName(path(u"sys/dev/parport0"_s)).constData(), 0, 7) != 0)
                GTEST_SKIP() << "a device of root's group lp needs root to be made";
        }
        const PortHost host{path(u"sys"_s), user, {100}, path(u"sys/ucon64rc"_s)};
        const QStringList found = PortProblems(host, u"378"_s, path(u"none"_s));
        EXPECT_EQ(found.size(), *problem ? 1 : 0) << found.join(u'|').toStdString();
        EXPECT_TRUE(found.isEmpty() || found[0].startsWith(QString::fromUtf8(problem)))
            << found.join(u'|').toStdString();
    }
}

} // namespace
} // namespace kestrix::test
