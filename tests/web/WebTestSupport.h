#pragma once

#include "LoopbackHttp.h"
#include "WebView.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QVariant>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <memory>
#include <ostream>
#include <optional>

// Readable values in failure messages.
inline void PrintTo(const QString &Value, std::ostream *Out)
{
    *Out << '"' << Value.toStdString() << '"';
}

inline void PrintTo(const QVariant &Value, std::ostream *Out)
{
    const QJsonValue json = QJsonValue::fromVariant(Value);
    *Out << (json.isArray() ? QJsonDocument(json.toArray()).toJson(QJsonDocument::Compact).toStdString()
                            : Value.toString().toStdString());
}

// Every wait is bounded, so a page that never comes fails its test instead of hanging the run.
inline constexpr int PageTimeoutMs = 30000;

// Runs Script on the document and waits for its result; nothing when the document never answers.
inline std::optional<QVariant> Eval(const WebDocument &Document, const QString &Script)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    Document.RunScript(Script, [result](const QVariant &value) { *result = value; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, PageTimeoutMs))
        return std::nullopt;
    return *result;
}

// Evaluates Script until it yields Expected (the document may still be adjusting) and returns the
// last value seen.
inline QVariant EvalUntil(const WebDocument &Document, const QString &Script,
                          const QVariant &Expected, int TimeoutMs = 5000)
{
    const QDeadlineTimer deadline(TimeoutMs);
    QVariant last = Eval(Document, Script).value_or(QVariant());
    while (last != Expected && !deadline.hasExpired()) {
        QTest::qWait(50);
        last = Eval(Document, Script).value_or(QVariant());
    }
    return last;
}

// The page server all web tests of an executable share.
inline LoopbackHttp &Server()
{
    static LoopbackHttp server;
    return server;
}
