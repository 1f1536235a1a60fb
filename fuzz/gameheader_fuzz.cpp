// SPDX-License-Identifier: GPL-3.0-or-later
// The game header's decoder and the checksum on any bytes: no fault, no read past the end, and
// the sum agrees with a plain one over the console's view of the ROM.
#include "core/gameheader.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

namespace {

quint16 PlainSum(const QByteArray& file, const kestrix::GameImage& image) {
    QByteArray body = file.mid(image.copierBytes);
    if (image.game.interleaved) {
        const qsizetype banks = body.size() / 0x10000;
        QByteArray view;
        for (qsizetype bank = 0; bank < banks; ++bank)
            view += body.mid((banks + bank) * 0x8000, 0x8000) + body.mid(bank * 0x8000, 0x8000);
        body = view;
    }
    qsizetype whole = 1;
    while (whole * 2 <= body.size())
        whole *= 2;
    const qsizetype rest = body.size() - whole;
    const auto at = [&](qsizetype i) { return static_cast<uchar>(body[i]); };
    quint16 sum = 0;
    for (qsizetype i = 0; i < whole; ++i)
        sum = static_cast<quint16>(sum + at(i));
    for (qsizetype i = 0; rest > 0 && i < whole; ++i)
        sum = static_cast<quint16>(sum + at(whole + i % rest));
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto image =
        kestrix::DecodeGameImage(size % 2 ? QStringLiteral("GAME.1") : QStringLiteral("GAME.swc"),
                                 bytes.size(), [&](qint64 offset, qint64 count) {
                                     if (offset < 0 || count < 0 || offset + count > bytes.size())
                                         std::abort();
                                     return bytes.mid(offset, count);
                                 });
    if (!image)
        return 0;
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    const auto sum = kestrix::ImageChecksum(device, *image, [] { return false; });
    if (!sum || *sum != PlainSum(bytes, *image))
        std::abort();
    if (kestrix::GameRow(*image).isEmpty() || kestrix::GameRow(*image, sum).isEmpty())
        std::abort();
    return 0;
}
