#pragma once

#include "ProtocolDataUnit.h"

// Answer a question (10007).
class TProtocolAnswerQuestion : public TBaseProtocolData {
public:
    TProtocolAnswerQuestion() : TBaseProtocolData(PROTOCOL_ANSWERQUESTION) {}

    QString NickName() const { return FNickName; }
    void SetNickName(const QString &Value) { FNickName = Value; }
    QString Content() const { return FContent; }
    void SetContent(const QString &Value) { FContent = Value; }
    QString URL() const { return FURL; }
    void SetURL(const QString &Value) { FURL = Value; }
    QString reference() const { return Freference; }
    void Setreference(const QString &Value) { Freference = Value; }
    int questionid() const { return Fquestionid; }
    void Setquestionid(int Value) { Fquestionid = Value; }

protected:
    QString GetData() const override;

private:
    QString FNickName;
    QString FContent;
    QString FURL;
    QString Freference;
    int Fquestionid = 0;
};
