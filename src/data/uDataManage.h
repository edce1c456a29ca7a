#pragma once

#include "ContentItemUnit.h"
#include "TObject.h"

#include <QString>

#include <array>
#include <memory>

// Reads values from one INI file. Each read opens the file, reads one thing and lets it go again,
// so edits take effect at the next read; this class never writes.
class TDataManage : public TObject {
public:
    QString FileName() const { return FFileName; }
    void SetFileName(const QString &Value) { FFileName = Value; }

    int ReadIntValue(const QString &Section, const QString &Ident) const;   // 0: missing or no number
    QString ReadSectionKeys(const QString &Section) const;                // names, each + CR LF
    QString ReadStrValue(const QString &Section, const QString &Ident) const; // "": missing

private:
    QString FFileName;
};

// The client's settings in "Config.dat".
class TSetupConfig : public TDataManage {
public:
    QString Host() const;
    int Port() const;
    QString ClassificationList() const;
    int GetClassification(const QString &AClassification) const;
    QString IDToClassification(int AClassification) const; // "未知" when no name has that identifier
};

// The frame of a store for collected web addresses; its operations have no effect yet.
class TCollectURLDataManage : public TDataManage {
public:
    TCollectURLDataManage();
    ~TCollectURLDataManage() override;

    QString DataFileName() const; // always "CollectURL.dat" in the data directory
    void SetDataFileName(const QString &Value) { FDataFileName = Value; }
    bool LoadData();
    bool InsertData(TCollectURLItem *ACollectURLItem);

    std::unique_ptr<TCollectURLList> List;

private:
    QString FDataFileName;
};

struct TReferenceClassification {
    int Id;
    const char16_t *Name;
};

// The community's twelve classifications, in their customary order.
extern const std::array<TReferenceClassification, 12> ReferenceClassifications;

extern TSetupConfig *Config;
extern TCollectURLDataManage *CollectURLStore;
