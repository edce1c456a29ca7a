#pragma once

#include "ProtocolDataUnit.h"

// Ask to upload a shared file (10008).
class TProtocolUploadFile : public TBaseProtocolData {
public:
    TProtocolUploadFile() : TBaseProtocolData(PROTOCOL_UPLOADFILE) {}

    QString FileName() const { return FFileName; }
    void SetFileName(const QString &Value) { FFileName = Value; }
    QString User() const { return FUser; }
    void SetUser(const QString &Value) { FUser = Value; }
    QString Depict() const { return FDepict; }
    void SetDepict(const QString &Value) { FDepict = Value; }
    int Classification() const { return FClassification; }
    void SetClassification(int Value) { FClassification = Value; }
    QString Guid() const { return FGuid; }
    void SetGuid(const QString &Value) { FGuid = Value; }
    qint64 FileSize() const { return FFileSize; }
    void SetFileSize(qint64 Value) { FFileSize = Value; }

protected:
    QString GetData() const override;

private:
    QString FFileName;
    QString FUser;
    QString FDepict;
    int FClassification = 0;
    QString FGuid;
    qint64 FFileSize = 0;
};
