// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/gameheader.h"

#include "core/fileslot.h"
#include "core/header.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QRegularExpression>
#include <QThreadPool>
#include <algorithm>
#include <cstring>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>

namespace kestrix {

namespace {

constexpr qint64 CopierHeaderBytes = 512;
constexpr qint64 MbitBytes = 131072;
constexpr qint64 HeaderLength = 64; // the header's 48 bytes and the vectors after them
constexpr qint64 BankHalf = 0x8000; // an interleaved image swaps these
// Below this a candidate is as likely to be code or graphics as a header.
constexpr int PlausibleScore = 9;

struct Candidate {
    Mapping mapping;
    qint64 offset; // in the body
};

// ExHiROM first: such an image may carry a stale copy of its header at the HiROM place. On a
// tie LoROM wins over HiROM, as careful tools decide.
constexpr Candidate Candidates[] = {
    {Mapping::ExHiRom, 0x40ffc0}, {Mapping::LoRom, 0x7fc0}, {Mapping::HiRom, 0xffc0}};

bool IsTitleByte(uchar byte) {
    return (byte >= 0x20 && byte < 0x7f) || (byte >= 0xa1 && byte <= 0xdf); // ASCII, kana
}

bool IsKnownMap(uchar map) {
    const int low = map & 0x0f;
    return (map & 0xe0) == 0x20 &&
           (low == 0 || low == 1 || low == 2 || low == 3 || low == 5 || low == 0xa);
}

// The mapping a map byte names: bit 0 HiROM (SPC7110's 0x?A too), 0x?5 ExHiROM.
Mapping MapOf(uchar map) {
    const int low = map & 0x0f;
    if (low == 5)
        return Mapping::ExHiRom;
    return low == 1 || low == 0xa ? Mapping::HiRom : Mapping::LoRom;
}

quint16 Word(const QByteArray& bytes, qsizetype at) {
    return static_cast<quint16>(static_cast<uchar>(bytes[at]) | static_cast<uchar>(bytes[at + 1])
                                                                    << 8);
}

// How much a header at this place looks like one. A HiROM header at the LoROM place of a body
// of whole banks is what an interleaved image shows there.
int Score(const QByteArray& h, const Candidate& place, qint64 body, bool* interleaved) {
    const auto byte = [&](int i) { return static_cast<uchar>(h[i]); };
    int score = 0;
    if (std::all_of(h.cbegin(), h.cbegin() + 21, [](char c) { return IsTitleByte(c); }))
        score += 2;
    const uchar map = byte(0x15);
    *interleaved = IsKnownMap(map) && place.mapping == Mapping::LoRom &&
                   MapOf(map) == Mapping::HiRom && body % (2 * BankHalf) == 0;
    if (IsKnownMap(map))
        score += MapOf(map) == place.mapping || *interleaved ? 4 : 2;
    const int romSize = byte(0x17);
    if (romSize >= 1 && romSize <= 16 && (qint64(1024) << romSize) >= body &&
        (qint64(512) << romSize) < body)
        score += 2;
    if (byte(0x18) <= 7)
        score += 1;
    if (byte(0x19) <= 13)
        score += 1;
    if ((Word(h, 0x1c) ^ Word(h, 0x1e)) == 0xffff)
        score += 4;
    if (Word(h, 0x3c) >= 0x8000) // the reset vector points into ROM
        score += 2;
    return score;
}

QString TitleText(const QByteArray& h) {
    QString title;
    for (int i = 0; i < 21; ++i) {
        const uchar c = static_cast<uchar>(h[i]);
        if (c >= 0xa1 && c <= 0xdf)
            title += QChar(0xff61 + (c - 0xa1)); // half-width katakana
        else
            title += IsTitleByte(c) ? QChar(static_cast<char16_t>(c)) : QChar(u'?');
    }
    return title.trimmed();
}

bool HasPartNumber(const QString& name) {
    static const QRegularExpression partNumber(QStringLiteral(R"(\.[1-9][0-9]?$)"));
    return partNumber.match(name).hasMatch();
}

// The bytes' sum, a vector at a time: psadbw adds sixteen bytes (vpsadbw 32) into 64-bit lanes,
// which never overflow here. A plain loop takes five times as long, several times the read of
// the same bytes from the page cache.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) quint64 ByteSumAvx2(const uchar* p, qint64 n) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i a = zero, b = zero;
    for (; n >= 128; p += 128, n -= 128) {
        const auto* v = reinterpret_cast<const __m256i*>(p);
        a = _mm256_add_epi64(a, _mm256_add_epi64(_mm256_sad_epu8(_mm256_loadu_si256(v), zero),
                                                 _mm256_sad_epu8(_mm256_loadu_si256(v + 1), zero)));
        b = _mm256_add_epi64(b, _mm256_add_epi64(_mm256_sad_epu8(_mm256_loadu_si256(v + 2), zero),
                                                 _mm256_sad_epu8(_mm256_loadu_si256(v + 3), zero)));
    }
    quint64 lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), _mm256_add_epi64(a, b));
    quint64 total = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    while (n-- > 0)
        total += *p++;
    return total;
}
#endif

