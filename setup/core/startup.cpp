// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup.h"

#include "core/prompter.h"
#include "core/unzip.h"

#include <QDir>

namespace setup {

namespace {

Result<Header> startUp(const Platform& platform, UnzipProcess& unzip, Script& script) {
    const QString& folder = platform.installerFolder;
    // Every relative name the installer uses is taken in its own folder.
    if (!QDir::setCurrent(folder))
        return Failure{
            QStringLiteral("The installer's folder %1 cannot be made the current folder.")
                .arg(QDir::toNativeSeparators(folder))};
    if (const Status started = unzip.Start(folder); !started)
        return Failure{started.error()};
    if (const Status opened = script.Open(folder); !opened)
        return Failure{opened.error()};
    return ReadHeader(script, platform.programFilesRoot);
}

} // namespace

Result<Header> StartUp(const Platform& platform, UnzipProcess& unzip, Script& script,
                       Prompter& prompter) {
    Result<Header> header = startUp(platform, unzip, script);
    if (!header)
        prompter.ErrorReport(header.error());
    return header;
}

} // namespace setup
