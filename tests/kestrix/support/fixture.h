// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform.h"
#include "support/printers.h"
#include "support/scripted_prompter.h"
#include "window/form1.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace kestrix::test {

// What the stand-in receives from the copier.
inline QByteArray CopierData() {
    return QByteArray(512, '\0') + "copier data" + QByteArray(501, '.');
}

struct Invocation {
    QString cwd;
    QStringList argv; // without the program name
    QString did;      // "send" or "receive" for a transfer
};

// A program folder holding the stand-in tool, a floppy folder, a staging folder and two
// volumes ("/" and "/data") in a fresh temporary folder; the working folder and PATH are put
// back after each test.
class KestrixTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString& relative) const;
    void writeFile(const QString& relative, const QByteArray& bytes = {});
    void makeFolder(const QString& relative);
    QByteArray readFile(const QString& relative) const;

    Platform platform() const;
    std::unique_ptr<Form1> makeForm(const Platform& p);
    std::unique_ptr<Form1> makeForm() { return makeForm(platform()); }

    // What the stand-in tool was given, run by run.
    QList<Invocation> invocations() const;

    // Mounts for one test, undone after it, also when it fails; false without the right to
    // mount (root). A tmpfs of the given size, or the folder over itself, read-only.
    bool mountTmpfs(const QString& folder, qint64 bytes);
    bool mountReadOnly(const QString& folder);

    QTemporaryDir tmp;
    ScriptedPrompter prompter;
    QString programFolder, floppy, staging, drive, work, data;

private:
    QString savedCwd_;
    QByteArray savedPath_;
    QStringList mounts_;
};

} // namespace kestrix::test
