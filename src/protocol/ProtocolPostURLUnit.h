#pragma once

#include "ProtocolDataUnit.h"

// Share a web address (10005).
class TProtocolPostURL : public TBaseProtocolData {
public:
    TProtocolPostURL() : TBaseProtocolData(PROTOCOL_POSTURL) {}

    QString Title() const { return FTitle; }
    void SetTitle(const QString &Value) { FTitle = Value; }
    QString URL() const { return FURL; }
    void SetURL(const QString &Value) { FURL = Value; }
    QString User() const { return FUser; }
    void SetUser(const QString &Value) { FUser = Value; }
    QString date() const { return Fdate; }
    void Setdate(const QString &Value) { Fdate = Value; }
    int Classification() const { return FClassification; }
    void SetClassification(int Value) { FClassification = Value; }

protected:
    QString GetData() const override;

private:
    QString FTitle;
    QString FURL;
    QString FUser;
    QString Fdate;
    int FClassification = 0;
};
