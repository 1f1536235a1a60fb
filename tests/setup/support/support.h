// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/prompter.h"
#include "ui/form1.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Lets failures show Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace setup::test {

using namespace Qt::StringLiterals;

// Records each error report instead of showing it.
class RecordingPrompter : public Prompter {
public:
    void ErrorReport(const QString& text) override { reports.append(text); }
    QStringList reports;
};

// What lies below a folder, by relative name: a folder's name ends in "/" and it holds nothing,
// a file its bytes.
using Tree = QMap<QString, QByteArray>;
Tree ListTree(const QString& folder);

// Whether the check holds in a child process whose files may not grow past the limit: a stand-in
// for a full disk that a free-space check cannot see, so only the writes' own errors tell.
bool HoldsUnderFileLimit(long bytes, const std::function<bool()>& check);

// A fresh temporary folder with the installer's folder "inst", which holds the stand-in unzip
// program as "PKUNZIP", the program-files root "opt/" and the desktop folder. Another stand-in
// on PATH must never be taken. Each records how it was started in "pkunzip-ran.txt" in its
// working folder. The working folder and PATH are put back after each test.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    QString path(const QString& relative) const { return tmp.filePath(relative); }
    // Writes the file, or makes the folder when the name ends in "/", with what leads to it.
    void write(const QString& relative, const QByteArray& bytes = {});
    QByteArray read(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A tmpfs over the folder (made when missing) for this test, of that size or read-only when
    // 0, unmounted after it also when it fails; false without the right to mount (root).
    bool mountTmpfs(const QString& folder, qint64 bytes);
    Platform platform() const { return {installer, root, desktop}; }
    // A fresh window, kept until the unzip program it started has ended after the test.
    Form1& makeForm() {
        form_ = std::make_unique<Form1>(platform(), prompter, [this](int s) { ends.append(s); });
        return *form_;
    }

    QTemporaryDir tmp;
    RecordingPrompter prompter;
    QList<int> ends; // each status the installer ended with
    QString installer = path(u"inst"_s), root = path(u"opt/"_s), desktop = path(u"Desktop"_s);

private:
    std::unique_ptr<Form1> form_;
    QByteArray savedPath_ = qgetenv("PATH");
    QString savedCwd_ = QDir::currentPath();
    QStringList mounts_;
};

} // namespace setup::test
