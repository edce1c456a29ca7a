#pragma once

#include "MessageWindow.h"
#include "ProgramObjects.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// A fresh program directory for one test: the program-wide objects point into it while it lives.
class TTempProgramDir {
public:
    TTempProgramDir();
    ~TTempProgramDir();

    QString Path() const; // with a trailing "/"
    QString File(const QString &relative) const { return Path() + relative; }
    void Write(const QString &relative, const QByteArray &bytes) const;
    QByteArray Read(const QString &relative) const;

private:
    QTemporaryDir FDir;
    std::unique_ptr<TProgramObjects> FObjects;
};

// Runs the event loop until `done` holds or `timeoutMs` passes; returns whether it holds.
bool PumpUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// A hidden window that records every message posted to it.
class TMessageRecorder {
public:
    TMessageRecorder();
    THandle Handle() const { return FWindow.Handle(); }
    const std::vector<TMessage> &Messages() const { return FMessages; }
    std::vector<unsigned> Numbers() const;
    bool Has(unsigned msg) const;

private:
    std::vector<TMessage> FMessages;
    MessageWindow FWindow;
};