quint64 ByteSum(const uchar* p, qint64 n) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        return ByteSumAvx2(p, n);
#endif
    quint64 total = 0;
#if defined(__SSE2__)
    __m128i lanes = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    for (; n >= 64; p += 64, n -= 64) {
        const auto at = [&](int k) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        };
        lanes = _mm_add_epi64(
            lanes,
            _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(at(0), zero), _mm_sad_epu8(at(1), zero)),
                          _mm_add_epi64(_mm_sad_epu8(at(2), zero), _mm_sad_epu8(at(3), zero))));
    }
    quint64 halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), lanes);
    total = halves[0] + halves[1];
#else
    constexpr quint64 Lanes = 0x00ff00ff00ff00ffULL;
    while (n >= 32) {
        const qint64 steps = std::min<qint64>(n / 32, 128); // 128 × 2 × 255 fits a lane
        quint64 a = 0, b = 0, c = 0, d = 0;
        for (qint64 i = 0; i < steps; ++i) {
            quint64 x[4];
            std::memcpy(x, p + 32 * i, 32);
            a += (x[0] & Lanes) + (x[0] >> 8 & Lanes);
            b += (x[1] & Lanes) + (x[1] >> 8 & Lanes);
            c += (x[2] & Lanes) + (x[2] >> 8 & Lanes);
            d += (x[3] & Lanes) + (x[3] >> 8 & Lanes);
        }
        for (const quint64 sums : {a, b, c, d})
            total += (sums & 0xffff) + (sums >> 16 & 0xffff) + (sums >> 32 & 0xffff) + (sums >> 48);
        p += 32 * steps;
        n -= 32 * steps;
    }
#endif
    while (n-- > 0)
        total += *p++;
    return total;
}

QString Hex4(quint16 value) {
    return QStringLiteral("0x%1").arg(value, 4, 16, QLatin1Char('0'));
}

QString MappingText(const GameHeader& g) {
    QString text = g.mapping == Mapping::LoRom   ? QStringLiteral("LoROM")
                   : g.mapping == Mapping::HiRom ? QStringLiteral("HiROM")
                                                 : QStringLiteral("ExHiROM");
    if (g.interleaved)
        text += QStringLiteral(" (interleaved)");
    return text + (g.map & 0x10 ? QStringLiteral(", FastROM") : QStringLiteral(", SlowROM"));
}

// The coprocessor the cartridge type names; types 0 to 2 are ROM, RAM and battery only.
QString ChipText(quint8 chips, quint8 mapByte) {
    if ((chips & 0x0f) < 3)
        return QStringLiteral("no chip");
    switch (chips >> 4) {
    case 0x0:
        return QStringLiteral("DSP");
    case 0x1:
        return QStringLiteral("Super FX");
    case 0x2:
        return QStringLiteral("OBC1");
    case 0x3:
        return QStringLiteral("SA-1");
    case 0x4:
        return QStringLiteral("S-DD1");
    case 0x5:
        return QStringLiteral("S-RTC");
    case 0xe:
        return QStringLiteral("Super Game Boy");
    default:
        break;
    }
    switch (chips) {
    case 0xf3:
        return QStringLiteral("Cx4");
    case 0xf5:
        return mapByte == 0x30 ? QStringLiteral("Seta RISC") : QStringLiteral("SPC7110");
    case 0xf6:
        return QStringLiteral("Seta DSP");
    case 0xf9:
        return QStringLiteral("SPC7110 and RTC");
    default:
        return QStringLiteral("unknown chip 0x%1").arg(chips, 2, 16, QLatin1Char('0'));
    }
}

