// SPDX-License-Identifier: GPL-3.0-or-later
// An operation end to end as one row: files laid out, a file selected, a button pressed (perhaps
// a second after it), the boxes answered, and what the user saw and what lies where afterwards.
#pragma once

#include "support.h"

#include <QPushButton>

namespace kestrix::test {

struct Scenario {
    const char* label;
    const char* env;      // blank-separated: NAME=value for the stand-in; "real": the real tool;
                          // "floppy": a floppy of real size (both skip where they cannot be had);
                          // STOP=@path: Stop is clicked once the file (or pipe) holds data;
                          // "stick=BYTES" or "stick=BYTES:FILES": a tmpfs over d (root only)
    const char* files;    // "path=content;..." content: rom:N, raw:N (no header), part:K (1 Mbit)
                          // or part:KN (N Mbit), text:T, zeros:BYTES, fifo, link:TARGET,
                          // disk:NAME:KN (a disk image holding part:KN as NAME)
    const char* selected; // "folder/name" to select; "a:NAME" on the floppy drive (disk 1, or
                          // "a:NAME@N" disk N); "" nothing
    QPushButton* Form1::*button;
    const char* answers; // "|"-separated: >TEXT types, else ok cancel yes no retry, and @N
                         // after one first inserts disk N, @- first takes the disk out
    const char* shown;   // "|"-separated beginnings of each box's text
    const char* after;   // "path=content;~path=content (differs);path (there);!path (absent);
                         // folder/#count;^path<N (held fewer than N bytes when a run ended);
                         // ?TEXT (the tool's window showed it at the Stop)..."
    const char* runs;    // "|"-separated argv of each run (the real tool: of its one run);
                         // nullptr: unchecked
    char cwd = 0;        // 'w': the tool ran in the working folder, 'd': the folder it was in
    const char* thenSelected = nullptr; // a second button pressed after the first
    QPushButton* Form1::*thenButton = nullptr;
};

inline void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.label;
}

class OperationTest : public KestrixTest, public ::testing::WithParamInterface<Scenario> {
protected:
    QString expand(QString text) const {
        for (const auto& [key, value] : {std::pair{"{own}", own},
                                         {"{work}", work},
                                         {"{floppy}", floppy},
                                         {"{staging}", staging},
                                         {"{d}", data}})
            text.replace(QLatin1String(key), value);
        return text;
    }
    QByteArray content(const QString& made) const {
        const QString kind = made.section(u':', 0, 0), arg = made.section(u':', 1);
        if (kind == u"rom" || kind == u"raw")
            return RomImage(arg.toInt() * Mbit).mid(kind == u"raw" ? 512 : 0);
        if (kind == u"part") // part:K, or part:KN for N Mbit
            return RomImage(Mbit * std::max(1, arg.mid(1).toInt()), arg.at(0).toLatin1());
        if (kind == u"disk")
            return *MakeFloppyImage(u"GAME"_s, {made.section(u':', 1, 1),
                                                content(u"part:"_s + made.section(u':', 2)),
                                                QDateTime::currentDateTime()});
        if (kind == u"zeros")
            return QByteArray(arg.toInt(), '\0');
        return kind == u"copier" ? CopierData() : arg.toUtf8();
    }
    QStringList list(const char* text, QChar separator) const {
        return expand(QString::fromUtf8(text)).split(separator, Qt::SkipEmptyParts);
    }
};

} // namespace kestrix::test
