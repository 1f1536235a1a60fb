// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/platform.h"
#include "core/prompter.h"
#include "support/printers.h"
#include "ui/form1.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace setup::test {

// Records each error report instead of showing it.
class RecordingPrompter : public Prompter {
public:
    void ErrorReport(const QString& text) override { reports.append(text); }
    QStringList reports;
};

// An installer folder holding the stand-in unzip program, a program-files root and a desktop
// folder in a fresh temporary folder; the working folder and PATH are put back after each test.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString& relative) const;
    void writeFile(const QString& relative, const QByteArray& bytes);
    QByteArray readFile(const QString& relative) const;
    void writeScript(const QByteArray& bytes) {
        writeFile(QStringLiteral("inst/SETUP.INF"), bytes);
    }
    // Puts the stand-in unzip program into the folder as "pkunzip".
    void copyStandin(const QString& folder);

    Platform platform() const;
    std::unique_ptr<Form1> makeForm();
    // What the stand-in was started with: its working folder, then argv; waited for.
    QStringList standinRecord(const QString& folder) const;

    // Presses Quit, which closes the window.
    static void quit(Form1& form);

    QTemporaryDir tmp;
    RecordingPrompter prompter;
    QList<int> ends; // each status the installer ended with
    QString installer, root, desktop;

private:
    QString savedCwd_;
    QByteArray savedPath_;
};

} // namespace setup::test
