#include "ProgramObjects.h"

#include "FileInfoUnit.h"
#include "uDataManage.h"
#include "uPathInfo.h"

TProgramObjects::TProgramObjects()
    : FFileInfo(std::make_unique<TFileInfo>()), FPathInfo(std::make_unique<TPathInfo>()),
      FConfig(std::make_unique<TSetupConfig>()), FCollectURLStore(std::make_unique<TCollectURLDataManage>())
{
    FileInfo = FFileInfo.get();
    PathInfo = FPathInfo.get();
    FConfig->SetFileName(FileInfo->SetupConfig());
    Config = FConfig.get();
    CollectURLStore = FCollectURLStore.get();
}

TProgramObjects::~TProgramObjects()
{
    CollectURLStore = nullptr;
    Config = nullptr;
    PathInfo = nullptr;
    FileInfo = nullptr;
}
