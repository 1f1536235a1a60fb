// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cmdline.h"

namespace setup {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

QStringList SplitCommandLine(const QString& commandLine) {
    QStringList argv;
    const qsizetype n = commandLine.size();
    if (n == 0)
        return argv;

    // The program name: quotes group, backslashes are plain characters.
    QString word;
    bool quoted = false;
    qsizetype i = 0;
    for (; i < n && (quoted || !isBlank(commandLine[i])); ++i) {
        if (commandLine[i] == u'"')
            quoted = !quoted;
        else
            word.append(commandLine[i]);
    }
    argv.append(word);

    for (;;) {
        while (i < n && isBlank(commandLine[i]))
            ++i;
        if (i >= n)
            return argv;
        QString arg;
        quoted = false;
        while (i < n) {
            qsizetype backslashes = 0;
            for (; i < n && commandLine[i] == u'\\'; ++i)
                ++backslashes;
            bool literal = true;
            if (i < n && commandLine[i] == u'"') {
                if (backslashes % 2 == 0) {
                    if (quoted && i + 1 < n && commandLine[i + 1] == u'"')
                        ++i; // "" inside quotes stands for one quote
                    else {
                        literal = false;
                        quoted = !quoted;
                    }
                }
                backslashes /= 2;
            }
            arg.append(QString(backslashes, u'\\'));
            if (i >= n || (!quoted && isBlank(commandLine[i])))
                break;
            if (literal)
                arg.append(commandLine[i]);
            ++i;
        }
        argv.append(arg);
    }
}

} // namespace setup