QString CountryText(quint8 country) {
    static const char* const names[] = {"Japan",   "USA",    "Europe",      "Sweden",     "Finland",
                                        "Denmark", "France", "Netherlands", "Spain",      "Germany",
                                        "Italy",   "China",  "Indonesia",   "South Korea"};
    if (country >= std::size(names))
        return QStringLiteral("unknown country");
    const bool ntsc = country == 0 || country == 1 || country == 13;
    return QString::fromLatin1(names[country]) +
           (ntsc ? QStringLiteral(", NTSC") : QStringLiteral(", PAL"));
}

QString SizesText(const GameImage& image) {
    const QString rom =
        MbitText(static_cast<std::int32_t>(std::min<qint64>(image.bodyBytes() / 8192, INT32_MAX))) +
        QStringLiteral(" Mbit");
    const quint8 sram = image.game.sramSize;
    if (sram == 0)
        return rom + QStringLiteral(", no SRAM");
    if (sram > 10)
        return rom + QStringLiteral(", unknown SRAM");
    return rom + QStringLiteral(", %1 kbit SRAM").arg(8 << sram);
}

// Each part of a split holds at most its size; ucon64 puts the rest in the last one.
QString DisksText(qint64 body) {
    const auto disks = [&](qint64 mbit) {
        return (body + mbit * MbitBytes - 1) / (mbit * MbitBytes);
    };
    return QStringLiteral("disks: %1 at 8 Mbit, %2 at 11 Mbit").arg(disks(8)).arg(disks(11));
}

QString Row(const GameImage& image, const QString& verdict) {
    const GameHeader& g = image.game;
    QStringList pieces = {g.title.isEmpty() ? QStringLiteral("(no title)") : g.title,
                          MappingText(g),
                          ChipText(g.chips, g.map),
                          SizesText(image),
                          CountryText(g.country),
                          QStringLiteral("version 1.%1").arg(g.version)};
    // A part's sum is never the game's, and Fix Checksum on it would spoil the part.
    if (image.part) {
        pieces.append(QStringLiteral("one part of a split"));
    } else {
        pieces.append(verdict);
        pieces.append(DisksText(image.bodyBytes()));
    }
    if (image.copierBytes == 0)
        pieces.append(QStringLiteral("no copier header"));
    else if (image.sizeFieldBytes >= 0 && image.sizeFieldBytes != image.bodyBytes())
        pieces.append(QStringLiteral("copier header says %1 Mbit")
                          .arg(MbitText(static_cast<std::int32_t>(image.sizeFieldBytes / 8192))));
    return pieces.join(QStringLiteral("; "));
}

} // namespace

Result<GameImage> DecodeGameImage(const QString& name, qint64 fileBytes, const ReadAt& read) {
    GameImage image;
    image.fileBytes = fileBytes;
    const QByteArray start = read(0, std::min<qint64>(fileBytes, HeaderBytes));
    const bool copierId = CarriesHeaderId(start);
    // Other copiers' headers carry no id, but all of them are 512 bytes before whole kilobytes.
    if ((copierId || fileBytes % 1024 == CopierHeaderBytes) && fileBytes >= CopierHeaderBytes)
        image.copierBytes = CopierHeaderBytes;
    if (copierId) {
        const auto byte = [&](int i) { return static_cast<uchar>(start[i]); };
        image.sizeFieldBytes = 8192 * (byte(0) | byte(1) << 8);
        image.part = byte(2) & 0x40;
    }
    image.part = image.part || HasPartNumber(name);

    const qint64 body = image.bodyBytes();
    int best = PlausibleScore - 1;
    for (const Candidate& place : Candidates) {
        if (place.offset + HeaderLength > body)
            continue;
        const QByteArray h = read(image.copierBytes + place.offset, HeaderLength);
        bool interleaved = false;
        if (h.size() != HeaderLength)
            continue;
        const int score = Score(h, place, body, &interleaved);
        if (score <= best)
            continue;
        best = score;
        GameHeader& g = image.game;
        g.title = TitleText(h);
        g.mapping = interleaved ? Mapping::HiRom : place.mapping;
        g.interleaved = interleaved;
        g.map = static_cast<uchar>(h[0x15]);
        g.chips = static_cast<uchar>(h[0x16]);
        g.romSize = static_cast<uchar>(h[0x17]);
        g.sramSize = static_cast<uchar>(h[0x18]);
        g.country = static_cast<uchar>(h[0x19]);
        g.maker = static_cast<uchar>(h[0x1a]);
        g.version = static_cast<uchar>(h[0x1b]);
        g.complement = Word(h, 0x1c);
        g.checksum = Word(h, 0x1e);
    }
    if (best < PlausibleScore)
        return Failure{QStringLiteral("%1 holds no game header.").arg(name)};
    return image;
}

