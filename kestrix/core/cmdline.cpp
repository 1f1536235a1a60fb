// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cmdline.h"

namespace kestrix {

QString QuotePath(const QString& path) {
    QString out = QStringLiteral("\"");
    qsizetype backslashes = 0;
    for (const QChar c : path) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes only escape when a quote follows; elsewhere they stand for themselves.
        const qsizetype run = c == u'"' ? backslashes * 2 + 1 : backslashes;
        out.append(QString(run, u'\\'));
        out.append(c);
        backslashes = 0;
    }
    out.append(QString(backslashes * 2, u'\\'));
    out.append(u'"');
    return out;
}

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

QStringList SplitCommandLine(const QString& commandLine) {
    QStringList argv;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;

    // The program name: quotes group, backslashes are plain characters.
    QString word;
    bool quoted = false;
    while (i < n && (quoted || !isBlank(commandLine[i]))) {
        if (commandLine[i] == u'"')
            quoted = !quoted;
        else
            word.append(commandLine[i]);
        ++i;
    }
    if (n == 0)
        return argv;
    argv.append(word);

    for (;;) {
        while (i < n && isBlank(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        QString arg;
        quoted = false;
        while (i < n) {
            qsizetype backslashes = 0;
            while (i < n && commandLine[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            bool copy = true;
            if (i < n && commandLine[i] == u'"') {
                if (backslashes % 2 == 0) {
                    if (quoted && i + 1 < n && commandLine[i + 1] == u'"')
                        ++i; // "" inside quotes: one literal quote, still quoted
                    else {
                        copy = false;
                        quoted = !quoted;
                    }
                }
                backslashes /= 2;
            }
            arg.append(QString(backslashes, u'\\'));
            if (i >= n || (!quoted && isBlank(commandLine[i])))
                break;
            if (copy)
                arg.append(commandLine[i]);
            ++i;
        }
        argv.append(arg);
    }
    return argv;
}

QString JoinPath(const QString& folder, const QString& name, QChar separator) {
    return folder + separator + name;
}

} // namespace kestrix
