// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace setup::test {

void SetupTest::SetUp() {
    ASSERT_TRUE(tmp.isValid());
    savedCwd_ = QDir::currentPath();
    savedPath_ = qgetenv("PATH");
    installer = path(QStringLiteral("inst"));
    root = path(QStringLiteral("opt")) + u'/';
    desktop = path(QStringLiteral("Desktop"));
    for (const QString& folder : {installer, root, desktop})
        ASSERT_TRUE(QDir().mkpath(folder));
    // Nothing from the real search path may stand in for a missing unzip program.
    qputenv("PATH", path(QStringLiteral("bin")).toLocal8Bit());
    copyStandin(installer);
}

void SetupTest::TearDown() {
    QDir::setCurrent(savedCwd_);
    qputenv("PATH", savedPath_);
}

QString SetupTest::path(const QString& relative) const {
    return tmp.filePath(relative);
}

void SetupTest::writeFile(const QString& relative, const QByteArray& bytes) {
    QFile file(path(relative));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(file.fileName());
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray SetupTest::readFile(const QString& relative) const {
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SetupTest::copyStandin(const QString& folder) {
    const QString target = QDir(folder).filePath(QStringLiteral("pkunzip"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PKUNZIP_STANDIN), target))
        << "stand-in unzip program missing at " << PKUNZIP_STANDIN;
}

Platform SetupTest::platform() const {
    return {installer, root, desktop};
}

std::unique_ptr<Form1> SetupTest::makeForm() {
    return std::make_unique<Form1>(platform(), prompter,
                                   [this](int status) { ends.append(status); });
}

void SetupTest::quit(Form1& form) {
    form.Command2->click();
}

QStringList SetupTest::standinRecord(const QString& folder) const {
    const QString file = QDir(folder).filePath(QStringLiteral("pkunzip-ran.txt"));
    if (!QTest::qWaitFor([&] { return QFile::exists(file); }, 10000))
        return {};
    QFile record(file);
    if (!record.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(record.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace setup::test