Result<GameImage> ReadGameImage(const QString& path) {
    QFile file;
    if (const Status opened = OpenRegular(file, path); !opened)
        return Failure{CannotReadMessage(path, opened.error())};
    return DecodeGameImage(QFileInfo(path).fileName(), file.size(),
                           [&](qint64 offset, qint64 count) {
                               return file.seek(offset) ? file.read(count) : QByteArray();
                           });
}

Result<quint16> ImageChecksum(QIODevice& device, const GameImage& image,
                              const std::function<bool()>& stop) {
    const qint64 body = std::max<qint64>(image.bodyBytes(), 0);
    qint64 whole = 1; // the largest power of two within the body
    while (whole * 2 <= body)
        whole *= 2;
    // Byte j of the rest is counted once for each place it takes when the rest is repeated
    // to fill another `whole`: one time more than the others for the first `whole % rest`.
    const qint64 rest = body - whole;
    const qint64 times = rest ? whole / rest : 0, longer = rest ? whole % rest : 0;
    const qint64 banks = body / (2 * BankHalf);

    if (!device.seek(image.copierBytes))
        return Failure{device.errorString()};
    // A floppy gives 64 KiB in about a second, which is as long as a stop may wait; from the page
    // cache the blocks grow, as each read costs as much as copying a few hundred kilobytes.
    constexpr qint64 FirstBlock = 64 * 1024, LastBlock = 1024 * 1024;
    qint64 size = FirstBlock;
    QByteArray block(LastBlock, Qt::Uninitialized);
    QElapsedTimer reading;
    quint64 sum = 0;
    for (qint64 at = 0; at < body;) {
        if (stop())
            return Cancelled{};
        reading.start();
        const qint64 got = device.read(block.data(), std::min(size, body - at));
        if (reading.elapsed() < 20 && size < LastBlock)
            size *= 2;
        if (got <= 0)
            return Failure{got < 0 ? device.errorString()
                                   : QStringLiteral("the file ended after %1 bytes").arg(at)};
        for (qint64 i = 0; i < got;) {
            const qint64 f = at + i;
            qint64 run = got - i, o = f;
            if (image.game.interleaved) { // the file's first half holds the banks' upper halves
                const qint64 half = f / BankHalf, within = f % BankHalf;
                o = (half < banks ? 2 * half + 1 : 2 * (half - banks)) * BankHalf + within;
                run = std::min(run, BankHalf - within);
            }
            quint64 weight = 1;
            if (o < whole) {
                run = std::min(run, whole - o);
            } else if (o - whole < longer) {
                weight = times + 1;
                run = std::min(run, whole + longer - o);
            } else {
                weight = times;
            }
            sum += weight * ByteSum(reinterpret_cast<const uchar*>(block.constData()) + i, run);
            i += run;
        }
        at += got;
    }
    return static_cast<quint16>(sum);
}

QFuture<Result<quint16>> StartChecksum(const QString& path, const GameImage& image) {
    auto promise = std::make_shared<QPromise<Result<quint16>>>();
    promise->start();
    QThreadPool::globalInstance()->start([promise, path, image] {
        QFile file;
        const Status opened = OpenRegular(file, path);
        promise->addResult(opened
                               ? ImageChecksum(file, image, [&] { return promise->isCanceled(); })
                               : Result<quint16>(Failure{opened.error()}));
        promise->finish();
    });
    return promise->future();
}

QString GameRow(const GameImage& image) {
    return Row(image, QStringLiteral("checksum: checking…"));
}

QString GameRow(const GameImage& image, const Result<quint16>& computed) {
    if (!computed)
        return Row(image, QStringLiteral("checksum: file unreadable"));
    if (*computed == image.game.checksum)
        return Row(image, QStringLiteral("checksum good"));
    return Row(image, QStringLiteral("checksum bad (stored %1, computed %2)")
                          .arg(Hex4(image.game.checksum), Hex4(*computed)));
}

} // namespace kestrix
