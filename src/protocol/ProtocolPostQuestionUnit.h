#pragma once

#include "ProtocolDataUnit.h"

// Post a question (10003). The same class also carries a question record announced by the
// server (URL, IsPost, QuestionID, Date), which the local question database stores.
class TProtocolPostQuestion : public TBaseProtocolData {
public:
    TProtocolPostQuestion() : TBaseProtocolData(PROTOCOL_POSTQUESTION) {}

    int Classification() const { return FClassification; }
    void SetClassification(int Value) { FClassification = Value; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString &Value) { FTitle = Value; }
    QString Content() const { return FContent; }
    void SetContent(const QString &Value) { FContent = Value; }
    int Marks() const { return FMarks; }
    void SetMarks(int Value) { FMarks = Value; }
    QString NickName() const { return FNickName; }
    void SetNickName(const QString &Value) { FNickName = Value; }
    int LocalID() const { return FLocalID; }
    void SetLocalID(int Value) { FLocalID = Value; }
    QString URL() const { return FURL; }
    void SetURL(const QString &Value) { FURL = Value; }
    bool IsPost() const { return FIsPost; }
    void SetIsPost(bool Value) { FIsPost = Value; }
    int QuestionID() const { return FQuestionID; }
    void SetQuestionID(int Value) { FQuestionID = Value; }
    QString Date() const { return FDate; }
    void SetDate(const QString &Value) { FDate = Value; }

protected:
    QString GetData() const override;

private:
    int FClassification = 0;
    QString FTitle;
    QString FContent;
    int FMarks = 0;
    QString FNickName;
    int FLocalID = 0;
    QString FURL;
    bool FIsPost = false;
    int FQuestionID = 0;
    QString FDate;
};
